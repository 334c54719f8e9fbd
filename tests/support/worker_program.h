// The loading worker the tests' scenes and models load through: the one the
// programs would find (beside the test program, in a bundle moved to another
// machine), else the one built beside the viewer.
#pragma once

#include "app/data_folder.h"
#include "common/system_path.h"

#include <filesystem>
#include <string>

inline const std::string kWorkerProgram = [] {
    const std::filesystem::path found = loadingWorkerProgram();
    std::error_code error;
    return std::filesystem::is_regular_file(found, error) ? utf8FromPath(found) : std::string(VORLUNE_WORKER);
}();
