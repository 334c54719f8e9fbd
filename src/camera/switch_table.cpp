#include "camera/switch_table.h"

#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "common/frame_size.h"
#include "common/pass_view.h"
#include "common/render_toggles.h"

#include <GLFW/glfw3.h>

#include <array>

namespace {

// The tour never touches pitch, so level the camera on the way back to it.
void levelOnLeavingFreeLook()
{
    if (!cameraTour.freeLook) {
        camera.pitch = 0.0f;
        camera.updateVectors();
    }
}

const std::array kSwitches{
    Switch{.key = GLFW_KEY_S, .keyName = "S", .label = "shadows", .onWord = "on", .offWord = "off", .flag = &shadowOn},
    Switch{.key = GLFW_KEY_G, .keyName = "G", .label = "god rays", .onWord = "on", .offWord = "off", .flag = &godRaysOn},
    Switch{.key = GLFW_KEY_B, .keyName = "B", .label = "bloom", .onWord = "on", .offWord = "off", .flag = &bloomOn},
    Switch{.key = GLFW_KEY_L, .keyName = "L", .label = "light", .onWord = "swinging", .offWord = "paused",
           .flag = &lightAnimationPaused, .flagMeansOff = true},
    Switch{.key = GLFW_KEY_SPACE, .keyName = "Space", .label = "camera", .onWord = "free look (mouse)",
           .offWord = "tour", .flag = &cameraTour.freeLook, .offIsDim = false, .afterFlip = levelOnLeavingFreeLook},
    Switch{.key = GLFW_KEY_F, .keyName = "F", .label = "window", .onWord = "fullscreen", .offWord = "windowed",
           .flag = &fullscreenWanted, .offIsDim = false, .otherKey = GLFW_KEY_F11},
    Switch{.key = GLFW_KEY_V, .keyName = "V", .label = "view", .onWord = "pass image", .offWord = "frame",
           .flag = &passViewShown, .offIsDim = false, .step = stepPassView, .stateText = passViewState},
    Switch{.key = GLFW_KEY_H, .keyName = "H", .label = "overlay", .onWord = "shown", .offWord = "hidden",
           .flag = &overlayShown, .listedOnOverlay = false},
};

}  // namespace

std::span<const Switch> switchTable()
{
    return kSwitches;
}

bool flippedBy(const Switch& row, int key)
{
    return row.key == key || (row.otherKey != 0 && row.otherKey == key);
}

bool switchOn(const Switch& row)
{
    return *row.flag != row.flagMeansOff;
}

void flipSwitch(const Switch& row)
{
    if (row.step != nullptr) {
        row.step();
    } else {
        *row.flag = !*row.flag;
    }
    if (row.afterFlip != nullptr) {
        row.afterFlip();
    }
}
