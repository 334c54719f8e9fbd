// The page's own controls beside the keys: a button under the canvas for
// each switch of the switch table, a range input for each dial of the dial
// table, and a finger (or pen) dragged on the canvas to turn the camera. The
// page's script (tools/web/shell.html) makes the buttons and inputs and
// gathers the presses, the inputs' moves and the finger's movement; the
// viewer takes them once per animation frame, before the frame, so a switch
// flips and a dial turns between frames as with a key.
#pragma once

// Asks the page for a button per switch and an input per dial, in the
// tables' orders.
void startPageControls();

// Flips the switches whose buttons were pressed since the last call, sets
// the dials whose inputs moved, turns the camera by the finger's movement
// since then (entering free look from the tour), and shows the switches'
// states, the dials' values and whether the overlay is shown (the page then
// keeps the arrows and Backspace, the overlay's dial keys, from scrolling or
// going back), each when it changed.
void followPageControls();
