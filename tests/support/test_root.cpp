#include "support/test_root.h"

#include "app/data_folder.h"

#include <filesystem>

const std::string& testRoot()
{
    static const std::string root = [] {
        const std::filesystem::path folder = runningProgramFile().parent_path();
        std::error_code error;
        if (!folder.empty() && std::filesystem::is_directory(folder / "data" / "shader", error)) {
            return folder.string();
        }
        return std::string(VORLUNE_SOURCE_DIR);
    }();
    return root;
}
