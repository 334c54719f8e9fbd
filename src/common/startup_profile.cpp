#include "common/startup_profile.h"

StartupProfile* startupProfile = nullptr;

void recordModelImport(const std::string& path, double milliseconds)
{
    if (startupProfile != nullptr) {
        StartupProfile::ModelFile& file = startupProfile->modelImports[path];
        ++file.instances;
        file.totalMs += milliseconds;
    }
}
