#include "common/frame_size.h"

FrameSize frameSize = kStartFrameSize;
float contentScale = 1.0f;
bool fullscreenWanted = false;

float frameAspect(FrameSize size)
{
    if (!hasPixels(size)) {
        size = kStartFrameSize;
    }
    return static_cast<float>(size.width) / static_cast<float>(size.height);
}
