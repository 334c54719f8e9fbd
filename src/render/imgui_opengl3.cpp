// Dear ImGui's OpenGL 3 renderer for the overlay, compiled here against the
// GL entry points the viewer has loaded: GLEW's on the desktop, the
// browser's WebGL 2 in the page. The renderer's own loader finds libGL
// through GLX, which an EGL context, Wine's and the browser's do not go
// through. The source is the one packaged with the library.
#ifdef __EMSCRIPTEN__
#define IMGUI_IMPL_OPENGL_ES3
#else
#include <GL/glew.h>
#define IMGUI_IMPL_OPENGL_LOADER_CUSTOM
#endif

#include VORLUNE_IMGUI_OPENGL3_BACKEND

#include "render/imgui_opengl3.h"

void dropImGuiRendererObjects()
{
    ImGui_ImplOpenGL3_Data* renderer = ImGui_ImplOpenGL3_GetBackendData();
    if (renderer == nullptr) {
        return;
    }
    // A zero program is the renderer's own sign to make its objects; zero
    // buffer sizes make it fill the new buffers before their first use.
    renderer->ShaderHandle = 0;
    renderer->VboHandle = 0;
    renderer->ElementsHandle = 0;
    renderer->VertexBufferSize = 0;
    renderer->IndexBufferSize = 0;
    renderer->FontTexture = 0;
    ImGui::GetIO().Fonts->SetTexID(nullptr);
}
