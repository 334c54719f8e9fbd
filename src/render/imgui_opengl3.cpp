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
