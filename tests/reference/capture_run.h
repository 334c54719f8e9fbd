// Runs the capture program as a person would, from the repository root where
// it finds data/, and collects the images it reports writing.
#pragma once

#include "support/process.h"

#include <sstream>
#include <string>
#include <vector>

struct CaptureRun {
    int status = -1;
    std::vector<std::string> images;  // in the order of the times
    std::string output;               // everything it printed, for failure messages
};

inline CaptureRun runCapture(const std::string& outputDirectory, const std::string& prefix,
                             const std::string& arguments)
{
    const ProcessResult process = runShell("'" + std::string(VORLUNE_CAPTURE) + "' --out '" + outputDirectory +
                                               "' --prefix " + prefix + " " + arguments,
                                           {VORLUNE_SOURCE_DIR});
    CaptureRun run;
    run.status = process.status;
    run.output = process.output;
    std::istringstream lines(process.output);
    for (std::string line; std::getline(lines, line);) {
        // It prints each image's path on a line of its own; anything else is a complaint.
        if (line.rfind(outputDirectory, 0) == 0) {
            run.images.push_back(line);
        }
    }
    return run;
}
