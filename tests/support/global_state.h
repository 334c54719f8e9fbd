// Puts the process-wide camera, tour, input and toggle state back to how a
// fresh program starts, so tests that touch it do not leak into each other.
#pragma once

void resetGlobalState();

// Empties the scene's draw lists and lights and forgets the alarm-light
// models, as before composition (the models themselves are kept, as the
// scene keeps them).
void clearScene();
