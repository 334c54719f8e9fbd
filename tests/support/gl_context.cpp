#include "support/gl_context.h"

#include <cstdlib>
#include <optional>
#include <stdexcept>

const RenderContext& testGLContext()
{
    static std::optional<RenderContext> context = openRenderContext(chooseContextKind(true));
    if (!context) {
        throw std::runtime_error("no offscreen OpenGL 3.3 core context (see the line above)");
    }
    // Torn down before the process exits, as the tools do: leaving the
    // driver's rasterizer threads running into the exit handlers crashed the
    // odd test process after it had passed.
    static const bool closesAtExit = [] { return std::atexit([] { closeRenderContext(*context); }) == 0; }();
    (void)closesAtExit;
    makeRenderContextCurrent(*context);
    return *context;
}
