// The page's canvas as the page lays it out: its drawing buffer sized to it,
// and fullscreen as the F key and the page's button ask. Both run at the
// start of every animation frame, before the frame reads its size.
#pragma once

// Sizes the canvas's drawing buffer to its CSS size times the device pixel
// ratio within the area cap (web/canvas_size.h), when that differs from the
// buffer's size, and makes the ratio used the overlay's text scale.
void fitPageCanvas();

// Brings the page's fullscreen and the fullscreen switch (F) together: asks
// the browser for what the switch says, and sets the switch to what the
// browser did (a refused request, the user leaving with Escape, the page's
// button).
void followPageFullscreen();
