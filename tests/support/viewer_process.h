// Runs the real vorlune binary in a scratch working directory that holds a
// copy of the repository's data/ (or an installed copy in a folder of the
// test's choosing), and drives it through the X display the way a person
// would (xdotool), for end-to-end tests.
#pragma once

#include "support/rgb_image.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/types.h>

#include <functional>
#include <string>

// How long a test waits for the viewer's window and for its first drawn
// frame: start-up imports every model and builds every shader, which under
// the sanitizers on a machine busy with other work takes minutes. A wait
// ends as soon as what it waits for is there.
constexpr double kViewerStartSeconds = 300.0;
constexpr double kViewerExitSeconds = 60.0;

class ViewerProcess {
public:
    // Copies data/ into a fresh directory; `prepare` may then break files.
    ViewerProcess();
    // Starts `binary` in `workingDirectory` as it is (an installed viewer
    // started from an unrelated folder).
    ViewerProcess(std::string binary, std::string workingDirectory);
    ~ViewerProcess();

    const std::string& workingDirectory() const { return workingDirectory_; }

    // Starts the binary with stdout to a file; returns false if it could not.
    bool start();
    // Waits until the window is visible; returns false after `seconds`.
    bool waitForWindow(double seconds);
    // Starts the binary and waits for its window and then its first drawn
    // frame, each within kViewerStartSeconds; on failure says which did not
    // come and what the viewer printed. The window appears before the scene
    // has loaded, so a test that presses a key waits for this first: a key
    // pressed earlier may end start-up before the scene has loaded.
    testing::AssertionResult startAndWaitForFirstFrame();
    // The frame that startAndWaitForFirstFrame saw.
    const RgbImage& firstFrame() const { return firstFrame_; }
    // Takes screenshots of the running viewer's window until one `shows`
    // what the test waits for, and returns it; an empty image after
    // `seconds`, or once the viewer has ended.
    RgbImage waitForFrame(const std::function<bool(const RgbImage&)>& shows, double seconds);
    // Sends a key press and release (an xdotool key name, e.g. "Escape").
    void sendKey(const std::string& key);
    // Resizes the window as a person dragging its border would.
    void resizeWindow(int width, int height);
    // Waits for exit; returns the exit status, or -1 if it did not exit in
    // time (the process is then killed).
    int waitForExit(double seconds);
    bool running();
    // Everything the process has written to standard output so far.
    std::string output() const;
    // Saves the window's current image as a PNG, returns false on failure.
    bool screenshot(const std::string& pngPath);

private:
    TempDir dir_;
    std::string binary_ = VORLUNE_BINARY;
    std::string workingDirectory_ = dir_.path;
    pid_t pid_ = -1;
    std::string windowId_;
    int exitStatus_ = -1;
    RgbImage firstFrame_;
};
