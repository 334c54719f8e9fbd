// What LoadCache lets a scene's loading take. One memory budget for
// everything a scene loads: each request may take no more than its kind
// allows, nor more than the memory the machine had free at start-up less
// what the scene already keeps and a margin. Below a floor the model or
// image is refused with a line instead of loaded. And one allowance of time
// for all the images of one model.
#pragma once

#include "loading/kept_memory.h"
#include "loading/request/load_request.h"

#include <cstdint>
#include <string>

// What the system can give without swapping, read once when loading
// begins: MemAvailable on Linux, the available physical memory on Windows,
// the heap's limit in the browser. 0 when it cannot tell.
std::uint64_t availableMemoryBytes();

// Left to the window, the GL driver's working memory and the rest of the
// system, whatever the scene holds.
#ifdef __EMSCRIPTEN__
// In the browser the GL's memory lies outside the page's heap: only the
// page's own working memory is spared.
constexpr std::uint64_t kMemoryMargin = kWebHeapMaximum / 16;
#else
constexpr std::uint64_t kMemoryMargin = std::uint64_t{512} * kMebibyte;
#endif
// The least a request is given. The shipped hallway's import grows the
// worker by about 12 MiB and its largest texture's decode by 16; a request
// given less would most likely fail on its way, so it is refused up front.
constexpr std::uint64_t kRequestMemoryFloor = std::uint64_t{64} * kMebibyte;

// All the image decodes of one model may take, in wall-clock time: a model
// naming a thousand slow images still loads (with placeholders) within it.
inline constexpr double kModelImageSeconds = 120.0;

class SceneMemoryBudget {
public:
    // `available` as availableMemoryBytes gives it; 0 puts no budget on
    // requests beyond their kinds' limits.
    explicit SceneMemoryBudget(std::uint64_t available) : available_(available) {}

    void keep(std::uint64_t bytes) { kept_ += bytes; }
    std::uint64_t kept() const { return kept_; }

    // The memory a `kind` request may take, within its kind's `limit`; 0,
    // with `why` set, when what is left is under kRequestMemoryFloor.
    std::uint64_t requestMemory(LoadKind kind, std::uint64_t limit, std::string& why) const;
    // The line for a `kind` request that needed more than the `given` bytes
    // requestMemory gave it: the budget's, when it gave less than the
    // kind's own limit; otherwise the limit's.
    std::string shortOfMemory(LoadKind kind, std::uint64_t given) const;

private:
    std::uint64_t left() const;
    // How the budget stands, for its lines.
    std::string accounts() const;

    std::uint64_t available_;
    std::uint64_t kept_ = 0;
};
