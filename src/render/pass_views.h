// The pass views (V): one pass's image drawn over the window in place of the
// finished frame, after every pass has run as usual (the lighting pass
// included; its picture is drawn over). Each view finds its image in the
// pass table, as a pass that read it would. Its programs are made the first
// time a view is drawn, so a run that never shows one asks nothing more of GL.
#pragma once

#include "common/pass_view.h"

#include <string>
#include <vector>

// Draws `view` into framebuffer 0 at the frame's size; nothing for the
// frame. A view whose pass did not run this frame shows the background
// alone, never an image left from an earlier frame.
void drawPassView(PassView view);

// Forgets the views' programs without deleting them (their context was
// lost): the next view drawn makes them again.
void dropPassViewGLObjects();

// Builds the views' programs again when they exist and read one of `files`;
// a new one that fails to build is deleted and sets `failed`, and the old
// one goes on. Returns how many were built.
int rebuildPassViewPrograms(const std::vector<std::string>& files, bool& failed);
