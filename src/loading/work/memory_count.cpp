#include "loading/work/memory_count.h"

#include <atomic>
#include <cstdlib>

#include <malloc.h>

namespace {

std::atomic<std::uint64_t> live{0};
std::atomic<std::uint64_t> limit{0};
std::atomic<bool> ranOut{false};

std::size_t blockSize(void* block)
{
#ifdef _WIN32
    return _msize(block);
#else
    return malloc_usable_size(block);
#endif
}

// Counts `size` more bytes, unless that passes the limit.
bool take(std::size_t size)
{
    const std::uint64_t cap = limit.load(std::memory_order_relaxed);
    const std::uint64_t now = live.fetch_add(size, std::memory_order_relaxed) + size;
    if (cap != 0 && now > cap) {
        live.fetch_sub(size, std::memory_order_relaxed);
        ranOut.store(true, std::memory_order_relaxed);
        return false;
    }
    return true;
}

void give(std::size_t size)
{
    live.fetch_sub(size, std::memory_order_relaxed);
}

// Counts the block malloc made: its real size, which free will give back.
void* counted(void* block, std::size_t asked)
{
    if (block == nullptr) {
        if (asked != 0) {
            ranOut.store(true, std::memory_order_relaxed);
        }
        return nullptr;
    }
    const std::size_t size = blockSize(block);
    if (!take(size)) {
        std::free(block);
        return nullptr;
    }
    return block;
}

}  // namespace

void beginCountedRequest(std::uint64_t bytes)
{
    // Blocks from before stay counted: they are still held.
    limit.store(bytes == 0 ? 0 : live.load() + bytes);
    ranOut.store(false);
}

std::uint64_t countedBytes()
{
    return live.load();
}

bool countedRequestRanOut()
{
    return ranOut.load();
}

void* countedMalloc(std::size_t size)
{
    return counted(std::malloc(size), size);
}

void* countedCalloc(std::size_t size)
{
    return counted(std::calloc(1, size), size);
}

void* countedRealloc(void* block, std::size_t size)
{
    if (block == nullptr) {
        return countedMalloc(size);
    }
    const std::size_t before = blockSize(block);
    if (size > before && !take(size - before)) {
        return nullptr;
    }
    void* moved = std::realloc(block, size);
    if (moved == nullptr) {
        if (size > before) {
            give(size - before);
        }
        if (size != 0) {
            ranOut.store(true);
        }
        return nullptr;
    }
    // The real sizes differ from the asked ones: settle on what it is now.
    const std::size_t after = blockSize(moved);
    const std::size_t charged = size > before ? size : before;
    if (after > charged) {
        // Already allocated: over the limit or not, it is held.
        live.fetch_add(after - charged, std::memory_order_relaxed);
    } else {
        give(charged - after);
    }
    return moved;
}

void countedFree(void* block)
{
    if (block != nullptr) {
        give(blockSize(block));
        std::free(block);
    }
}
