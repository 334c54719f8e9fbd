// The fuzzers' worker counts every edge it takes into the memory its fuzzer
// shares with it (worker_coverage.h). Clang calls these two for code built
// with -fsanitize-coverage=trace-pc-guard; this file itself is built without
// it. The memory is mapped while the program starts, before the worker's
// sandbox; a worker started without it counts nothing.
#include "worker_coverage.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace {

unsigned char* counts = nullptr;
std::uint32_t nextEdge = 0;

}  // namespace

extern "C" void __sanitizer_cov_trace_pc_guard_init(std::uint32_t* start, std::uint32_t* stop)
{
    if (start == stop || *start != 0) {
        return;
    }
    for (std::uint32_t* guard = start; guard < stop; ++guard) {
        // From 1, so that a module's guards read as set once they are.
        *guard = 1 + nextEdge++ % (kWorkerEdgeCounters - 1);
    }
    if (counts != nullptr) {
        return;
    }
    if (const char* descriptor = std::getenv(kWorkerCoverageVariable)) {
        void* mapped = mmap(nullptr, kWorkerEdgeCounters, PROT_READ | PROT_WRITE, MAP_SHARED,
                            std::atoi(descriptor), 0);
        counts = mapped == MAP_FAILED ? nullptr : static_cast<unsigned char*>(mapped);
    }
}

extern "C" void __sanitizer_cov_trace_pc_guard(std::uint32_t* guard)
{
    constexpr unsigned char kSaturated = 255;
    if (counts != nullptr && counts[*guard] != kSaturated) {
        ++counts[*guard];
    }
}
