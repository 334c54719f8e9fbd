// Counts the heap memory a request takes, so that a limit holds where the
// address-space limit cannot be used: in a sanitizer build (whose shadow
// memory fills the address space), on Windows (whose job memory limit Wine
// does not enforce) and in the browser (one process, no limits). The
// worker's operator new and the image decoders allocate through it.
#pragma once

#include <cstddef>
#include <cstdint>

// Starts counting a request: nothing counted yet, at most `bytes` live at
// once (0: no limit).
void beginCountedRequest(std::uint64_t bytes);

// The bytes counted as held now, by this request and what came before it.
std::uint64_t countedBytes();

// Whether a request's allocation was refused since it began, by the limit
// or by the system.
bool countedRequestRanOut();

// Allocates and frees as malloc, calloc and free do, counting each block
// and refusing one that would pass the limit.
void* countedMalloc(std::size_t size);
void* countedCalloc(std::size_t size);
void* countedRealloc(void* block, std::size_t size);
void countedFree(void* block);
