#include "app/overlay.h"

#include "app/overlay_lines.h"
#include "common/dials.h"
#include "common/render_toggles.h"
#include "common/frame_size.h"
#include "common/shader_rebuilds.h"
#include "render/imgui_opengl3.h"
#include "render/pass_table.h"
#include "render/pass_timer.h"

#include <GL/glew.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

#ifdef __EMSCRIPTEN__
constexpr bool kInBrowser = true;
constexpr const char* kShaderVersion = "#version 300 es";
#else
constexpr bool kInBrowser = false;
constexpr const char* kShaderVersion = "#version 330 core";
#endif

// The graph shows this much of the recent past; the figure above it
// averages over the last part of it, so it can be read while it changes.
constexpr double kGraphSeconds = 3.0;
constexpr double kAverageSeconds = 0.5;
// A frame that takes longer is a pause (a dragged window, a stopped
// process): it would flatten the graph, so it starts the history afresh.
constexpr double kLongestFrameMs = 1000.0;

// Sizes in points: at a content scale of 2 (a doubled HiDPI desktop) each
// is drawn twice as large, so the overlay reads the same there.
constexpr float kFontSize = 13.0f;  // Dear ImGui's own font's size
constexpr float kMargin = 12.0f;
// The panels' narrowest widths: each grows past it to hold its longest
// line (a browser names a longer GL version, the page a longer key line),
// up to the frame's width.
constexpr float kKeysPanelWidth = 270.0f;
constexpr float kTimesPanelWidth = 330.0f;
constexpr float kGraphHeight = 48.0f;
// Nearly opaque: the figures stay readable over the brightest wall.
constexpr float kPanelOpacity = 0.9f;
constexpr float kKeyColumn = 54.0f;    // where the switch's name starts
constexpr float kStateColumn = 134.0f; // where its state starts
constexpr float kDialsPanelWidth = 330.0f;
constexpr float kDialNameColumn = 22.0f;   // after the chosen dial's mark
constexpr float kDialValueColumn = 150.0f;
constexpr float kDialDefaultColumn = 210.0f;
constexpr float kGpuColumn = 170.0f;
constexpr float kCpuColumn = 250.0f;

const ImVec4 kKeyColour{0.95f, 0.85f, 0.55f, 1.0f};
const ImVec4 kOnColour{0.55f, 0.95f, 0.55f, 1.0f};
const ImVec4 kOffColour{0.95f, 0.55f, 0.45f, 1.0f};
const ImVec4 kQuietColour{0.65f, 0.65f, 0.70f, 1.0f};
const ImVec4 kChosenColour{1.0f, 1.0f, 1.0f, 1.0f};

constexpr ImGuiWindowFlags kPanelFlags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoInputs |
                                         ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoSavedSettings |
                                         ImGuiWindowFlags_NoFocusOnAppearing |
                                         ImGuiWindowFlags_AlwaysAutoResize;

struct FrameSample {
    Clock::time_point at;
    double milliseconds;
};

struct OverlayState {
    std::unique_ptr<PassTimer> timer;
    std::string renderer;
    std::string version;
    std::deque<FrameSample> frames;
    Clock::time_point lastDrawn;
    bool drawnBefore = false;
    bool laidOut = false;
    // The content scale its font and style were made for.
    float scale = 1.0f;
};

OverlayState* overlay = nullptr;

std::string glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "?";
}

void setOverlayStyle(float scale)
{
    ImGuiStyle& style = ImGui::GetStyle();
    style = ImGuiStyle();
    ImGui::StyleColorsDark();
    style.WindowRounding = 6.0f;
    style.WindowBorderSize = 0.0f;
    style.WindowPadding = ImVec2(10.0f, 8.0f);
    style.ScaleAllSizes(scale);
}

// The content scale in quarter steps (desktops scale by 125%, 150%...): a
// page whose pixel ratio is cut to fit its cap changes scale with every
// step of a resize, and the font need not be made again for each.
float textScale(float scale)
{
    constexpr float kSteps = 4.0f;
    constexpr float kLeast = 0.5f;
    return std::max(kLeast, std::round(scale * kSteps) / kSteps);
}

// Text drawn at the scale's size, not stretched: the font atlas is made
// again with the font at that many pixels, and the style's spacing grows
// with it. Only when the scale changes (a window moved to another screen).
void rescaleOverlay(OverlayState& state, float scale)
{
    ImFontAtlas& fonts = *ImGui::GetIO().Fonts;
    fonts.Clear();
    ImFontConfig font;
    font.SizePixels = kFontSize * scale;
    fonts.AddFontDefault(&font);
    ImGui_ImplOpenGL3_DestroyFontsTexture();
    ImGui_ImplOpenGL3_CreateFontsTexture();
    setOverlayStyle(scale);
    state.scale = scale;
    // New sizes take a laid-out frame, as at the first.
    state.laidOut = false;
}

OverlayState& overlayState()
{
    if (overlay == nullptr) {
        overlay = new OverlayState;
        IMGUI_CHECKVERSION();
        ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        // No settings file and no log: the overlay keeps nothing between runs.
        io.IniFilename = nullptr;
        io.LogFilename = nullptr;
        // Dear ImGui takes no input: the mouse stays the camera's, the cursor
        // as the viewer set it; the dials' keys go through the key handler.
        io.ConfigFlags |= ImGuiConfigFlags_NoMouse | ImGuiConfigFlags_NoMouseCursorChange;
        setOverlayStyle(1.0f);
        ImGui_ImplOpenGL3_Init(kShaderVersion);
        overlay->renderer = glText(GL_RENDERER);
        // Desktop GL names only the number; WebGL names itself.
        const std::string version = glText(GL_VERSION);
        overlay->version = version.rfind("OpenGL", 0) == 0 ? version : "OpenGL " + version;
        overlay->timer = std::make_unique<PassTimer>();
    }
    return *overlay;
}

// The frame just ended, from the wall clock; the history kept to the graph.
void recordFrame(OverlayState& state)
{
    const Clock::time_point now = Clock::now();
    if (state.drawnBefore) {
        const double milliseconds = std::chrono::duration<double, std::milli>(now - state.lastDrawn).count();
        if (milliseconds > kLongestFrameMs) {
            state.frames.clear();
        } else {
            state.frames.push_back({now, milliseconds});
        }
    }
    state.lastDrawn = now;
    state.drawnBefore = true;
    const auto oldest = now - std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kGraphSeconds));
    while (!state.frames.empty() && state.frames.front().at < oldest) {
        state.frames.pop_front();
    }
}

double recentAverage(const OverlayState& state)
{
    const auto since = state.lastDrawn -
                       std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kAverageSeconds));
    double sum = 0.0;
    int count = 0;
    for (const FrameSample& frame : state.frames) {
        if (frame.at >= since) {
            sum += frame.milliseconds;
            ++count;
        }
    }
    return count > 0 ? sum / count : 0.0;
}

// A panel may take the frame less its margins.
ImVec2 largestPanel(float scale)
{
    return ImVec2(std::max(1.0f, static_cast<float>(frameSize.width) - 2.0f * kMargin * scale),
                  std::max(1.0f, static_cast<float>(frameSize.height) - 2.0f * kMargin * scale));
}

void keysPanel(float scale)
{
    ImGui::SetNextWindowPos(ImVec2(kMargin * scale, kMargin * scale));
    ImGui::SetNextWindowSizeConstraints(ImVec2(kKeysPanelWidth * scale, 0.0f), largestPanel(scale));
    ImGui::SetNextWindowBgAlpha(kPanelOpacity);
    ImGui::Begin("keys", nullptr, kPanelFlags);
    for (const OverlaySwitchLine& line : overlaySwitchLines()) {
        ImGui::TextColored(kKeyColour, "%s", line.key.c_str());
        ImGui::SameLine(kKeyColumn * scale);
        ImGui::TextUnformatted(line.name.c_str());
        ImGui::SameLine(kStateColumn * scale);
        ImGui::TextColored(line.active ? kOnColour : kOffColour, "%s", line.state.c_str());
    }
    ImGui::Separator();
    ImGui::TextColored(kQuietColour, "%s", overlayKeyLine(kInBrowser).c_str());
    ImGui::End();
}

void timesPanel(OverlayState& state)
{
    const float scale = state.scale;
    const float width = kTimesPanelWidth * scale;
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(frameSize.width) - kMargin * scale, kMargin * scale),
                            ImGuiCond_Always, ImVec2(1.0f, 0.0f));
    ImGui::SetNextWindowSizeConstraints(ImVec2(width, 0.0f), largestPanel(scale));
    ImGui::SetNextWindowBgAlpha(kPanelOpacity);
    ImGui::Begin("times", nullptr, kPanelFlags);
    ImGui::TextWrapped("%s", state.renderer.c_str());
    ImGui::TextColored(kQuietColour, "%s", state.version.c_str());

    const double average = recentAverage(state);
    ImGui::Text("frame %6.1f ms  (%.0f fps)", average, average > 0.0 ? 1000.0 / average : 0.0);
    std::vector<float> graph;
    float highest = 0.0f;
    for (const FrameSample& frame : state.frames) {
        graph.push_back(static_cast<float>(frame.milliseconds));
        highest = std::max(highest, graph.back());
    }
    char graphLabel[32];
    std::snprintf(graphLabel, sizeof graphLabel, "%.0f ms", highest);
    ImGui::PlotLines("##frames", graph.data(), static_cast<int>(graph.size()), 0, graphLabel, 0.0f, highest * 1.1f,
                     ImVec2(width - 2.0f * ImGui::GetStyle().WindowPadding.x, kGraphHeight * scale));

    ImGui::TextColored(kQuietColour, "pass");
    ImGui::SameLine(kGpuColumn * scale);
    ImGui::TextColored(kQuietColour, "GPU ms");
    ImGui::SameLine(kCpuColumn * scale);
    ImGui::TextColored(kQuietColour, "CPU ms");
    const PassTimer& timer = *state.timer;
    for (const RenderPass* pass : passTable()) {
        if (!passRuns(*pass)) {
            continue;
        }
        ImGui::TextUnformatted(pass->name);
        ImGui::SameLine(kGpuColumn * scale);
        if (const std::optional<double> gpu = timer.milliseconds(*pass)) {
            ImGui::Text("%6.2f", *gpu);
        } else {
            // Not yet measured, or never: no zeros that look like times.
            ImGui::TextColored(kQuietColour, "%6s", timer.available() ? "-" : "n/a");
        }
        ImGui::SameLine(kCpuColumn * scale);
        if (const std::optional<double> cpu = timer.cpuMilliseconds(*pass)) {
            ImGui::Text("%6.2f", *cpu);
        }
    }
    if (!timer.available()) {
        // Browsers without EXT_disjoint_timer_query_webgl2 (Firefox among them).
        ImGui::TextColored(kQuietColour, "GPU times not available: no timer queries here");
    }
    ImGui::End();
}

// The effects' dials, bottom left: the one the arrows turn is marked, a
// moved one shows its value bright beside its default, and the last
// rebuild's cost, or its error, follows.
void dialsPanel(float scale)
{
    ImGui::SetNextWindowPos(ImVec2(kMargin * scale, static_cast<float>(frameSize.height) - kMargin * scale),
                            ImGuiCond_Always, ImVec2(0.0f, 1.0f));
    ImGui::SetNextWindowSizeConstraints(ImVec2(kDialsPanelWidth * scale, 0.0f), largestPanel(scale));
    ImGui::SetNextWindowBgAlpha(kPanelOpacity);
    ImGui::Begin("dials", nullptr, kPanelFlags);
    const char* effect = "";
    for (const Dial& dial : dialTable()) {
        if (std::string(effect) != dial.effect) {
            effect = dial.effect;
            ImGui::TextColored(kKeyColour, "%s", effect);
        }
        const bool chosen = dial.id == chosenDial;
        const bool moved = !dialAtDefault(dial.id);
        ImGui::TextColored(kKeyColour, "%s", chosen ? ">" : " ");
        ImGui::SameLine(kDialNameColumn * scale);
        ImGui::TextColored(chosen ? kChosenColour : kQuietColour, "%s", dial.name);
        ImGui::SameLine(kDialValueColumn * scale);
        ImGui::TextColored(moved ? kOnColour : kQuietColour, "%7s", dialText(dial, dialValue(dial.id)).c_str());
        if (moved) {
            ImGui::SameLine(kDialDefaultColumn * scale);
            ImGui::TextColored(kQuietColour, "default %s", dialText(dial, dial.byDefault).c_str());
        }
    }
    ImGui::Separator();
    ImGui::TextColored(kQuietColour, "Up Down choose   Left Right turn");
    ImGui::TextColored(kQuietColour, "Backspace default   Shift+Backspace all");
    if (lastShaderRebuild) {
        const ShaderRebuildOutcome& rebuild = *lastShaderRebuild;
        if (rebuild.error.empty()) {
            ImGui::TextColored(kQuietColour, "rebuilt %d program%s in %.0f ms", rebuild.programs,
                               rebuild.programs == 1 ? "" : "s", rebuild.milliseconds);
        } else {
            ImGui::PushStyleColor(ImGuiCol_Text, kOffColour);
            ImGui::TextWrapped("%s", overlayRebuildError(rebuild.files, rebuild.error).c_str());
            ImGui::PopStyleColor();
        }
    }
    ImGui::End();
}

}  // namespace

PassTimer* overlayPassTimer()
{
    return overlayShown ? overlayState().timer.get() : nullptr;
}

void dropOverlayGLObjects()
{
    if (overlay == nullptr) {
        return;
    }
    dropImGuiRendererObjects();
    overlay->timer->dropQueries();
}

void drawOverlay()
{
    OverlayState& state = overlayState();
    // The timer takes its results in as the passes begin, from frames
    // already finished: asking now, about this frame's queries, would make
    // a software renderer finish them first.
    recordFrame(state);

    const float scale = textScale(contentScale);
    if (scale != state.scale) {
        rescaleOverlay(state, scale);
    }
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(frameSize.width), static_cast<float>(frameSize.height));
    // ImGui needs a positive step; its animations are not used.
    io.DeltaTime = state.frames.empty() ? 1.0f / 60.0f
                                        : std::max(static_cast<float>(state.frames.back().milliseconds / 1000.0), 1e-4f);
    ImGui_ImplOpenGL3_NewFrame();
    if (!state.laidOut) {
        // ImGui sizes a new window in its first frame and shows it from the
        // second: that first frame is laid out here, undrawn, so the first
        // frame H shows has the overlay on it.
        ImGui::NewFrame();
        keysPanel(state.scale);
        timesPanel(state);
        dialsPanel(state.scale);
        ImGui::EndFrame();
        state.laidOut = true;
    }
    ImGui::NewFrame();
    keysPanel(state.scale);
    timesPanel(state);
    dialsPanel(state.scale);
    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}

void closeOverlay()
{
    if (overlay == nullptr) {
        return;
    }
    ImGui_ImplOpenGL3_Shutdown();
    ImGui::DestroyContext();
    delete overlay;
    overlay = nullptr;
}
