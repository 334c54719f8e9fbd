// The page's WebGL context as the browser takes it away and gives it back
// (a tab in the background, a GPU reset, a driver update). The page asks for
// it back when it is lost, as a browser otherwise keeps it; while it is gone
// nothing is drawn, and once it is back every GL object is made again
// (app/context_restore.h).
#pragma once

// Listens for the canvas's context being lost and restored.
void watchPageContext();

// Whether the context is gone now (even before the page has been told).
bool pageContextLost();

// True once after the context has come back: the caller makes its GL
// objects again before anything else draws.
bool takePageContextRestored();

// Forgets the runtime's names for the lost context's objects, which the new
// context would refuse (names are never deleted: the objects are gone with
// their context, and the runtime does not hand their names out again), and
// enables the extensions again, which the runtime does once per context.
void forgetLostGLNames();
