#include "asset_options.h"

namespace {

const char* const kDefaultOutput = "data/models";

}  // namespace

std::string assetUsage()
{
    return std::string("usage: generate_assets [OUTPUT_DIR]\n"
                       "Writes the scene's models, materials and textures into OUTPUT_DIR (default ") +
           kDefaultOutput + ").\n  -h, --help   print this and exit\n";
}

std::optional<AssetOptions> parseAssetOptions(int argc, char** argv, CommandLineStop& stop)
{
    AssetOptions options{kDefaultOutput};
    bool folderGiven = false;
    ArgumentList arguments(argc, argv);
    while (!arguments.done()) {
        const std::string argument = arguments.take();
        if (isHelpRequest(argument)) {
            stop.helpAsked = true;
            return std::nullopt;
        }
        // A folder whose name starts with '-' can still be given as ./-name.
        if (folderGiven || argument.rfind('-', 0) == 0) {
            stop.refusal = unknownArgumentRefusal(argument);
            return std::nullopt;
        }
        options.outputFolder = argument;
        folderGiven = true;
    }
    return options;
}
