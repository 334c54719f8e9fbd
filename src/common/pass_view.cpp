#include "common/pass_view.h"

#include "common/render_toggles.h"

#include <array>

namespace {

constexpr std::array kPassViews{
    PassViewInfo{PassView::Frame, "frame", "frame", nullptr},
    PassViewInfo{PassView::GodRays, "god-rays", "god-ray occlusion", &godRaysOn},
    PassViewInfo{PassView::BloomBright, "bloom-bright", "bloom bright", &bloomOn},
    PassViewInfo{PassView::BloomBlur, "bloom-blur", "bloom blur", &bloomOn},
    PassViewInfo{PassView::ShadowMap, "shadow-map", "shadow cube map", &shadowOn},
};

}  // namespace

PassView passView = PassView::Frame;
bool passViewShown = false;

std::span<const PassViewInfo> passViews()
{
    return kPassViews;
}

const PassViewInfo& passViewInfo(PassView view)
{
    for (const PassViewInfo& info : kPassViews) {
        if (info.view == view) {
            return info;
        }
    }
    return kPassViews.front();
}

std::optional<PassView> passViewNamed(const std::string& name)
{
    for (const PassViewInfo& info : kPassViews) {
        if (name == info.name) {
            return info.view;
        }
    }
    return std::nullopt;
}

std::string passViewNames()
{
    std::string names;
    for (const PassViewInfo& info : kPassViews) {
        names += (names.empty() ? "" : ", ") + std::string(info.name);
    }
    return names;
}

void showPassView(PassView view)
{
    passView = view;
    passViewShown = view != PassView::Frame;
}

void stepPassView()
{
    for (std::size_t i = 0; i < kPassViews.size(); ++i) {
        if (kPassViews[i].view == passView) {
            showPassView(kPassViews[(i + 1) % kPassViews.size()].view);
            return;
        }
    }
    showPassView(PassView::Frame);
}

std::string passViewState()
{
    const PassViewInfo& info = passViewInfo(passView);
    if (info.passSwitch != nullptr && !*info.passSwitch) {
        return std::string(info.label) + " (pass off)";
    }
    return info.label;
}
