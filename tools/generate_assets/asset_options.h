// Command line of the asset generator: the one folder to write into.
#pragma once

#include "common/command_line.h"

#include <optional>
#include <string>

struct AssetOptions {
    std::string outputFolder;
};

// The options argv asks for, or nothing, with `stop` saying why (--help, or
// the refused argument).
std::optional<AssetOptions> parseAssetOptions(int argc, char** argv, CommandLineStop& stop);

std::string assetUsage();
