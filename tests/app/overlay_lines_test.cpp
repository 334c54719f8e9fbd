// What the overlay says about the switches and keys, for given states.
#include "app/overlay_lines.h"
#include "camera/camera_tour.h"
#include "common/pass_view.h"
#include "common/render_toggles.h"
#include "support/global_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> rendered()
{
    std::vector<std::string> lines;
    for (const OverlaySwitchLine& line : overlaySwitchLines()) {
        lines.push_back(line.key + " " + line.name + " " + line.state + (line.active ? "" : " (dim)"));
    }
    return lines;
}

// The lines read the switches the process holds; each test starts from and
// leaves the start-up state.
struct OverlayLines : testing::Test {
    void SetUp() override { resetGlobalState(); }
    void TearDown() override { resetGlobalState(); }
};

TEST_F(OverlayLines, EachSwitchShowsItsKeyAndState)
{
    EXPECT_EQ(rendered(),
              (std::vector<std::string>{"S shadows on", "G god rays on", "B bloom on", "L light swinging",
                                        "Space camera tour", "F window windowed", "V view frame"}));
    shadowOn = false;
    bloomOn = false;
    lightAnimationPaused = true;
    cameraTour.freeLook = true;
    // A view names itself, and that its pass is off rather than showing it.
    showPassView(PassView::BloomBlur);
    EXPECT_EQ(rendered(),
              (std::vector<std::string>{"S shadows off (dim)", "G god rays on", "B bloom off (dim)",
                                        "L light paused (dim)", "Space camera free look (mouse)", "F window windowed",
                                        "V view bloom blur (pass off)"}));
}

TEST_F(OverlayLines, EscapeQuitsOnTheDesktopAndReleasesThePointerInTheBrowser)
{
    EXPECT_EQ(overlayKeyLine(false), "Esc quits   H hides this");
    EXPECT_EQ(overlayKeyLine(true), "Esc releases the pointer   H hides this");
}

}  // namespace
