// Where start-up spends its time, for the benchmark. Nothing is recorded
// unless a tool points startupProfile at a profile of its own, so the viewer
// pays one null test per step.
#pragma once

#include <chrono>
#include <map>
#include <string>

struct StartupProfile {
    double contextMs = 0.0;        // window or offscreen context, GL entry points
    double renderTargetsMs = 0.0;  // with the shadow projection
    double shaderBuildMs = 0.0;
    double sceneMs = 0.0;          // composition, loading included
    double textureDecodeMs = 0.0;
    double textureUploadMs = 0.0;
    int texturesLoaded = 0;
    // Per model file: instances imported and their total time, textures
    // included.
    struct ModelFile {
        int instances = 0;
        double totalMs = 0.0;
    };
    std::map<std::string, ModelFile> modelImports;
    // The longest the window went without its events polled, from the first
    // poll to the latest: how long it would have stalled a user.
    double longestEventPollGapMs = 0.0;
    std::chrono::steady_clock::time_point lastEventPoll{};
};

extern StartupProfile* startupProfile;

void recordModelImport(const std::string& path, double milliseconds);

// Notes that the window's events were polled just now.
void recordEventPoll();

// Adds the lifetime of the scope to a field of the profile, if there is one
// and a field is given.
class StartupTimer {
public:
    explicit StartupTimer(double StartupProfile::*field) : field_(field) {}
    ~StartupTimer()
    {
        if (startupProfile != nullptr && field_ != nullptr) {
            startupProfile->*field_ += elapsedMs();
        }
    }
    StartupTimer(const StartupTimer&) = delete;
    StartupTimer& operator=(const StartupTimer&) = delete;

    double elapsedMs() const
    {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    double StartupProfile::*field_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
