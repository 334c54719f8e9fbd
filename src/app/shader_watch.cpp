#include "app/shader_watch.h"

#include "common/shader_rebuilds.h"

#include <system_error>

namespace {

// Four looks a second: a saved file shows well within a second, and a look
// (a dozen stat calls) costs nothing a frame would notice.
constexpr std::chrono::milliseconds kLookInterval{250};

}  // namespace

ShaderWatch::ShaderWatch(std::string folder) : folder_(std::move(folder)), seen_(scan()),
                                               lastLook_(std::chrono::steady_clock::now())
{
}

std::map<std::string, ShaderWatch::Seen> ShaderWatch::scan() const
{
    std::map<std::string, Seen> files;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder_, error);
    if (error) {
        return files;
    }
    for (const std::filesystem::directory_entry& entry : entries) {
        // Every call may fail alone (a file renamed away between the listing
        // and the look): that file is simply not there this time.
        std::error_code fileError;
        if (!entry.is_regular_file(fileError)) {
            continue;
        }
        Seen seen;
        seen.modified = std::filesystem::last_write_time(entry.path(), fileError);
        if (fileError) {
            continue;
        }
        seen.size = std::filesystem::file_size(entry.path(), fileError);
        if (fileError) {
            continue;
        }
        files.emplace(entry.path().filename().string(), seen);
    }
    return files;
}

int ShaderWatch::look(std::chrono::steady_clock::time_point now)
{
    if (now - lastLook_ < kLookInterval) {
        return 0;
    }
    lastLook_ = now;
    return lookNow();
}

int ShaderWatch::lookNow()
{
    std::map<std::string, Seen> now = scan();
    int changed = 0;
    for (const auto& [name, seen] : now) {
        const auto before = seen_.find(name);
        if (before == seen_.end() || !(before->second == seen)) {
            requestShaderRebuild(folder_ + "/" + name);
            ++changed;
        }
    }
    // A file gone for a moment (between an editor's delete and its rename)
    // counts as new when it is back.
    seen_ = std::move(now);
    return changed;
}
