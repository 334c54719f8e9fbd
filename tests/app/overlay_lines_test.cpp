// What the overlay says about the switches and keys, for given states.
#include "app/overlay_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> rendered(const OverlaySwitches& switches)
{
    std::vector<std::string> lines;
    for (const OverlaySwitchLine& line : overlaySwitchLines(switches)) {
        lines.push_back(line.key + " " + line.name + " " + line.state + (line.active ? "" : " (dim)"));
    }
    return lines;
}

TEST(OverlayLines, EachSwitchShowsItsKeyAndState)
{
    EXPECT_EQ(rendered(OverlaySwitches{}),
              (std::vector<std::string>{"S shadows on", "G god rays on", "B bloom on", "L light swinging",
                                        "Space camera tour"}));
    const OverlaySwitches changed{
        .shadows = false, .godRays = true, .bloom = false, .lightAnimation = false, .freeLook = true};
    EXPECT_EQ(rendered(changed),
              (std::vector<std::string>{"S shadows off (dim)", "G god rays on", "B bloom off (dim)",
                                        "L light paused (dim)", "Space camera free look (mouse)"}));
}

TEST(OverlayLines, EscapeQuitsOnTheDesktopAndReleasesThePointerInTheBrowser)
{
    EXPECT_EQ(overlayKeyLine(false), "Esc quits   H hides this");
    EXPECT_EQ(overlayKeyLine(true), "Esc releases the pointer   H hides this");
}

}  // namespace
