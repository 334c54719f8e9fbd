#include "support/viewer_process.h"

#include "support/files.h"
#include "support/process.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>

namespace {

// Between two looks at the window: short next to start-up, long enough not
// to compete with the viewer for the processor.
constexpr auto kPollInterval = std::chrono::milliseconds(250);
// A drawn frame's mean red: until the first frame is presented the window is
// black (0), while every drawn frame holds at least the lighting pass's
// clear colour (115 alone); the lit hallway is 60 to 125.
constexpr double kDrawnFrameMeanRed = 5.0;

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

#ifdef _WIN32

// The viewer is driven with xdotool on the X display, which a Windows program
// cannot start; the tests that drive it skip there (support/platform_skips.h)
// before anything below is reached.
ViewerProcess::~ViewerProcess() = default;
bool ViewerProcess::start() { return false; }
bool ViewerProcess::waitForWindow(double) { return false; }
void ViewerProcess::sendKey(const std::string&) {}
bool ViewerProcess::running() { return false; }
int ViewerProcess::waitForExit(double) { return -1; }

#else

ViewerProcess::~ViewerProcess()
{
    if (pid_ > 0 && running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool ViewerProcess::start()
{
    const int out = open(dir_.file("stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        return false;
    }
    pid_ = startProcess({binary_}, workingDirectory_, out);
    close(out);
    return pid_ > 0;
}

bool ViewerProcess::waitForWindow(double seconds)
{
    ProcessOptions options;
    options.timeoutSeconds = seconds;
    options.separateErrors = true;
    const ProcessResult search = runProgram({"xdotool", "search", "--sync", "--onlyvisible", "--all", "--pid",
                                             std::to_string(pid_), "--name", "^Vorlune$"},
                                            options);
    windowId_ = search.output.substr(0, search.output.find('\n'));
    return !windowId_.empty();
}

void ViewerProcess::sendKey(const std::string& key)
{
    // Sent to the window itself rather than to whichever window has the
    // focus: tests run side by side on one display, and a focus change by
    // another test must not steal this key.
    runProgram({"xdotool", "key", "--window", windowId_, key});
}

void ViewerProcess::resizeWindow(int width, int height)
{
    runProgram({"xdotool", "windowsize", windowId_, std::to_string(width), std::to_string(height)});
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
        exitStatus_ = exitStatusOf(status);
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

#endif

RgbImage ViewerProcess::waitForFrame(const std::function<bool(const RgbImage&)>& shows, double seconds)
{
    const std::string path = dir_.file("screenshot.png");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (running() && std::chrono::steady_clock::now() < deadline) {
        RgbImage frame = screenshot(path) ? loadPng(path) : RgbImage();
        if (!frame.empty() && shows(frame)) {
            return frame;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return RgbImage();
}

testing::AssertionResult ViewerProcess::startAndWaitForFirstFrame()
{
    if (!start()) {
        return testing::AssertionFailure() << "could not start " << binary_;
    }
    if (!waitForWindow(kViewerStartSeconds)) {
        return testing::AssertionFailure() << "no window within " << kViewerStartSeconds
                                           << " s; the viewer printed: " << output();
    }
    firstFrame_ = waitForFrame([](const RgbImage& frame) { return meanChannel(frame, 0) > kDrawnFrameMeanRed; },
                               kViewerStartSeconds);
    if (firstFrame_.empty()) {
        return testing::AssertionFailure() << "no frame drawn within " << kViewerStartSeconds << " s ("
                                           << (running() ? "still running" : "ended")
                                           << "); the viewer printed: " << output();
    }
    return testing::AssertionSuccess();
}

std::string ViewerProcess::output() const
{
    return readFile(dir_.file("stdout.txt"));
}

bool ViewerProcess::screenshot(const std::string& pngPath)
{
    return runProgram({"import", "-window", windowId_, pngPath}).status == 0;
}
