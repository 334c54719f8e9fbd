#include "common/regular_file.h"

#include <sys/stat.h>

#include <array>
#include <cstdio>

namespace {
constexpr std::size_t kReadChunkBytes = 64 * 1024;
}  // namespace

std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::nullopt;
    }
    // Read in chunks rather than trusting the size stat gave: the file may
    // grow while it is read.
    std::string bytes;
    std::array<char, kReadChunkBytes> chunk;
    bool tooLarge = false;
    std::size_t read = 0;
    while ((read = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) {
        if (bytes.size() + read > maxBytes) {
            tooLarge = true;
            break;
        }
        bytes.append(chunk.data(), read);
    }
    const bool whole = !tooLarge && std::feof(file) != 0 && std::ferror(file) == 0;
    std::fclose(file);
    if (!whole) {
        return std::nullopt;
    }
    return bytes;
}
