// Which file a path leads to, so that one file reached under two spellings
// ("a.png", "./a.png", a link, another case on a case-blind disk) is loaded
// once, and two different files are never taken for one.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

struct FileIdentity {
    // The device (volume) and the file's number on it: inode here, file
    // index on Windows, where stat reports inode 0 for every file.
    std::uint64_t volume = 0;
    std::uint64_t file = 0;

    auto operator<=>(const FileIdentity&) const = default;
};

// Nothing when the path leads to no file that can be asked (missing,
// unreadable folder on the way). Links are followed.
std::optional<FileIdentity> fileIdentity(const std::string& path);
