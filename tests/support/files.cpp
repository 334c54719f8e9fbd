#include "support/files.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::filesystem::path& path, const std::string& contents)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

bool makeFifo(const std::string& path)
{
#ifdef _WIN32
    static_cast<void>(path);
    return false;
#else
    constexpr mode_t kOwnerOnly = 0600;
    return mkfifo(path.c_str(), kOwnerOnly) == 0;
#endif
}

std::string bigPolygonObj(int corners)
{
    std::string obj;
    std::string face = "f";
    for (int i = 0; i < corners; ++i) {
        const double angle = 2.0 * std::numbers::pi * i / corners;
        obj += "v " + std::to_string(std::cos(angle)) + " " + std::to_string(std::sin(angle)) + " 0\n";
        face += " " + std::to_string(i + 1);
    }
    return obj + face + "\n";
}
