// Runs other programs (the viewer, the capture tool, the generator, xdotool)
// for tests that check what a program printed and how it ended. Every run
// gets its own process group, so a timeout ends a shell and all it started
// (on Windows, CreateProcessW's child alone).
#pragma once

#include <string>
#include <vector>

struct ProcessOptions {
    std::string workingDirectory;  // "" runs it in the test's own
    double timeoutSeconds = 0.0;   // 0 waits as long as it takes
    bool separateErrors = false;   // standard error into `errors` instead of `output`
};

struct ProcessResult {
    // The exit status, 128 + the signal for a process a signal ended (a
    // crash), or -1 when it could not start or ran out of time.
    int status = -1;
    bool timedOut = false;
    std::string output;  // standard output, and standard error unless kept apart
    std::string errors;
};

// Runs argv[0], found on PATH, with the other words as its arguments.
ProcessResult runProgram(const std::vector<std::string>& argv, const ProcessOptions& options = {});
// Runs a shell command line, for callers that need quoting, redirection or env(1).
// Windows has no shell for it: there nothing runs (status -1).
ProcessResult runShell(const std::string& commandLine, const ProcessOptions& options = {});

#ifndef _WIN32
#include <sys/types.h>

// The pieces for a process that outlives one call (a viewer a test drives):
// starts argv in `workingDirectory` with standard output and error sent to
// the given descriptors (-1 keeps the test's own) and returns its id, or -1.
pid_t startProcess(const std::vector<std::string>& argv, const std::string& workingDirectory, int outputFd,
                   int errorFd = -1);
// The status runProgram reports, from what waitpid gave.
int exitStatusOf(int waitStatus);
#endif
