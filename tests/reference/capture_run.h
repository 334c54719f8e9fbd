// Runs the capture program as a person would, from the repository root where
// it finds data/, and collects the images it reports writing.
#pragma once

#include "common/system_path.h"
#include "support/process.h"

#include <cstdlib>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

struct CaptureRun {
    int status = -1;
    std::vector<std::string> images;  // in the order of the times
    std::string output;               // everything it printed, for failure messages
};

// VORLUNE_CAPTURE_PROGRAM names another build of the program to hold to the
// same references (tools/windows.sh: the one in the Windows package).
// (On Windows read wide: getenv gives ANSI text, which a folder name may not fit.)
inline std::string captureProgram()
{
#ifdef _WIN32
    const wchar_t* program = _wgetenv(L"VORLUNE_CAPTURE_PROGRAM");
    return program != nullptr && *program != L'\0' ? utf8FromPath(program) : VORLUNE_CAPTURE;
#else
    const char* program = std::getenv("VORLUNE_CAPTURE_PROGRAM");
    return program != nullptr && *program != '\0' ? program : VORLUNE_CAPTURE;
#endif
}

// `arguments` are blank-separated words, as frames.txt writes them.
inline CaptureRun runCapture(const std::string& outputDirectory, const std::string& prefix,
                             const std::string& arguments)
{
    std::vector<std::string> argv = {captureProgram(), "--out", outputDirectory, "--prefix", prefix};
    std::istringstream words(arguments);
    argv.insert(argv.end(), std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
    const ProcessResult process = runProgram(argv, {VORLUNE_SOURCE_DIR});
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
