#include "loading/load_budget.h"

#include "loading/loader.h"
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

std::uint64_t SceneMemoryBudget::left() const
{
    const std::uint64_t claimed = kept_ + kMemoryMargin;
    return available_ > claimed ? available_ - claimed : 0;
}

std::string SceneMemoryBudget::accounts() const
{
    return "(of " + mebibytes(available_) + " available at start-up, " + mebibytes(kept_) + " kept, " +
           mebibytes(kMemoryMargin) + " spared for the system)";
}

std::uint64_t SceneMemoryBudget::requestMemory(LoadKind kind, std::uint64_t limit, std::string& why) const
{
    if (available_ == 0) {
        return limit;
    }
    if (left() < kRequestMemoryFloor) {
        why = "not loaded: the scene's memory budget has " + mebibytes(left()) + " left " + accounts() +
              ", under the " + mebibytes(kRequestMemoryFloor) + " " + requestKind(kind).name + " needs";
        return 0;
    }
    return std::min(limit, left());
}

std::string SceneMemoryBudget::shortOfMemory(LoadKind kind, std::uint64_t given) const
{
    if (available_ == 0 || given >= requestKind(kind).limits.memoryBytes) {
        return memoryLimitFailure(kind, given);
    }
    return "not loaded: " + std::string(requestKind(kind).name) + " needed more than the " + mebibytes(given) +
           " the scene's memory budget had left " + accounts();
}
