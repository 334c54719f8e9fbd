// Reading a whole file that a data file or a user named, safely: only a
// regular file is read (opening a FIFO blocks until something writes to it,
// and a device such as /dev/zero never ends), and only up to a size the
// caller can use.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The file's bytes, or nothing when it is missing, not a regular file,
// unreadable part-way, or longer than `maxBytes`.
std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes);

// The same read, which says why there are no bytes.
struct RegularFileRead {
    std::optional<std::string> bytes;
    // Empty when there are bytes; otherwise one short lowercase reason:
    // "no such file", "not a regular file", "a file of N bytes, more than
    // the M this viewer reads", or the system's reason it could not be read.
    std::string failure;
};
RegularFileRead readRegularFileSayingWhy(const std::string& path, std::size_t maxBytes);
