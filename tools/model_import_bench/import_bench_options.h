// Command line of the model import benchmark: it takes no options, so
// anything but --help is refused rather than silently ignored.
#pragma once

#include "common/command_line.h"

// True when the benchmark should run; otherwise `stop` says why not.
bool parseImportBenchOptions(int argc, char** argv, CommandLineStop& stop);

extern const char* const kImportBenchUsage;
