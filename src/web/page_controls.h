// The page's own controls beside the keys: a button under the canvas for
// each switch of the switch table, and a finger (or pen) dragged on the
// canvas to turn the camera. The page's script (tools/web/shell.html) makes
// the buttons and gathers the presses and the finger's movement; the viewer
// takes them once per animation frame, before the frame, so a switch flips
// between frames as a key's does.
#pragma once

// Asks the page for a button per switch, in the table's order.
void startPageControls();

// Flips the switches whose buttons were pressed since the last call, turns
// the camera by the finger's movement since then (entering free look from
// the tour), and shows the switches' states on their buttons when one
// changed.
void followPageControls();
