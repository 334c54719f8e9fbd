#include "common/file_identity.h"

#ifdef _WIN32
#include <windows.h>

#include "common/system_path.h"
#else
#include <sys/stat.h>
#endif

#ifdef _WIN32

std::optional<FileIdentity> fileIdentity(const std::string& path)
{
    // Converted from UTF-8, so names outside the system's code page work.
    const std::wstring wide = pathFromUtf8(path).native();
    // Zero access asks for attributes only; the backup flag lets a folder
    // open too.
    const HANDLE handle = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

#else

std::optional<FileIdentity> fileIdentity(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

#endif
