#include "app/data_folder.h"

#include "common/system_path.h"

#include <algorithm>
#include <iostream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

// The folder every data path starts with, and the part of it whose presence
// says "this is the data": a start folder may hold an unrelated data/.
constexpr const char* kDataFolder = "data";
constexpr const char* kShaderFolder = "shader";
// Where an install puts data/ relative to the program's bin/ folder: the
// install rules keep the two in step.
constexpr const char* kInstalledFromProgram = "../share/vorlune";
// How a person puts the data back, as the platform's package lays it out.
#ifdef _WIN32
constexpr const char* kReinstallHint = "or unpack the package again so that data\\ sits beside the program";
#else
constexpr const char* kReinstallHint = "or install it again so that share/vorlune/data sits beside its bin/ folder";
#endif
#ifdef _WIN32

// The running program's file as Windows loaded it. Wide, so a folder name
// outside the system's code page survives; grown until the name fits, as
// long paths can exceed MAX_PATH.
fs::path runningProgram(std::error_code& error)
{
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
            return {};
        }
        if (length < name.size()) {
            name.resize(length);
            return fs::canonical(fs::path(name), error);
        }
        name.resize(name.size() * 2);
    }
}

#else

// The kernel's name for the running program's file, links resolved.
constexpr const char* kRunningProgram = "/proc/self/exe";

fs::path runningProgram(std::error_code& error)
{
    return fs::canonical(kRunningProgram, error);
}

#endif

}  // namespace

std::vector<fs::path> dataFolderCandidates(const fs::path& workingDirectory, const fs::path& programDirectory)
{
    std::vector<fs::path> candidates;
    // Started from its own folder, the program would list that folder twice.
    const auto add = [&candidates](const fs::path& folder) {
        if (!folder.empty() && std::find(candidates.begin(), candidates.end(), folder) == candidates.end()) {
            candidates.push_back(folder);
        }
    };
    add(workingDirectory);
    if (!programDirectory.empty()) {
        add(programDirectory);
        add((programDirectory / kInstalledFromProgram).lexically_normal());
    }
    return candidates;
}

std::optional<fs::path> findDataFolder(const std::vector<fs::path>& candidates)
{
    for (const fs::path& candidate : candidates) {
        std::error_code ignored;
        if (fs::is_directory(candidate / kDataFolder / kShaderFolder, ignored)) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::string dataFolderNotFoundLine(const std::string& programName, const std::vector<fs::path>& candidates)
{
    std::string places;
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (i > 0) {
            places += i + 1 == candidates.size() ? " and " : ", ";
        }
        places += utf8FromPath(candidates[i]);
    }
    return programName + ": cannot find its data (looked for " + kDataFolder + "/" + kShaderFolder + "/ in " +
           places + "); start it from the folder that holds " + kDataFolder +
           "/ (a source checkout's root), " + kReinstallHint;
}

fs::path runningProgramFile()
{
    std::error_code error;
    const fs::path program = runningProgram(error);
    return error ? fs::path() : program;
}

fs::path loadingWorkerProgram()
{
#ifdef _WIN32
    const fs::path name = "vorlune-worker.exe";
#else
    const fs::path name = "vorlune-worker";
#endif
    const fs::path folder = runningProgramFile().parent_path();
    const fs::path candidates[] = {folder / name, folder / ".." / "libexec" / "vorlune" / name};
    for (const fs::path& candidate : candidates) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) {
            return candidate.lexically_normal();
        }
    }
    return candidates[0];
}

bool enterDataFolder()
{
    // Either may be unknown (a removed start folder, no /proc): the other
    // places are still tried.
    std::error_code error;
    const fs::path workingDirectory = fs::current_path(error);
    const fs::path program = runningProgramFile();
    const std::vector<fs::path> candidates = dataFolderCandidates(workingDirectory, program.parent_path());
    const std::string programName = program.empty() ? std::string("vorlune") : utf8FromPath(program.filename());

    const std::optional<fs::path> found = findDataFolder(candidates);
    if (!found) {
        std::cerr << dataFolderNotFoundLine(programName, candidates) << std::endl;
        return false;
    }
    if (*found != workingDirectory) {
        fs::current_path(*found, error);
        if (error) {
            std::cerr << programName << ": cannot enter its data folder " << utf8FromPath(*found) << ": "
                      << error.message() << std::endl;
            return false;
        }
    }
    return true;
}
