#include "common/process_memory.h"

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#else
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#endif

namespace {

#ifdef _WIN32

constexpr long kBytesPerKiB = 1024;

// The working set is Windows' resident memory; its peak is kept by the
// system as VmHWM is on Linux.
long workingSetKiB(bool peak)
{
    PROCESS_MEMORY_COUNTERS counters{};
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)) == 0) {
        return -1;
    }
    return static_cast<long>((peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize) / kBytesPerKiB);
}

#else

// A "VmRSS:" or "VmHWM:" line of /proc/self/status, in KiB.
long statusLineKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::atol(line.c_str() + std::strlen(field));
        }
    }
    return -1;
}

#endif

}  // namespace

long residentMemoryKiB()
{
#ifdef _WIN32
    return workingSetKiB(false);
#else
    return statusLineKiB("VmRSS:");
#endif
}

long peakResidentMemoryKiB()
{
#ifdef _WIN32
    return workingSetKiB(true);
#else
    return statusLineKiB("VmHWM:");
#endif
}
