#include "support/started_viewer.h"

#include "support/captured_output.h"
#include "support/test_root.h"

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>

namespace {

ContextKind startedKind;

StartedViewer startOnce(ContextKind kind)
{
    if (chdir(testRoot().c_str()) != 0) {
        throw std::runtime_error("cannot enter " + testRoot());
    }
    StartedViewer started;
    bool opened = false;
    started.startupOutput = captureStdout([&] {
        std::optional<Viewer> viewer = ::startViewer(kind);
        if (viewer) {
            static_cast<Viewer&>(started) = std::move(*viewer);
            opened = true;
        }
    });
    if (!opened) {
        throw std::runtime_error("the viewer could not start: " + started.startupOutput);
    }
    startedKind = kind;
    return started;
}

}  // namespace

StartedViewer& startedViewer(ContextKind kind)
{
    static StartedViewer viewer = startOnce(kind);
    // Torn down before exit, as the viewer does (see testGLContext).
    static const bool closesAtExit = [] { return std::atexit([] { closeViewer(viewer); }) == 0; }();
    (void)closesAtExit;
    if (kind != startedKind) {
        throw std::logic_error("the viewer already runs on the other kind of context in this process");
    }
    makeRenderContextCurrent(viewer.context);
    return viewer;
}
