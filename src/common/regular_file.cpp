// Reads a bounded regular file in chunks, and puts into words why a file
// could not be read.
#include "common/regular_file.h"

#include "common/system_path.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <system_error>

namespace {
constexpr std::size_t kReadChunkBytes = 64 * 1024;

// The system's reason, in the lowercase of the viewer's other reasons.
// Unlike strerror, the error category's message is safe on any thread.
std::string systemReason(int error)
{
    std::string reason = std::generic_category().message(error);
    if (!reason.empty()) {
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    }
    return reason;
}

std::string tooLargeReason(unsigned long long bytes, std::size_t maxBytes)
{
    return "a file of " + std::to_string(bytes) + " bytes, more than the " + std::to_string(maxBytes) +
           " this viewer reads";
}

RegularFileRead failed(std::string why)
{
    return RegularFileRead{std::nullopt, std::move(why)};
}

}  // namespace

std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes)
{
    return readRegularFileSayingWhy(path, maxBytes).bytes;
}

RegularFileRead readRegularFileSayingWhy(const std::string& path, std::size_t maxBytes)
{
    PathStatus info;
    if (const int error = statPath(path, info); error != 0) {
        // A file named under something that is no folder is as missing as one
        // a folder does not hold.
        return failed(error == ENOENT || error == ENOTDIR ? "no such file" : systemReason(error));
    }
    if (!info.regular) {
        return failed("not a regular file");
    }
    // What stat says is enough to refuse; reading shows the rest.
    if (info.size > maxBytes) {
        return failed(tooLargeReason(info.size, maxBytes));
    }
    std::FILE* file = openFile(path, "rb");
    if (file == nullptr) {
        return failed(systemReason(errno));
    }
    // Read in chunks rather than trusting the size stat gave: the file may
    // grow while it is read.
    std::string bytes;
    std::array<char, kReadChunkBytes> chunk;
    std::size_t read = 0;
    while ((read = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) {
        if (bytes.size() + read > maxBytes) {
            std::fclose(file);
            return failed(tooLargeReason(bytes.size() + read, maxBytes));
        }
        bytes.append(chunk.data(), read);
    }
    const int error = std::ferror(file) != 0 ? errno : 0;
    const bool whole = std::feof(file) != 0 && error == 0;
    std::fclose(file);
    if (!whole) {
        return failed(error != 0 ? systemReason(error) : "read only in part");
    }
    return RegularFileRead{std::move(bytes), std::string()};
}
