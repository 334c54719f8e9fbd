#include "support/temp_dir.h"

#include "common/system_path.h"
#include "support/files.h"

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() : path(makeTemporaryFolder("vorlune-test-"))
{
    if (path.empty()) {
        throw std::runtime_error("no fresh temporary folder");
    }
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(pathFromUtf8(path), ignored);
}

void TempDir::write(const std::string& name, const std::string& contents) const
{
    const fs::path target = pathFromUtf8(path) / pathFromUtf8(name);
    fs::create_directories(target.parent_path());
    writeFile(target, contents);
}
