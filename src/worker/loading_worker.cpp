// One request's way through the worker, and what each way out is called.
#include "worker/loading_worker.h"

#include "loading/request/reply_format.h"
#include "loading/request/request_kinds.h"

#include <sstream>
#include <utility>

namespace {

// A request that used this share of a limit leaves a worker too close to
// it for the next one, whose limit is set on top of what it holds.
constexpr double kNearLimit = 0.8;
// A worker whose memory grew by more than this in a request is replaced
// too. What it frees stays in its address space, to be filled again by the
// next request without passing an address-space limit set on top of it:
// past what the scene's budget gave that request. A fresh worker's address
// space is little more than its libraries. (The shipped models grow it by
// about 12 MiB, so start-up starts no new worker for them.)
constexpr std::uint64_t kMostKeptGrowth = std::uint64_t{256} << 20;
// Next to no processor time: what a worker blocked for good uses over a
// stall's span (none), well under what a starved one gets.
constexpr double kStalledCpuShare = 0.02;

// "30" or "0.5": as short as the limit was given.
std::string seconds(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

std::string brokenWorker(const std::string& program)
{
    return "not tried: the loading worker " + program + " has failed " + std::to_string(kBrokenWorkerSigns) +
           " times without working (never ready, or stalled)";
}

std::string overProcessorTime(const LoadRequest& request)
{
    return "took more than the " + seconds(request.limits.cpuSeconds) + " s of processor time allowed for " +
           requestKind(request.kind).name;
}

std::chrono::steady_clock::time_point after(double seconds)
{
    return std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
}

LoadReply failedReply(std::string why)
{
    LoadReply reply;
    reply.failure = std::move(why);
    return reply;
}

// The line a worker that could not start gives each request.
std::string workerStartFailure(const std::string& program, const std::string& why)
{
    return "the loading worker " + program + " could not start (" + why + ")";
}

bool requestFailed(const LoadReply& reply, LoadKind kind)
{
    return !reply.failure.empty() || !requestKind(kind).answered(reply);
}

}  // namespace

Loader workerLoader(std::string program, std::function<bool()> whileWaiting)
{
    auto worker = std::make_shared<LoadingWorker>(std::move(program), std::move(whileWaiting));
    return {[worker](const LoadRequest& request) { return worker->run(request); }};
}

std::string workerExitFailure(unsigned long status)
{
    if (status == kWorkerNoSandbox) {
        return "the loading worker could not set up its sandbox";
    }
    return "the loading worker ended (status " + std::to_string(status) + ")";
}

LoadingWorker::LoadingWorker(std::string program, std::function<bool()> whileWaiting, WorkerPatience patience)
    : program_(std::move(program)), whileWaiting_(std::move(whileWaiting)), patience_(patience)
{
    // Started now, so that it is ready by the first request.
    std::string ignored;
    start(ignored);
}

bool LoadingWorker::start(std::string& why)
{
    process_ = startWorkerProcess(program_, why);
    ready_ = false;
    return process_ != nullptr;
}

LoadingWorker::~LoadingWorker()
{
    bool ignored = false;
    stopWorkerProcess(process_, false, ignored);
}

long LoadingWorker::processId() const
{
    return process_ ? workerProcessId(*process_) : 0;
}

// Stops the worker, and gives the failure line's reason: how it had ended,
// or `otherwise` when it was still running.
std::string LoadingWorker::stop(const LoadRequest& request, const std::string& otherwise, bool ending)
{
    bool overTime = false;
    const std::string ended = stopWorkerProcess(process_, ending, overTime);
    return overTime ? overProcessorTime(request) : ended.empty() ? otherwise : ended;
}

bool LoadingWorker::nearLimits(const LoadLimits& limits)
{
    const std::uint64_t memory = workerMemoryBytes(*process_);
    const std::uint64_t grown = memory > memoryBefore_ ? memory - memoryBefore_ : 0;
    return workerCpuSeconds(*process_) - cpuBefore_ > kNearLimit * limits.cpuSeconds || grown > kMostKeptGrowth ||
           (limits.memoryBytes != 0 && static_cast<double>(grown) > kNearLimit * static_cast<double>(limits.memoryBytes));
}

std::function<bool()> LoadingWorker::watchForStall(bool& stalled)
{
    using Clock = std::chrono::steady_clock;
    const auto span = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(patience_.stallSeconds));
    return [this, &stalled, span, since = Clock::now(), cpuSince = workerCpuSeconds(*process_)]() mutable {
        if (whileWaiting_ && !whileWaiting_()) {
            return false;
        }
        if (Clock::now() - since >= span) {
            const double cpu = workerCpuSeconds(*process_);
            if (cpu - cpuSince < kStalledCpuShare * patience_.stallSeconds) {
                stalled = true;
                return false;
            }
            since = Clock::now();
            cpuSince = cpu;
        }
        return true;
    };
}

LoadReply LoadingWorker::run(const LoadRequest& request)
{
    LoadReply cancelledReply;
    cancelledReply.cancelled = true;
    if (cancelled_) {
        return cancelledReply;
    }
    if (brokenSigns_ >= kBrokenWorkerSigns) {
        return failedReply(brokenWorker(program_));
    }
    LoadReply reply = exchange(request);
    if (reply.cancelled) {
        cancelled_ = true;
        stop(request, "");
    } else if (!process_ || nearLimits(request.limits) || requestFailed(reply, request.kind)) {
        // Replaced at once, so that the next request finds one started,
        // unless no more are to be tried.
        stop(request, "");
        std::string ignored;
        if (brokenSigns_ < kBrokenWorkerSigns) {
            start(ignored);
        }
    }
    return reply;
}

LoadReply LoadingWorker::exchange(const LoadRequest& request)
{
    LoadReply cancelledReply;
    cancelledReply.cancelled = true;
    std::string why;
    if (!process_ && !start(why)) {
        return failedReply(workerStartFailure(program_, why));
    }
    if (request.path.size() > kMaxRequestPathBytes) {
        return failedReply("a path of " + std::to_string(request.path.size()) + " bytes");
    }
    std::size_t got = 0;
    if (!ready_) {
        char hello = 0;
        const WorkerWait started =
            receiveFromWorker(*process_, &hello, 1, got, after(patience_.startSeconds),
                              workerCpuSeconds(*process_) + patience_.startSeconds, whileWaiting_);
        if (started == WorkerWait::Cancelled) {
            return cancelledReply;
        }
        if (started != WorkerWait::Received || got != 1 || hello != kWorkerReady) {
            ++brokenSigns_;
            return failedReply(stop(request,
                                    workerStartFailure(program_, "not ready within " + seconds(patience_.startSeconds) + " s"),
                                    started == WorkerWait::Ended));
        }
        ready_ = true;
    }
    cpuBefore_ = workerCpuSeconds(*process_);
    memoryBefore_ = workerMemoryBytes(*process_);
    limitWorkerProcess(*process_, request.limits, cpuBefore_, memoryBefore_);
    RequestMessage header{request.kind, static_cast<std::uint32_t>(request.path.size()), request.limits.memoryBytes};
    if (!sendToWorker(*process_, std::string(reinterpret_cast<const char*>(&header), sizeof(header)) + request.path)) {
        return failedReply(stop(request, "the loading worker took no request", true));
    }

    ReplyMessage announced{};
    bool stalled = false;
    switch (receiveFromWorker(*process_, &announced, sizeof(announced), got, after(request.limits.wallSeconds),
                              cpuBefore_ + request.limits.cpuSeconds, watchForStall(stalled))) {
    case WorkerWait::Received:
        break;
    case WorkerWait::Cancelled:
        if (stalled) {
            ++brokenSigns_;
            return failedReply(stop(request, "the loading worker stalled (no work for " +
                                                 seconds(patience_.stallSeconds) + " s on " +
                                                 requestKind(request.kind).name + ")"));
        }
        return cancelledReply;
    case WorkerWait::OverProcessorTime:
        stop(request, "");
        return failedReply(overProcessorTime(request));
    case WorkerWait::TimedOut:
        return failedReply(stop(request, "took longer than the " + seconds(request.limits.wallSeconds) +
                                             " s allowed for " + requestKind(request.kind).name));
    case WorkerWait::Ended:
        return failedReply(stop(request, "the loading worker ended", true));
    }
    LoadReply reply;
    if (got != sizeof(announced)) {
        return failedReply(stop(request, "the loading worker sent a malformed message"));
    }
    std::shared_ptr<const void> owner;
    const unsigned char* bytes = takeWorkerReply(*process_, announced, owner, why);
    if (bytes == nullptr) {
        return failedReply(stop(request, why));
    }
    if (!readReply(request.kind, request.limits.memoryBytes, owner, bytes, announced.size, reply, why)) {
        return failedReply(stop(request, "the loading worker's reply is malformed (" + why + ")"));
    }
    return reply;
}
