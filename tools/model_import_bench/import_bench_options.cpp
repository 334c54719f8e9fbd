#include "import_bench_options.h"

#include <string>

const char* const kImportBenchUsage =
    "usage: model_import_bench\n"
    "Times the stages of loading a generated model with its textures (import, conversion,\n"
    "mesh upload, texture decoding and upload) offscreen; it needs no display.\n"
    "  -h, --help   print this and exit\n";

bool parseImportBenchOptions(int argc, char** argv, CommandLineStop& stop)
{
    ArgumentList arguments(argc, argv);
    if (arguments.done()) {
        return true;
    }
    const std::string argument = arguments.take();
    if (isHelpRequest(argument)) {
        stop.helpAsked = true;
    } else {
        stop.refusal = unknownArgumentRefusal(argument);
    }
    return false;
}
