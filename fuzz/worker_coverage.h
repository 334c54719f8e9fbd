// Coverage from inside the loading worker, for the fuzzers that drive it.
// libFuzzer sees only its own process's edges, and the import and the
// decoders run in the worker: without this it would mutate blind. The
// fuzzers' worker is built with its edges counted into memory the fuzzer
// shares with it (worker_coverage.cpp); after each request the fuzzer adds
// those counts to its own, as extra counters libFuzzer reads with the rest.
#pragma once

#include <cstddef>

// Edges beyond this many share counters; the worker has about half as many.
inline constexpr std::size_t kWorkerEdgeCounters = std::size_t{1} << 16;
// Names the descriptor of the shared counters in the worker's environment.
inline constexpr const char* kWorkerCoverageVariable = "VORLUNE_FUZZ_WORKER_COVERAGE_FD";

#ifdef VORLUNE_FUZZ_WORKER

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "common/system_path.h"
#include "worker/loading_worker.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// Read by libFuzzer after every input, and cleared by it before the next.
__attribute__((section("__libfuzzer_extra_counters"), used)) inline unsigned char gWorkerEdges[kWorkerEdgeCounters];

// Makes the shared counters and names them in the environment, so that every
// worker started from now on (the client replaces one that failed) counts
// into them.
class WorkerCoverage {
public:
    static constexpr int kInheritedDescriptor = 100;

    WorkerCoverage()
    {
        // Not closed on exec, so the worker inherits it, and numbered above
        // the descriptors the client sets up for the worker.
        const int created = memfd_create("vorlune-worker-coverage", 0);
        const int memory = created < 0 ? -1 : fcntl(created, F_DUPFD, kInheritedDescriptor);
        if (memory < 0 || ftruncate(memory, kWorkerEdgeCounters) != 0) {
            fail();
        }
        close(created);
        void* mapped = mmap(nullptr, kWorkerEdgeCounters, PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0);
        if (mapped == MAP_FAILED) {
            fail();
        }
        counts_ = static_cast<unsigned char*>(mapped);
        setenv(kWorkerCoverageVariable, std::to_string(memory).c_str(), 1);
    }

    // Forgets what the worker counted between requests.
    void clear() { std::fill(counts_, counts_ + kWorkerEdgeCounters, 0); }

    // Hands what the worker counted during the request to libFuzzer.
    void collect()
    {
        std::copy(counts_, counts_ + kWorkerEdgeCounters, gWorkerEdges);
        clear();
    }

private:
    [[noreturn]] static void fail()
    {
        std::perror("no memory shared with the worker for its coverage");
        std::abort();
    }

    unsigned char* counts_ = nullptr;
};

// One worker for the fuzzer's life (replaced by the client whenever a
// request fails), counting its coverage, and one folder the inputs are
// written into.
struct FuzzSession {
    // Before the worker, which inherits it.
    WorkerCoverage coverage;
    std::string folder;
    LoadingWorker worker{VORLUNE_FUZZ_WORKER};

    explicit FuzzSession(const char* folderPrefix) : folder(makeTemporaryFolder(folderPrefix))
    {
        if (folder.empty()) {
            std::fprintf(stderr, "no temporary folder for the inputs\n");
            std::abort();
        }
    }
    ~FuzzSession()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

#endif
