#include "web/page_canvas.h"

#include "common/frame_size.h"
#include "web/canvas_size.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <optional>

namespace {

constexpr const char* kCanvas = "#canvas";

}  // namespace

void fitPageCanvas()
{
    double cssWidth = 0.0;
    double cssHeight = 0.0;
    if (emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight) != EMSCRIPTEN_RESULT_SUCCESS) {
        return;
    }
    const std::optional<CanvasFit> fit = fitCanvas(cssWidth, cssHeight, emscripten_get_device_pixel_ratio());
    if (!fit) {
        return;
    }
    int width = 0;
    int height = 0;
    emscripten_get_canvas_element_size(kCanvas, &width, &height);
    // Setting a canvas's size clears its picture and its context's
    // framebuffer, even to the same size: only on a change.
    if (width != fit->size.width || height != fit->size.height) {
        emscripten_set_canvas_element_size(kCanvas, fit->size.width, fit->size.height);
    }
    contentScale = static_cast<float>(fit->pixelRatio);
}

void followPageFullscreen()
{
    // The page's script (tools/web/shell.html) holds the browser's side: the
    // request in flight, and what the browser answered since the last call.
    fullscreenWanted = EM_ASM_INT({ return Module.followFullscreen && Module.followFullscreen($0 != 0) ? 1 : 0; },
                                  fullscreenWanted ? 1 : 0) != 0;
}
