// The C++ allocation operators of the MSVC-ABI flavour, on the process heap. The Universal CRT's
// malloc allocates there too, so a block either side allocates the other can free: the region a
// host hands to SetShape, the buffer of a host string that GetFilePath replaces.
#include <windows.h>
#include <new>

namespace {

void* Allocate(size_t size) noexcept
{
    return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}

void Free(void* block) noexcept
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

// Over-aligned blocks keep the heap block's address in the word before the aligned one.
void* AllocateAligned(size_t size, std::align_val_t alignment) noexcept
{
    const size_t align = static_cast<size_t>(alignment);
    const size_t total = size + align + sizeof(void*);
    if (total < size)
        return nullptr;
    void* block = Allocate(total);
    if (!block)
        return nullptr;
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(block) + sizeof(void*) + align - 1) & ~(align - 1);
    reinterpret_cast<void**>(aligned)[-1] = block;
    return reinterpret_cast<void*>(aligned);
}

void FreeAligned(void* memory) noexcept
{
    if (memory)
        Free(static_cast<void**>(memory)[-1]);
}

} // namespace

void* operator new(size_t size)
{
    if (void* block = Allocate(size))
        return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, size_t) noexcept { Free(block); }
void operator delete[](void* block, size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }

void* operator new(size_t size, std::align_val_t alignment)
{
    if (void* block = AllocateAligned(size, alignment))
        return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateAligned(size, alignment);
}
void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateAligned(size, alignment);
}
void operator delete(void* block, std::align_val_t) noexcept { FreeAligned(block); }
void operator delete[](void* block, std::align_val_t) noexcept { FreeAligned(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { FreeAligned(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { FreeAligned(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { FreeAligned(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { FreeAligned(block); }

const std::nothrow_t std::nothrow{};
