// The images the passes hand on to later passes, by name, and how a reader
// finds the one it samples: in the pass table, not in another pass's
// globals, so a pass added between a writer and its reader (a second blur
// pass) takes over without the reader changing.
#pragma once

#include "render/render_pass.h"

#include <cstddef>
#include <span>
#include <vector>

inline constexpr const char* kShadowMapImage = "shadow map";
inline constexpr const char* kGodRayImage = "god-ray occlusion";
inline constexpr const char* kBloomBrightImage = "bloom bright";
// The finished bloom, whichever pass finishes it.
inline constexpr const char* kBloomImage = "bloom";

// The latest of `earlierRows` that makes the image called `name`, whose
// switch says whether it holds this frame's; null when none makes one.
const RenderPass* findProducerRow(std::span<const RenderPass* const> earlierRows, const char* name);

// The image called `name` that the latest of `earlierRows` makes; null when
// none of them makes one.
const PassImage* findProducer(std::span<const RenderPass* const> earlierRows, const char* name);

// The images called `names`, in that order, each from the latest of
// `earlierRows` that makes it. A name none of them makes binds texture 0,
// which reads as black.
std::vector<SampledImage> sampledImages(std::span<const RenderPass* const> earlierRows,
                                        std::span<const char* const> names);
