// Lines the viewer prints, as tests look for them.
#pragma once

#include <string>

// A shader stage file that could not be read.
inline const std::string kShaderReadFailure = "ERROR::SHADER::FILE_NOT_SUCCESFULLY_READ\n";
