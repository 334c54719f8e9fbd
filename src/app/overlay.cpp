#include "app/overlay.h"

#include "app/overlay_lines.h"
#include "common/render_toggles.h"
#include "common/window.h"
#include "render/pass_table.h"
#include "render/pass_timer.h"

#include <GL/glew.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>

#include <algorithm>
#include <chrono>
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

constexpr float kMargin = 12.0f;
constexpr float kKeysPanelWidth = 270.0f;
constexpr float kTimesPanelWidth = 330.0f;
constexpr float kGraphHeight = 48.0f;
// Nearly opaque: the figures stay readable over the brightest wall.
constexpr float kPanelOpacity = 0.9f;
constexpr float kKeyColumn = 54.0f;    // where the switch's name starts
constexpr float kStateColumn = 134.0f; // where its state starts
constexpr float kGpuColumn = 170.0f;
constexpr float kCpuColumn = 250.0f;

const ImVec4 kKeyColour{0.95f, 0.85f, 0.55f, 1.0f};
const ImVec4 kOnColour{0.55f, 0.95f, 0.55f, 1.0f};
const ImVec4 kOffColour{0.95f, 0.55f, 0.45f, 1.0f};
const ImVec4 kQuietColour{0.65f, 0.65f, 0.70f, 1.0f};

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
};

OverlayState* overlay = nullptr;

std::string glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "?";
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
        // It takes no input: the mouse stays the camera's, the cursor as the
        // viewer set it.
        io.ConfigFlags |= ImGuiConfigFlags_NoMouse | ImGuiConfigFlags_NoMouseCursorChange;
        ImGui::StyleColorsDark();
        ImGuiStyle& style = ImGui::GetStyle();
        style.WindowRounding = 6.0f;
        style.WindowBorderSize = 0.0f;
        style.WindowPadding = ImVec2(10.0f, 8.0f);
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

void keysPanel()
{
    ImGui::SetNextWindowPos(ImVec2(kMargin, kMargin));
    ImGui::SetNextWindowSizeConstraints(ImVec2(kKeysPanelWidth, 0.0f), ImVec2(kKeysPanelWidth, kWindowHeight));
    ImGui::SetNextWindowBgAlpha(kPanelOpacity);
    ImGui::Begin("keys", nullptr, kPanelFlags);
    for (const OverlaySwitchLine& line : overlaySwitchLines()) {
        ImGui::TextColored(kKeyColour, "%s", line.key.c_str());
        ImGui::SameLine(kKeyColumn);
        ImGui::TextUnformatted(line.name.c_str());
        ImGui::SameLine(kStateColumn);
        ImGui::TextColored(line.active ? kOnColour : kOffColour, "%s", line.state.c_str());
    }
    ImGui::Separator();
    ImGui::TextColored(kQuietColour, "%s", overlayKeyLine(kInBrowser).c_str());
    ImGui::End();
}

void timesPanel(OverlayState& state)
{
    ImGui::SetNextWindowPos(ImVec2(kWindowWidth - kMargin, kMargin), ImGuiCond_Always, ImVec2(1.0f, 0.0f));
    ImGui::SetNextWindowSizeConstraints(ImVec2(kTimesPanelWidth, 0.0f), ImVec2(kTimesPanelWidth, kWindowHeight));
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
    char scale[32];
    std::snprintf(scale, sizeof scale, "%.0f ms", highest);
    ImGui::PlotLines("##frames", graph.data(), static_cast<int>(graph.size()), 0, scale, 0.0f, highest * 1.1f,
                     ImVec2(kTimesPanelWidth - 2.0f * ImGui::GetStyle().WindowPadding.x, kGraphHeight));

    ImGui::TextColored(kQuietColour, "pass");
    ImGui::SameLine(kGpuColumn);
    ImGui::TextColored(kQuietColour, "GPU ms");
    ImGui::SameLine(kCpuColumn);
    ImGui::TextColored(kQuietColour, "CPU ms");
    const PassTimer& timer = *state.timer;
    for (const RenderPass* pass : passTable()) {
        if (!passRuns(*pass)) {
            continue;
        }
        ImGui::TextUnformatted(pass->name);
        ImGui::SameLine(kGpuColumn);
        if (const std::optional<double> gpu = timer.milliseconds(*pass)) {
            ImGui::Text("%6.2f", *gpu);
        } else {
            ImGui::TextColored(kQuietColour, "%6s", "-");
        }
        ImGui::SameLine(kCpuColumn);
        if (const std::optional<double> cpu = timer.cpuMilliseconds(*pass)) {
            ImGui::Text("%6.2f", *cpu);
        }
    }
    ImGui::End();
}

}  // namespace

PassTimer* overlayPassTimer()
{
    return overlayShown ? overlayState().timer.get() : nullptr;
}

void drawOverlay()
{
    OverlayState& state = overlayState();
    // The timer takes its results in as the passes begin, from frames
    // already finished: asking now, about this frame's queries, would make
    // a software renderer finish them first.
    recordFrame(state);

    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(kWindowWidth), static_cast<float>(kWindowHeight));
    // ImGui needs a positive step; its animations are not used.
    io.DeltaTime = state.frames.empty() ? 1.0f / 60.0f
                                        : std::max(static_cast<float>(state.frames.back().milliseconds / 1000.0), 1e-4f);
    ImGui_ImplOpenGL3_NewFrame();
    if (!state.laidOut) {
        // ImGui sizes a new window in its first frame and shows it from the
        // second: that first frame is laid out here, undrawn, so the first
        // frame H shows has the overlay on it.
        ImGui::NewFrame();
        keysPanel();
        timesPanel(state);
        ImGui::EndFrame();
        state.laidOut = true;
    }
    ImGui::NewFrame();
    keysPanel();
    timesPanel(state);
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
