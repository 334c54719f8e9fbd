// Vorlune as a web page: the desktop's start-up, scene and frames, driven
// by the browser's animation frames instead of a loop of its own. A page
// has no thread to load on and starts no process, so the scene is made one
// model per animation frame, and the page answers between them; the frames
// follow in the same callback once the last model is placed.
#include "web/page.h"

#include "app/context_restore.h"
#include "app/data_folder.h"
#include "app/frame_loop.h"
#include "app/scene.h"
#include "web/page_canvas.h"
#include "web/page_context.h"
#include "web/page_controls.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace {

// What the page shows while the browser has taken its WebGL context away.
constexpr const char* kContextLostText =
    "The browser took this page's graphics context away; the picture comes back when it gives it back.";

std::optional<Viewer> viewer;
// Kept once the scene is made: a lost context's meshes and textures are
// made again from what it holds.
std::unique_ptr<SceneComposition> composition;
bool composed = false;
PageState state = PageState::Loading;
// When the first frame was drawn, in the page's milliseconds (0: not yet).
double firstFrameMs = 0.0;
// The longest the page went without answering while the scene loaded.
double longestLoadingStepMs = 0.0;
// When the context last came back, until the next frame is drawn (0: none
// waiting), and how long that took the last time (0: never).
double restoreStartMs = 0.0;
double lastRestoreMs = 0.0;
int restoreCount = 0;

// Start-up stopped: the page shows `text` in the canvas's place (a page
// without the shell's showFailure shows it on its status line).
void failToStart(const char* text)
{
    state = PageState::Failed;
    EM_ASM(
        {
            if (Module.showFailure) {
                Module.showFailure(UTF8ToString($0));
            } else if (Module.showStatus) {
                Module.showStatus(UTF8ToString($0), false);
            }
        },
        text);
}

void showLoadingProgress(std::size_t made)
{
    const std::string text = "Loading the hallway: " + std::to_string(made) + " of " +
                             std::to_string(SceneComposition::kModelCount) + " models";
    showPageStatus(text.c_str(), false);
}

// Nothing draws while the context is gone; once it is back, everything
// made in it is made again first. False while there is no context to draw in.
bool followPageContext()
{
    if (pageContextLost()) {
        if (state != PageState::Lost) {
            state = PageState::Lost;
            showPageNotice(kContextLostText);
        }
        return false;
    }
    if (takePageContextRestored()) {
        restoreStartMs = emscripten_get_now();
        forgetLostGLNames();
        if (!composed) {
            // The model being made when the context went may hold objects
            // made in the lost context, with no names to make them again
            // by: the scene is loaded again from its first model.
            composition = std::make_unique<SceneComposition>(std::string());
        }
        remakeGLObjects(*viewer, *composition);
        state = composed ? PageState::Drawing : PageState::Loading;
        showPageNotice("");
    }
    return true;
}

// One animation frame: the next model while the scene loads, else a frame.
// The canvas follows the page's layout from the first, so the frames start
// at the size they are shown at.
void animationFrame()
{
    fitPageCanvas();
    // Before fullscreen: the F button's press is asked for in the same frame.
    followPageControls();
    followPageFullscreen();
    if (!followPageContext()) {
        return;
    }
    if (!composed) {
        const double start = emscripten_get_now();
        const bool more = composition->loadNextModel();
        longestLoadingStepMs = std::max(longestLoadingStepMs, emscripten_get_now() - start);
        if (pageContextLost()) {
            // Not finished on a lost context: loaded again once it is back.
            return;
        }
        if (more) {
            showLoadingProgress(composition->modelsMade());
            return;
        }
        // A model that could not be loaded has printed its line and stays
        // empty; the rest of the scene draws.
        composition->finish();
        composed = true;
        showPageStatus("", true);
        state = PageState::Drawing;
    }
    runFrame(viewer->context, viewer->programs);
    if (firstFrameMs == 0.0) {
        firstFrameMs = emscripten_get_now();
    }
    if (restoreStartMs > 0.0) {
        lastRestoreMs = emscripten_get_now() - restoreStartMs;
        restoreStartMs = 0.0;
        ++restoreCount;
        std::printf("Vorlune: the graphics context is back; the first frame drawn %.0f ms after\n", lastRestoreMs);
    }
}

}  // namespace

PageState pageState()
{
    return state;
}

double pageFirstFrameMs()
{
    return firstFrameMs;
}

double pageLongestLoadingStepMs()
{
    return longestLoadingStepMs;
}

double pageLastRestoreMs()
{
    return lastRestoreMs;
}

int pageRestoreCount()
{
    return restoreCount;
}

const Viewer* pageViewer()
{
    return viewer ? &*viewer : nullptr;
}

void showPageStatus(const char* text, bool done)
{
    EM_ASM({ if (Module.showStatus) Module.showStatus(UTF8ToString($0), $1); }, text, done);
}

void showPageNotice(const char* text)
{
    EM_ASM({ if (Module.showNotice) Module.showNotice(UTF8ToString($0)); }, text);
}

int main()
{
    // The page's data package sits in data/ under the working folder.
    if (!enterDataFolder()) {
        failToStart("Vorlune cannot start: its data did not load.");
        return 1;
    }
    viewer = startViewer(ContextKind::Window);
    if (!viewer) {
        failToStart("Vorlune cannot start: this browser gave no WebGL2 context.");
        return 1;
    }
    // No worker program: in the page, requests run in-process.
    composition = std::make_unique<SceneComposition>(std::string());
    startPageControls();
    watchPageContext();
    showLoadingProgress(0);
    // 0: at the browser's own frame rate. The runtime outlives main, so
    // main returns and the browser calls back.
    emscripten_set_main_loop(animationFrame, 0, false);
    return 0;
}
