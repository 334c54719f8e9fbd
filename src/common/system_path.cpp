#include "common/system_path.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <random>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace fs = std::filesystem;

#ifdef _WIN32

// Windows' own converters put U+FFFD in place of what cannot be converted
// where the standard library's would throw: a bad name in a model file is
// then a file that is not found.
fs::path pathFromUtf8(const std::string& text)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return fs::path(wide);
}

std::string utf8FromPath(const fs::path& path)
{
    const std::wstring& wide = path.native();
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    std::string text(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    return text;
}

#else

// Linux paths are bytes, and the program's text is UTF-8 already.
fs::path pathFromUtf8(const std::string& text)
{
    return fs::path(text);
}

std::string utf8FromPath(const fs::path& path)
{
    return path.native();
}

#endif

#ifdef _WIN32

// Through std::filesystem rather than _wstat64, which takes a folder named
// with a trailing separator for a missing file.
int statPath(const std::string& path, PathStatus& status)
{
    const fs::path name = pathFromUtf8(path);
    std::error_code error;
    const fs::file_status info = fs::status(name, error);
    if (info.type() == fs::file_type::not_found) {
        return ENOENT;
    }
    if (!error) {
        status.regular = info.type() == fs::file_type::regular;
        status.directory = info.type() == fs::file_type::directory;
        status.size = status.regular ? fs::file_size(name, error) : 0;
    }
    if (error) {
        // Windows' own error numbers, as the errno values they stand for.
        const std::error_condition reason = error.default_error_condition();
        return reason.category() == std::generic_category() ? reason.value() : EIO;
    }
    return 0;
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    const std::string modeText(mode);
    return _wfopen(pathFromUtf8(path).c_str(), std::wstring(modeText.begin(), modeText.end()).c_str());
}

// Windows has no mkdtemp: a random name, tried until create_directory makes
// a folder that was not there before.
std::string makeTemporaryFolder(const std::string& prefix)
{
    constexpr int kTries = 100;
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    if (error) {
        return {};
    }
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int i = 0; i < kTries; ++i) {
        const fs::path folder = temporary / pathFromUtf8(prefix + std::to_string(random()));
        if (fs::create_directory(folder, error)) {
            return utf8FromPath(folder);
        }
    }
    return {};
}

std::vector<std::string> utf8Arguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr || count != argc) {
        // Not the words the C runtime split: keep those rather than guess.
        if (wide != nullptr) {
            LocalFree(wide);
        }
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i) {
        words.push_back(utf8FromPath(fs::path(wide[i])));
    }
    LocalFree(wide);
    return words;
}

#else

int statPath(const std::string& path, PathStatus& status)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return errno;
    }
    status.regular = S_ISREG(info.st_mode);
    status.directory = S_ISDIR(info.st_mode);
    status.size = static_cast<unsigned long long>(info.st_size);
    return 0;
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

std::string makeTemporaryFolder(const std::string& prefix)
{
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    if (error) {
        return {};
    }
    std::string pattern = (temporary / (prefix + "XXXXXX")).native();
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

std::vector<std::string> utf8Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

#endif
