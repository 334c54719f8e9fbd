// File kinds and identities come from stat, which follows links, so a link
// counts as whatever it leads to. Assimp hands over UTF-8 paths, which
// statPath and its own Windows reader take as such.
#include "loading/work/model_files.h"

#include "common/file_identity.h"
#include "common/system_path.h"

namespace {

bool statFile(const char* path, PathStatus& info)
{
    return path != nullptr && statPath(path, info) == 0;
}

}  // namespace

bool ModelFileSystem::Exists(const char* file) const
{
    PathStatus info;
    return statFile(file, info) && info.regular;
}

Assimp::IOStream* ModelFileSystem::Open(const char* file, const char* mode)
{
    PathStatus info;
    // A directory still opens, as it does in C, and fails on its first read,
    // which the reader reports as a read error.
    if (statFile(file, info) && !info.regular && !info.directory) {
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
