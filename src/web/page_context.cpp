#include "web/page_context.h"

#include <emscripten.h>
#include <emscripten/html5.h>

namespace {

constexpr const char* kCanvas = "#canvas";

bool lost = false;
bool restored = false;

EM_BOOL onContextLost(int /*eventType*/, const void* /*reserved*/, void* /*userData*/)
{
    lost = true;
    restored = false;
    // True: the runtime prevents the event's default, which is how a page
    // tells the browser it wants the context back.
    return EM_TRUE;
}

EM_BOOL onContextRestored(int /*eventType*/, const void* /*reserved*/, void* /*userData*/)
{
    lost = false;
    restored = true;
    return EM_TRUE;
}

}  // namespace

void watchPageContext()
{
    emscripten_set_webglcontextlost_callback(kCanvas, nullptr, EM_FALSE, onContextLost);
    emscripten_set_webglcontextrestored_callback(kCanvas, nullptr, EM_FALSE, onContextRestored);
}

bool pageContextLost()
{
    // The browser may take the context in the middle of a task and tell the
    // page only after it: asked directly, so that nothing is made in a lost
    // context once it is known to be gone.
    return lost || emscripten_is_webgl_context_lost(emscripten_webgl_get_current_context());
}

bool takePageContextRestored()
{
    const bool was = restored;
    restored = false;
    return was;
}

void forgetLostGLNames()
{
    EM_ASM({
        // The runtime's tables from names to WebGL objects: emptied, so the
        // lost objects go with them.
        for (var table of [GL.buffers, GL.textures, GL.programs, GL.shaders, GL.framebuffers, GL.renderbuffers,
                           GL.vaos, GL.queries, GL.samplers, GL.syncs, GL.transformFeedbacks]) {
            if (table) {
                table.fill(null);
            }
        }
        var context = GL.currentContext;
        var gl = context.GLctx;
        // The bindings the runtime remembers, as a new context has them.
        gl.currentArrayBufferBinding = gl.currentElementArrayBufferBinding = 0;
        gl.currentPixelPackBufferBinding = gl.currentPixelUnpackBufferBinding = 0;
        gl.currentProgram = null;
        context.initExtensionsDone = false;
        GL.initExtensions(context);
    });
}
