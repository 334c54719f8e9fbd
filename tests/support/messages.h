// Lines the viewer prints, as tests look for them.
#pragma once

#include <cstddef>
#include <string>

// A shader stage file that could not be read.
inline const std::string kShaderReadFailure = "ERROR::SHADER::FILE_NOT_SUCCESFULLY_READ\n";

// How many times `part` appears in `text` (an error block's heading in what
// a build printed, say), overlapping ones included.
inline std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}
