// The loading worker the tests' scenes and models load through: one beside
// the running test program (a bundle moved to another machine), else the
// one built beside the viewer.
#pragma once

#include "app/data_folder.h"
#include "common/system_path.h"

#include <filesystem>
#include <string>

inline const std::string kWorkerProgram = [] {
    const std::filesystem::path beside = runningProgramFile().parent_path() / "vorlune-worker";
    std::error_code error;
    return std::filesystem::is_regular_file(beside, error) ? utf8FromPath(beside) : std::string(VORLUNE_WORKER);
}();
