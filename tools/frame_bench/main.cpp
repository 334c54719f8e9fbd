// Frame benchmark: runs the real start-up, scene and frame loop on a hidden
// window without vsync and prints the median frame time for each effect
// combination, and each pass's GPU time from timer queries.
//
//   frame_bench [FRAMES]   (run from the repository root; default 60 frames)
#include "app/frame_loop.h"
#include "app/scene.h"
#include "app/startup.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultFrames = 60;
constexpr int kWarmUpFrames = 5;
constexpr int kPassSamples = 15;

struct Configuration {
    const char* name;
    bool godRays;
    bool bloom;
    bool shadows;
};

constexpr Configuration kConfigurations[] = {
    {"all effects on", true, true, true},
    {"shadows off", true, true, false},
    {"god rays off", false, true, true},
    {"bloom off", true, false, true},
    {"all effects off", false, false, false},
};

const char* passName(Pass pass)
{
    switch (pass) {
    case Pass::GodRayOcclusion: return "god-ray occlusion";
    case Pass::BloomBright: return "bloom bright";
    case Pass::BloomBlur: return "bloom blur";
    case Pass::ShadowCubeMap: return "shadow cube map";
    case Pass::Lighting: return "lighting";
    }
    return "?";
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void applyToggles(const Configuration& c)
{
    godRaysOn = c.godRays;
    bloomOn = c.bloom;
    shadowOn = c.shadows;
}

// Median wall time of whole frames, each finished on the GPU before the
// clock stops so the figure is the frame's real cost.
double medianFrameMilliseconds(GLFWwindow* window, const ShaderPrograms& programs, int frames)
{
    for (int i = 0; i < kWarmUpFrames; ++i) {
        runFrame(window, programs);
    }
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        runFrame(window, programs);
        glFinish();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return median(times);
}

double medianPassMilliseconds(Pass pass, const ShaderPrograms& programs)
{
    GLuint query = 0;
    glGenQueries(1, &query);
    std::vector<double> times;
    for (int i = 0; i < kPassSamples; ++i) {
        glBeginQuery(GL_TIME_ELAPSED, query);
        runPass(pass, programs);
        glEndQuery(GL_TIME_ELAPSED);
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(query, GL_QUERY_RESULT, &nanoseconds);
        times.push_back(static_cast<double>(nanoseconds) / 1e6);
    }
    glDeleteQueries(1, &query);
    return median(times);
}

}  // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultFrames;
    GLFWwindow* window = openWindow(WindowVisibility::Hidden);
    if (window == nullptr) {
        return 1;
    }
    // Unpaced: the benchmark measures the work, not the display's refresh.
    glfwSwapInterval(0);
    const ShaderPrograms programs = prepareRendering();
    composeScene();

    std::printf("%s | %s\n", glGetString(GL_RENDERER), glGetString(GL_VERSION));
    std::printf("%d frames per configuration, 1280x720\n\n", frames);
    std::printf("%-18s %12s\n", "configuration", "median ms");
    for (const Configuration& c : kConfigurations) {
        applyToggles(c);
        std::printf("%-18s %12.2f\n", c.name, medianFrameMilliseconds(window, programs, frames));
    }

    applyToggles(kConfigurations[0]);
    std::printf("\n%-18s %12s\n", "pass (all on)", "GPU ms");
    for (Pass pass : enabledPasses(true, true, true)) {
        std::printf("%-18s %12.2f\n", passName(pass), medianPassMilliseconds(pass, programs));
    }
    glfwTerminate();
    return 0;
}
