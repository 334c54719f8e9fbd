// Where a path meets the system. The program keeps every path as UTF-8 text;
// Windows' narrow calls would read that text in the ANSI code page, so there
// the conversions and file calls below go through the wide ones instead, and
// a folder named "é" or "雪" works as it does on Linux.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

std::filesystem::path pathFromUtf8(const std::string& text);
// The path as UTF-8, for messages and for the program's own path texts.
// (path::string() on Windows is ANSI text and throws for what it cannot hold.)
std::string utf8FromPath(const std::filesystem::path& path);

// What stat says about a path, links followed.
struct PathStatus {
    bool regular = false;
    bool directory = false;
    unsigned long long size = 0;
};
// 0, or the errno value that says why the path could not be asked.
int statPath(const std::string& path, PathStatus& status);

// fopen for a UTF-8 path; errno says why on failure.
std::FILE* openFile(const std::string& path, const char* mode);

// A new empty folder in the system's temporary folder, its name `prefix` and
// a random part; "" when none could be made.
std::string makeTemporaryFolder(const std::string& prefix);

// The program's arguments as UTF-8. On Windows argv holds ANSI text, so the
// words are read again from the wide command line.
std::vector<std::string> utf8Arguments(int argc, char** argv);
