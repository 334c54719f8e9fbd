// compare_frames REFERENCE.png RENDER.png: how far a full-size render is from
// its half-size reference image, judged as the reference-image test judges
// it. The GPU check uses it on machines that have the programs but not the
// test suite. Prints one line; exits 0 within the tolerance, 1 over it (or
// when either image cannot be read), 2 on a usage error.
#include "common/command_line.h"
#include "reference/image_difference.h"
#include "support/rgb_image.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: compare_frames REFERENCE.png RENDER.png\n"
    "Halves RENDER as the reference images are kept and prints how far it is from REFERENCE:\n"
    "the share of pixels off by more than the threshold, and the largest difference.\n"
    "  -h, --help   print this and exit\n";

constexpr int kExitOverTolerance = 1;

}  // namespace

int main(int argc, char** argv)
{
    ArgumentList arguments(argc, argv);
    std::vector<std::string> paths;
    CommandLineStop stop;
    while (!arguments.done() && stop.refusal.empty() && !stop.helpAsked) {
        const std::string argument = arguments.take();
        if (isHelpRequest(argument)) {
            stop.helpAsked = true;
        } else if (argument.rfind('-', 0) == 0 || paths.size() == 2) {
            stop.refusal = unknownArgumentRefusal(argument);
        } else {
            paths.push_back(argument);
        }
    }
    if (stop.refusal.empty() && !stop.helpAsked && paths.size() != 2) {
        stop.refusal = "needs a reference image and a render";
    }
    if (stop.helpAsked || !stop.refusal.empty()) {
        return reportCommandLineStop("compare_frames", stop, kUsage);
    }

    const RgbImage reference = loadPng(paths[0]);
    const RgbImage render = loadPng(paths[1]);
    if (reference.empty() || render.empty()) {
        std::printf("compare_frames: cannot read %s\n", (reference.empty() ? paths[0] : paths[1]).c_str());
        return kExitOverTolerance;
    }
    const ImageDifference difference = compareImages(halved(render), reference, kChannelThreshold);
    std::printf("%s: %s\n", withinTolerance(difference) ? "within tolerance" : "OVER TOLERANCE",
                describe(difference).c_str());
    return withinTolerance(difference) ? 0 : kExitOverTolerance;
}
