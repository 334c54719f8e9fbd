// The platform's half of the loading worker: starting one process, talking
// to it, limiting it and ending it. LoadingWorker (loading_worker.cpp) holds
// the rules: when to start, what each outcome is called, when to replace it.
#pragma once

#include "loading/load_request.h"
#include "loading/worker_protocol.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The longest the caller's `whileWaiting` goes uncalled while a request
// runs: long enough to be nothing next to the work, short enough that
// moving or closing the window never stalls.
inline constexpr std::chrono::milliseconds kLoadingPollInterval{50};

// Defined by each platform's half.
struct WorkerProcess;
struct WorkerProcessEnd {
    void operator()(WorkerProcess* worker) const;
};
using OwnedWorkerProcess = std::unique_ptr<WorkerProcess, WorkerProcessEnd>;

// Null, with `why`, when the worker cannot be started.
OwnedWorkerProcess startWorkerProcess(const std::string& program, std::string& why);

// Whether the worker has said it is ready; set once it has.
bool& workerReady(WorkerProcess& worker);
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

// Takes the reply `message` announced and reads it; false, with `why`,
// when it cannot be had or is malformed.
bool takeWorkerReply(WorkerProcess& worker, const ReplyMessage& message, LoadKind kind, LoadReply& reply,
                     std::string& why);

// Processor seconds the worker has used in all, and the memory it holds
// as its memory limit counts it.
double workerCpuSeconds(WorkerProcess& worker);
std::uint64_t workerMemoryBytes(WorkerProcess& worker);
