#include "support/viewer_process.h"

#include "support/files.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string runCommand(const std::string& command)
{
    std::string result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[256];
    while (fgets(buffer, sizeof(buffer), pipe) != nullptr) {
        result += buffer;
    }
    pclose(pipe);
    return result;
}

}  // namespace

ViewerProcess::ViewerProcess()
{
    std::filesystem::copy(std::string(VORLUNE_SOURCE_DIR) + "/data", dir_.path + "/data",
                          std::filesystem::copy_options::recursive);
}

ViewerProcess::ViewerProcess(std::string binary, std::string workingDirectory)
    : binary_(std::move(binary)), workingDirectory_(std::move(workingDirectory))
{
}

ViewerProcess::~ViewerProcess()
{
    if (pid_ > 0 && running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool ViewerProcess::start()
{
    const std::string stdoutPath = dir_.file("stdout.txt");
    pid_ = fork();
    if (pid_ < 0) {
        return false;
    }
    if (pid_ == 0) {
        if (chdir(workingDirectory_.c_str()) != 0) {
            _exit(127);
        }
        const int out = open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        close(out);
        execl(binary_.c_str(), binary_.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return true;
}

bool ViewerProcess::waitForWindow(double seconds)
{
    const std::string command = "timeout " + std::to_string(seconds)
                              + " xdotool search --sync --onlyvisible --all --pid " + std::to_string(pid_)
                              + " --name '^Vorlune$' 2>/dev/null | head -n 1";
    windowId_ = runCommand(command);
    while (!windowId_.empty() && (windowId_.back() == '\n' || windowId_.back() == ' ')) {
        windowId_.pop_back();
    }
    return !windowId_.empty();
}

void ViewerProcess::sendKey(const std::string& key)
{
    // Sent to the window itself rather than to whichever window has the
    // focus: tests run side by side on one display, and a focus change by
    // another test must not steal this key.
    runCommand("xdotool key --window " + windowId_ + " " + key + " 2>&1");
}

bool ViewerProcess::running()
{
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
        pid_ = -pid_;  // reaped; remember the status through waitForExit
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

int ViewerProcess::waitForExit(double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (running()) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return exitStatus_;
}

std::string ViewerProcess::output() const
{
    return readFile(dir_.file("stdout.txt"));
}

bool ViewerProcess::screenshot(const std::string& pngPath)
{
    const std::string command = "import -window " + windowId_ + " " + pngPath + " 2>&1 && echo ok";
    return runCommand(command).find("ok") != std::string::npos;
}
