// Whole files in and out as bytes, for fixtures, corpora and what programs
// under test wrote.
#pragma once

#include <filesystem>
#include <string>

// The file's bytes; a file that is missing or cannot be read gives "".
std::string readFile(const std::filesystem::path& path);
// Replaces the file's contents with `contents`.
void writeFile(const std::filesystem::path& path, const std::string& contents);
// A named pipe at `path`; false where it cannot be made (always on Windows).
bool makeFifo(const std::string& path);

// An OBJ of one polygon of `corners` corners around a circle: triangulating
// it keeps the import library busy for seconds at 100,000 corners.
std::string bigPolygonObj(int corners);
