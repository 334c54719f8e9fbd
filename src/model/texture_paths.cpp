#include "model/texture_paths.h"

#include "common/system_path.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

constexpr char kSeparator = '/';
constexpr char kWindowsSeparator = '\\';
constexpr char kDriveMark = ':';

bool isDriveLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// "C:/..." is absolute wherever the model was made, even though only
// Windows can open it; a bare "C:file" (relative to a drive's current
// folder) is taken as absolute too, as no other machine can resolve it.
bool isWindowsDrivePath(const std::string& path)
{
    return path.size() >= 2 && isDriveLetter(path[0]) && path[1] == kDriveMark;
}

bool isAbsolute(const std::string& path)
{
    return (!path.empty() && path[0] == kSeparator) || isWindowsDrivePath(path);
}

bool isRegularFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(pathFromUtf8(path), error);
}

// The last part of an absolute path, its drive left out.
std::string fileName(const std::string& path)
{
    const std::string rest = isWindowsDrivePath(path) ? path.substr(2) : path;
    const std::size_t lastSeparator = rest.find_last_of(kSeparator);
    return lastSeparator == std::string::npos ? rest : rest.substr(lastSeparator + 1);
}

}  // namespace

std::string resolveTexturePath(const std::string& materialPath, const std::string& directory)
{
    std::string path = materialPath;
    std::replace(path.begin(), path.end(), kWindowsSeparator, kSeparator);
    if (!isAbsolute(path)) {
        return directory + kSeparator + path;
    }
#ifndef _WIN32
    // A drive path would be looked up relative to the working folder here.
    if (isWindowsDrivePath(path)) {
        return directory + kSeparator + fileName(path);
    }
#endif
    if (isRegularFile(path)) {
        return path;
    }
    return directory + kSeparator + fileName(path);
}
