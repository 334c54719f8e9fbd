// Frame benchmark: runs the real start-up, scene and frame loop on a hidden
// window without vsync and prints the median frame time for each effect
// combination, and each pass's GPU time from timer queries.
//
//   frame_bench [FRAMES]   (run from the repository root; default 60 frames)
#include "app/frame_loop.h"
#include "app/scene.h"
#include "app/startup.h"
#include "camera/camera.h"
#include "camera/camera_tour.h"

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

// Back to the first frame of the run: every configuration sees the same
// views, so their times compare.
void restartTour()
{
    camera = Camera();
    cameraTour = CameraTour();
    animationTime = 0.0f;
    lastFrame = 0.0f;
}

// Median wall time of whole frames spread evenly over one tour cycle, each
// finished before the clock stops so the figure is the frame's real cost.
// The scene clock is set per frame, so the views do not depend on speed.
double medianFrameMilliseconds(GLFWwindow* window, const ShaderPrograms& programs, int frames)
{
    restartTour();
    std::vector<double> times;
    for (int i = -kWarmUpFrames; i < frames; ++i) {
        glfwSetTime(kTourCycleEnd * (std::max(i, 0) + 0.5) / frames);
        const auto start = std::chrono::steady_clock::now();
        runFrame(window, programs);
        glFinish();
        if (i >= 0) {
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    return median(times);
}

struct PassTimes {
    double gpu;   // GL_TIME_ELAPSED
    double wall;  // finished on both sides of the pass
};

PassTimes medianPassMilliseconds(Pass pass, const ShaderPrograms& programs)
{
    GLuint query = 0;
    glGenQueries(1, &query);
    std::vector<double> gpu;
    std::vector<double> wall;
    for (int i = 0; i < kPassSamples; ++i) {
        glFinish();
        const auto start = std::chrono::steady_clock::now();
        glBeginQuery(GL_TIME_ELAPSED, query);
        runPass(pass, programs);
        glEndQuery(GL_TIME_ELAPSED);
        glFinish();
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(query, GL_QUERY_RESULT, &nanoseconds);
        gpu.push_back(static_cast<double>(nanoseconds) / 1e6);
    }
    glDeleteQueries(1, &query);
    return {median(gpu), median(wall)};
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

    for (const Configuration& c : {kConfigurations[0], kConfigurations[4]}) {
        applyToggles(c);
        std::printf("\n%-18s %12s %12s\n", c.name, "GPU ms", "wall ms");
        for (Pass pass : enabledPasses(c.godRays, c.bloom, c.shadows)) {
            const PassTimes times = medianPassMilliseconds(pass, programs);
            std::printf("%-18s %12.2f %12.2f\n", passName(pass), times.gpu, times.wall);
        }
    }
    glfwTerminate();
    return 0;
}
