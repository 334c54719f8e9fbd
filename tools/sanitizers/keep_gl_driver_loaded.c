/* Linked into every program of the sanitizer build. glfwTerminate closes the
   X display, and with it Mesa unloads its DRI driver, before LeakSanitizer's
   exit-time check: the blocks the driver still reaches from its own globals
   then look leaked, and with its code unmapped the report cannot say whose
   they are, so no suppression could name them. Opening the driver once more,
   never to be closed, keeps it mapped to the end and its memory accounted. */
#include <dlfcn.h>

__attribute__((constructor)) static void keepGlDriverLoaded(void)
{
    /* A driver that cannot be opened here is one the program will not use
       either; there is nothing to keep. */
    dlopen(VORLUNE_GL_DRIVER, RTLD_LAZY | RTLD_NODELETE);
}
