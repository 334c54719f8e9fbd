// What the viewer asks of loading and what comes back: one model file
// imported and converted, or one image file decoded, within limits the
// request carries. What sets each kind apart is its entry in
// request_kinds.h; a Loader (loading/loader.h) answers the request.
#pragma once

#include "loading/work/image_decoding.h"
#include "loading/work/model_file_import.h"

#include <cstdint>
#include <string>

// The values travel in requests and replies; each has its entry in
// request_kinds.h.
enum class LoadKind : std::uint32_t { Model = 1, Image = 2 };

struct LoadLimits {
    // Processor time the request may take.
    double cpuSeconds = 0.0;
    // Memory it may take beyond what the worker held before it.
    std::uint64_t memoryBytes = 0;
    // Wall-clock time before the worker is killed: what processor time
    // cannot see (a worker waiting on a file that never ends, or starved
    // on a busy machine).
    double wallSeconds = 0.0;
};

constexpr std::uint64_t kMebibyte = std::uint64_t{1} << 20;

#ifdef __EMSCRIPTEN__
// The page's heap grows up to this (the build sets it at link time); the
// loading limits below are cut from it, as the browser's tab is all the
// memory the viewer has there.
constexpr std::uint64_t kWebHeapMaximum = VORLUNE_WEB_HEAP_MAXIMUM;
// One model may take half the heap, one image a quarter: the shipped
// hallway's largest import and decode take a few tens of MiB.
constexpr LoadLimits kModelLimits{30.0, kWebHeapMaximum / 2, 90.0};
constexpr LoadLimits kImageLimits{15.0, kWebHeapMaximum / 4, 45.0};
#else
// The 2,000,000-triangle model imports in about 9 s of processor time here
// and its worker peaks near 1 GiB; three times that covers a slower machine
// and heavier models, while a file built to spin or swell is stopped within
// half a minute and a few GiB.
constexpr LoadLimits kModelLimits{30.0, std::uint64_t{3072} * kMebibyte, 90.0};
// An 8192 x 8192 photo decodes in 1.3 s and the largest accepted image (8K
// HDR, floats before bytes) peaks at 1.2 GiB; the decoding-work checks
// refuse what would take longer before the decoder starts.
constexpr LoadLimits kImageLimits{15.0, std::uint64_t{2048} * kMebibyte, 45.0};
#endif

struct LoadRequest {
    LoadKind kind = LoadKind::Model;
    std::string path;
    LoadLimits limits;
};

struct LoadReply {
    // Empty when the request was answered; otherwise why it was not (the
    // worker crashed, a limit stopped it, its reply was malformed), as the
    // rest of the failure line.
    std::string failure;
    // The request was given up because the viewer is closing: no failure.
    bool cancelled = false;
    // The failure is that it needed more than its memory limit (which the
    // scene's budget may have cut), whatever the failure says.
    bool overMemoryLimit = false;
    // For a model request.
    ImportedModelFile model;
    // For an image request.
    DecodedImage image;
    double decodeMs = 0.0;
};
