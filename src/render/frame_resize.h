// A change of the frame's size, followed everywhere it matters: the targets
// whose size follows the frame get storage of the new size (same names),
// and every lighting variant gets the new screen size. Nothing happens, and
// no GL call is made, while the size stays the same.
#pragma once

#include "common/frame_size.h"

struct ShaderPrograms;

// Makes `size` the frame's size. A size without pixels (a minimised window)
// is not one to draw at, and leaves everything as it was. True when the
// size changed.
bool resizeFrame(FrameSize size, const ShaderPrograms& programs);
