#include "support/temp_dir.h"

#include "support/files.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vorlune-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void TempDir::write(const std::string& name, const std::string& contents) const
{
    const std::filesystem::path target = std::filesystem::path(path) / name;
    std::filesystem::create_directories(target.parent_path());
    writeFile(target, contents);
}
