// Puts the process-wide camera, tour, input and toggle state back to how a
// fresh program starts, so tests that touch it do not leak into each other.
#pragma once

void resetGlobalState();
