// The platform's half of the loading worker: starting one process, talking
// to it, limiting it and ending it: worker_process_linux.cpp and
// worker_process_windows.cpp. LoadingWorker (loading_worker.cpp) holds the
// rules: when to start, what each outcome is called, when to replace it.
#pragma once

#include "loading/loader.h"
#include "worker/worker_protocol.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Defined by each platform's half, which alone can delete one: a shared
// pointer keeps the deleter it was made with.
struct WorkerProcess;
using OwnedWorkerProcess = std::shared_ptr<WorkerProcess>;

// Null, with `why`, when the worker cannot be started.
OwnedWorkerProcess startWorkerProcess(const std::string& program, std::string& why);

long workerProcessId(const WorkerProcess& worker);

// Kills and reaps the worker; one that `ending` (its channel closed) is
// first given a moment to end by itself. How it had ended, when it ended by
// itself: "" when it was still running, else the rest of a failure line (a
// crash, an exit status), and `overProcessorTime` when the system stopped
// it at its processor-time limit.
std::string stopWorkerProcess(OwnedWorkerProcess& worker, bool ending, bool& overProcessorTime);

// Sets `limits` on the worker where the system holds them from outside,
// counted from `cpuSeconds` and `memoryBytes` it has used so far.
void limitWorkerProcess(WorkerProcess& worker, const LoadLimits& limits, double cpuSeconds, std::uint64_t memoryBytes);

bool sendToWorker(WorkerProcess& worker, const std::string& message);

enum class WorkerWait { Received, Ended, Cancelled, TimedOut, OverProcessorTime };

// Receives one message of at most `size` bytes into `into`, its length in
// `got`, calling `whileWaiting` every kLoadingPollInterval; gives up when
// it says so, at `deadline`, or once the worker has used `cpuLimit`
// processor seconds in all where the system does not stop it itself.
WorkerWait receiveFromWorker(WorkerProcess& worker, void* into, std::size_t size, std::size_t& got,
                             std::chrono::steady_clock::time_point deadline, double cpuLimit,
                             const std::function<bool()>& whileWaiting);

// The bytes of the reply `message` announced, which `owner` keeps alive;
// null, with `why`, when they cannot be had. Reading them is the caller's.
const unsigned char* takeWorkerReply(WorkerProcess& worker, const ReplyMessage& message,
                                     std::shared_ptr<const void>& owner, std::string& why);

// The rest of the failure line of a worker that ended by itself with exit
// `status` (loading_worker.cpp words it for both platforms).
std::string workerExitFailure(unsigned long status);

// Processor seconds the worker has used in all, and the memory it holds
// as its memory limit counts it.
double workerCpuSeconds(WorkerProcess& worker);
std::uint64_t workerMemoryBytes(WorkerProcess& worker);
