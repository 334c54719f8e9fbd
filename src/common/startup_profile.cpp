#include "common/startup_profile.h"

#include <algorithm>

StartupProfile* startupProfile = nullptr;

void recordModelImport(const std::string& path, double milliseconds)
{
    if (startupProfile != nullptr) {
        StartupProfile::ModelFile& file = startupProfile->modelImports[path];
        ++file.instances;
        file.totalMs += milliseconds;
    }
}

void recordEventPoll()
{
    if (startupProfile == nullptr) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (startupProfile->lastEventPoll != std::chrono::steady_clock::time_point{}) {
        const double gap =
            std::chrono::duration<double, std::milli>(now - startupProfile->lastEventPoll).count();
        startupProfile->longestEventPollGapMs = std::max(startupProfile->longestEventPollGapMs, gap);
    }
    startupProfile->lastEventPoll = now;
}
