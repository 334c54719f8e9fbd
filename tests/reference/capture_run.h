// Runs the capture program as a person would, from the repository root where
// it finds data/, and collects the images it reports writing.
#pragma once

#include <sys/wait.h>

#include <cstdio>
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
    const std::string command = "cd '" + std::string(VORLUNE_SOURCE_DIR) + "' && '" + VORLUNE_CAPTURE +
                                "' --out '" + outputDirectory + "' --prefix " + prefix + " " + arguments + " 2>&1";
    CaptureRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[1024];
    while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr) {
        std::string line = buffer;
        run.output += line;
        while (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        // It prints each image's path on a line of its own; anything else is a complaint.
        if (line.rfind(outputDirectory, 0) == 0) {
            run.images.push_back(line);
        }
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
