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
