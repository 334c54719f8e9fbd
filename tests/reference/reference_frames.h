// The list of reference frames (frames.txt beside this file) and where their
// images are kept. The test and its update mode both read this one list, so
// what is committed and what is compared cannot drift apart.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

struct ReferenceFrame {
    std::string name;       // the capture prefix, so also the image names' stem
    std::string arguments;  // the capture program's arguments, times last
};

inline const std::string kReferenceDirectory = std::string(VORLUNE_SOURCE_DIR) + "/tests/reference";
inline const std::string kReferenceImageDirectory = kReferenceDirectory + "/images";

// How a failing test names its frame.
inline void PrintTo(const ReferenceFrame& frame, std::ostream* out)
{
    *out << frame.name << " (" << frame.arguments << ")";
}

// Blank lines and lines starting with '#' are skipped.
inline std::vector<ReferenceFrame> readReferenceFrames()
{
    std::ifstream in(kReferenceDirectory + "/frames.txt");
    std::vector<ReferenceFrame> frames;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        ReferenceFrame frame;
        if (!(words >> frame.name) || frame.name[0] == '#') {
            continue;
        }
        std::string word;
        while (words >> word) {
            frame.arguments += (frame.arguments.empty() ? "" : " ") + word;
        }
        frames.push_back(frame);
    }
    return frames;
}

// The capture program names a run's images PREFIX-000.png, PREFIX-001.png...
inline std::string referenceImagePath(const ReferenceFrame& frame, size_t index)
{
    char suffix[16];
    std::snprintf(suffix, sizeof(suffix), "-%03zu.png", index);
    return kReferenceImageDirectory + "/" + frame.name + suffix;
}

inline std::vector<std::string> referenceImagesOf(const ReferenceFrame& frame)
{
    std::vector<std::string> paths;
    while (std::filesystem::exists(referenceImagePath(frame, paths.size()))) {
        paths.push_back(referenceImagePath(frame, paths.size()));
    }
    return paths;
}
