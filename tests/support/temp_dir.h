// A fresh temporary folder for a test's fixture files, removed with
// everything in it when the test's TempDir goes out of scope.
#pragma once

#include <string>

struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path;
    std::string file(const std::string& name) const { return path + "/" + name; }
    // Writes `contents` to `name` inside the folder, making the folders on the way.
    void write(const std::string& name, const std::string& contents) const;
};
