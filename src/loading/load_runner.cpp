#include "loading/load_runner.h"

#include "loading/memory_count.h"

#include <chrono>

std::string memoryLimitFailure(LoadKind kind, std::uint64_t bytes)
{
    return "needed more than the " + std::to_string(bytes / kMebibyte) + " MiB of memory allowed for " +
           requestName(kind);
}

LoadReply runLoadRequest(const LoadRequest& request)
{
    LoadReply reply;
    beginCountedRequest(request.limits.memoryBytes);
    const auto start = std::chrono::steady_clock::now();
    if (request.kind == LoadKind::Model) {
        reply.model = importModelFile(request.path);
    } else {
        reply.image = decodeRgbImage(request.path);
    }
    reply.decodeMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    // Whatever the import or decoder made of an allocation it was refused,
    // the reason it failed is the limit.
    const bool failed = request.kind == LoadKind::Model ? !reply.model.imported : !reply.image.pixels;
    if (failed && countedRequestRanOut()) {
        reply.model = ImportedModelFile{};
        reply.image = DecodedImage{};
        reply.failure = memoryLimitFailure(request.kind, request.limits.memoryBytes);
    }
    beginCountedRequest(0);
    return reply;
}
