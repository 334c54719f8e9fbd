// The four switches the frame reads: which effect passes run, which
// lighting program draws, and whether the scene's clock moves. Kept below
// the frame loop so the passes can read them without depending on the
// application that owns the loop; camera/switch_table binds them to keys.
#pragma once

extern bool godRaysOn;
extern bool bloomOn;
extern bool shadowOn;
extern bool lightAnimationPaused;

// Whether the overlay of keys, switches and timings is drawn over the
// frame (H). Not one of the render switches: it changes no pass.
extern bool overlayShown;

// The four switches as one value, for a tool, test or page hook that
// renders a frame with chosen effects.
struct RenderToggles {
    bool shadows = true;
    bool godRays = true;
    bool bloom = true;
    bool lightAnimation = true;
};

void setRenderToggles(const RenderToggles& toggles);
// The switches as the keys left them.
RenderToggles currentRenderToggles();
