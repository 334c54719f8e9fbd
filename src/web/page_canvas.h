// The page's canvas as the page lays it out: its drawing buffer sized to it
// at the start of every animation frame, before the frame reads its size.
#pragma once

// Sizes the canvas's drawing buffer to its CSS size times the device pixel
// ratio within the area cap (web/canvas_size.h), when that differs from the
// buffer's size, and makes the ratio used the overlay's text scale.
void fitPageCanvas();

