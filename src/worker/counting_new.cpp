// The worker's operator new and delete count every block against the
// request's memory limit (memory_count.h), so that a limit holds however
// the process's address space is limited, and a refused block is a
// bad_alloc the import reports like any other.
#include "loading/work/memory_count.h"

#include <new>

void* operator new(std::size_t size)
{
    if (void* block = countedMalloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return countedMalloc(size == 0 ? 1 : size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return countedMalloc(size == 0 ? 1 : size);
}

void operator delete(void* block) noexcept
{
    countedFree(block);
}

void operator delete[](void* block) noexcept
{
    countedFree(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    countedFree(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    countedFree(block);
}
