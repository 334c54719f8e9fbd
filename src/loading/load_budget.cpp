#include "loading/load_budget.h"

#include "loading/request/request_kinds.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#elif defined(__EMSCRIPTEN__)
#include <emscripten/heap.h>
#include <malloc.h>
#endif

namespace {

constexpr std::uint64_t kDriverCopies = 2;  // the viewer's list and the driver's buffer
constexpr std::uint64_t kDriverTexelBytes = 4;
constexpr std::uint64_t kMipmapNumerator = 4;  // a full chain adds a third
constexpr std::uint64_t kMipmapDenominator = 3;
// /proc/meminfo counts in these.
[[maybe_unused]] constexpr std::uint64_t kKibibyte = 1024;

std::string mebibytes(std::uint64_t bytes)
{
    return std::to_string(bytes / kMebibyte) + " MiB";
}

}  // namespace

std::uint64_t availableMemoryBytes()
{
#ifdef _WIN32
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    return GlobalMemoryStatusEx(&status) ? status.ullAvailPhys : 0;
#elif defined(__EMSCRIPTEN__)
    // The heap grows on demand up to its maximum; what it holds now is taken.
    const std::uint64_t held = static_cast<std::uint64_t>(mallinfo().uordblks);
    const std::uint64_t maximum = emscripten_get_heap_max();
    return maximum > held ? maximum - held : 0;
#else
    std::ifstream info("/proc/meminfo");
    for (std::string line; std::getline(info, line);) {
        std::istringstream fields(line);
        std::string name;
        std::uint64_t kibibytes = 0;
        if (fields >> name >> kibibytes && name == "MemAvailable:") {
            return kibibytes * kKibibyte;
        }
    }
    return 0;
#endif
}

std::uint64_t keptMeshBytes(std::uint64_t vertexBytes, std::uint64_t indexBytes)
{
    return (vertexBytes + indexBytes) * kDriverCopies;
}

std::uint64_t keptTextureBytes(int width, int height)
{
    const auto texels = static_cast<std::uint64_t>(std::max(width, 0)) * static_cast<std::uint64_t>(std::max(height, 0));
    return texels * kDriverTexelBytes * kMipmapNumerator / kMipmapDenominator;
}

std::uint64_t SceneMemoryBudget::requestMemory(LoadKind kind, std::uint64_t limit, std::string& why) const
{
    if (available_ == 0) {
        return limit;
    }
    const std::uint64_t claimed = kept_ + kMemoryMargin;
    const std::uint64_t left = available_ > claimed ? available_ - claimed : 0;
    if (left < kRequestMemoryFloor) {
        why = "not loaded: the scene's memory budget has " + mebibytes(left) + " left (of " +
              mebibytes(available_) + " available at start-up, " + mebibytes(kept_) + " kept, " +
              mebibytes(kMemoryMargin) + " spared for the system), under the " + mebibytes(kRequestMemoryFloor) +
              " " + requestKind(kind).name + " needs";
        return 0;
    }
    return std::min(limit, left);
}
