#include "image/host_string.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace tessary {

#if defined(__MINGW32__)

bool AssignHostString(std::wstring* host, const std::wstring& value)
{
    try {
        *host = value;
        return true;
    } catch (...) {
        return false;
    }
}

#else

namespace {

// Visual C++'s std::wstring in a release build: characters in place while they fit in the small
// buffer (capacity 7), otherwise on the heap; the heap is the process heap on both sides.
struct VisualCppWString {
    union {
        wchar_t small[8];
        wchar_t* large;
    } text;
    size_t size;
    size_t capacity;
};
static_assert(sizeof(VisualCppWString) == 32);

constexpr size_t kSmallCapacity = 7;
// Its allocator aligns blocks of 4096 bytes and more to 32 bytes and keeps the address of the heap
// block in the word before the aligned one.
constexpr size_t kBigBlock = 4096;
constexpr size_t kBigAlignment = 32;
constexpr size_t kBigExtra = sizeof(void*) + kBigAlignment - 1;

wchar_t* Allocate(size_t capacity)
{
    const size_t bytes = (capacity + 1) * sizeof(wchar_t);
    if (bytes < kBigBlock)
        return static_cast<wchar_t*>(::operator new(bytes, std::nothrow));
    void* block = ::operator new(bytes + kBigExtra, std::nothrow);
    if (!block)
        return nullptr;
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(block) + kBigExtra) & ~uintptr_t(kBigAlignment - 1);
    reinterpret_cast<void**>(aligned)[-1] = block;
    return reinterpret_cast<wchar_t*>(aligned);
}

void Free(wchar_t* text, size_t capacity)
{
    if ((capacity + 1) * sizeof(wchar_t) >= kBigBlock)
        ::operator delete(reinterpret_cast<void**>(text)[-1]);
    else
        ::operator delete(text);
}

} // namespace

bool AssignHostString(std::wstring* host, const std::wstring& value)
{
    auto* s = reinterpret_cast<VisualCppWString*>(host);
    const size_t length = value.size();
    if (length > s->capacity) {
        // Grows as Visual C++'s string does: at least half again, rounded up to the allocation granule.
        const size_t capacity = std::max(length | kSmallCapacity, s->capacity + s->capacity / 2);
        wchar_t* text = Allocate(capacity);
        if (!text)
            return false;
        if (s->capacity > kSmallCapacity)
            Free(s->text.large, s->capacity);
        s->text.large = text;
        s->capacity = capacity;
    }
    wchar_t* text = s->capacity > kSmallCapacity ? s->text.large : s->text.small;
    memcpy(text, value.c_str(), (length + 1) * sizeof(wchar_t));
    s->size = length;
    return true;
}

#endif

} // namespace tessary
