// File kinds and identities come from stat, which follows links, so a link
// counts as whatever it leads to.
#include "model/model_files.h"

#include "common/file_identity.h"

#include <sys/stat.h>

namespace {

bool statFile(const char* path, struct stat& info)
{
    return path != nullptr && stat(path, &info) == 0;
}

}  // namespace

bool ModelFileSystem::Exists(const char* file) const
{
    struct stat info {};
    return statFile(file, info) && S_ISREG(info.st_mode);
}

Assimp::IOStream* ModelFileSystem::Open(const char* file, const char* mode)
{
    struct stat info {};
    // A directory still opens, as it does in C, and fails on its first read,
    // which the reader reports as a read error.
    if (statFile(file, info) && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
        return nullptr;
    }
    return DefaultIOSystem::Open(file, mode);
}

bool ModelFileSystem::ComparePaths(const char* one, const char* second) const
{
    if (one == nullptr || second == nullptr) {
        return false;
    }
    const std::optional<FileIdentity> first = fileIdentity(one);
    return first.has_value() && first == fileIdentity(second);
}
