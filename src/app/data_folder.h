// Finds the folder that holds data/ before anything reads a file, and makes
// it the working directory, so every shader and model path stays the short
// relative text the loaders use whether the program was started from a
// source checkout, its build folder, an installed copy or a file manager.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The folders that may hold data/, in the order they are tried: where the
// program was started, beside the program (a build links data/ there), then
// an install's share/vorlune beside the program's bin/. Everything but the
// first is found from the program's own place, so a moved install works.
std::vector<std::filesystem::path> dataFolderCandidates(const std::filesystem::path& workingDirectory,
                                                        const std::filesystem::path& programDirectory);

// The first candidate whose data/shader/ is a folder. A candidate with the
// shaders but a missing file still wins: the loaders report that file.
std::optional<std::filesystem::path> findDataFolder(const std::vector<std::filesystem::path>& candidates);

// The one line written when no candidate has its data/shader/.
std::string dataFolderNotFoundLine(const std::string& programName,
                                   const std::vector<std::filesystem::path>& candidates);

// The running program's file, links resolved; empty where the system cannot
// say (no /proc).
std::filesystem::path runningProgramFile();

// The loading worker's file: beside the running program (a build folder),
// else in ../libexec/vorlune/ from it (an install). Where neither exists,
// the first, so that the failure names a place.
std::filesystem::path loadingWorkerProgram();

// Settles the running program in its data folder. When there is none it
// writes the line above on standard error and returns false: the caller
// exits with status 1 before it opens a window.
bool enterDataFolder();
