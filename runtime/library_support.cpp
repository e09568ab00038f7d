// What compiled code of the MSVC-ABI flavour calls beyond the C library: libc++'s mutexes,
// number-to-string conversions and hash-table sizes, the stack probe, processor detection for __builtin_cpu_supports, and the C library's math functions,
// which the Universal CRT exports only through its import table.
#include <windows.h>
#include <cpuid.h>
#include <mutex>
#include <string>

namespace std {
inline namespace __1 {

// A mutex is one pointer-sized word, zero when unlocked: a slim reader/writer lock.
void mutex::lock() { AcquireSRWLockExclusive(reinterpret_cast<SRWLOCK*>(&__m_)); }
bool mutex::try_lock() noexcept { return TryAcquireSRWLockExclusive(reinterpret_cast<SRWLOCK*>(&__m_)); }
void mutex::unlock() noexcept { ReleaseSRWLockExclusive(reinterpret_cast<SRWLOCK*>(&__m_)); }

// A recursive mutex has room for a critical section.
static_assert(sizeof(recursive_mutex) >= sizeof(CRITICAL_SECTION));
recursive_mutex::recursive_mutex() { InitializeCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(__m_)); }
recursive_mutex::~recursive_mutex() { DeleteCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(__m_)); }
void recursive_mutex::lock() { EnterCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(__m_)); }
bool recursive_mutex::try_lock() noexcept
{
    return TryEnterCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(__m_));
}
void recursive_mutex::unlock() noexcept { LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(__m_)); }

namespace {

// The decimal digits of a value, written backwards into a buffer large enough for any 64-bit value.
template <class String, class T>
String Decimal(T value)
{
    typename String::value_type digits[24];
    auto* end = digits + 24;
    auto* p = end;
    const bool negative = value < 0;
    unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value) : value;
    do {
        *--p = static_cast<typename String::value_type>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (negative)
        *--p = '-';
    return String(p, end);
}

} // namespace

#define TESSARY_TO_STRING(type)                                                                          \
    string to_string(type value) { return Decimal<string>(value); }                                       \
    wstring to_wstring(type value) { return Decimal<wstring>(value); }
TESSARY_TO_STRING(int)
TESSARY_TO_STRING(unsigned)
TESSARY_TO_STRING(long)
TESSARY_TO_STRING(unsigned long)
TESSARY_TO_STRING(long long)
TESSARY_TO_STRING(unsigned long long)

// The bucket counts of unordered containers: the smallest prime not below n.
size_t __next_prime(size_t n)
{
    if (n <= 2)
        return 2;
    for (n |= 1;; n += 2) {
        bool prime = true;
        for (size_t d = 3; d <= n / d && prime; d += 2)
            prime = n % d != 0;
        if (prime)
            return n;
    }
}

} // namespace __1
} // namespace std

// The processor features __builtin_cpu_supports tests, at the bit positions clang gives them.
extern "C" {

struct ProcessorModel {
    unsigned vendor, type, subtype, features[1];
} __cpu_model;

int __cpu_indicator_init()
{
    if (__cpu_model.vendor)
        return 0;
    unsigned a, b, c, d;
    __cpuid(1, a, b, c, d);
    const bool osSavesAvx = (c & bit_OSXSAVE) && (c & bit_AVX) && [] {
        unsigned low, high;
        __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
        return (low & 6) == 6; // XMM and YMM state
    }();
    unsigned features = 0;
    features |= (d & bit_CMOV) ? 1u << 0 : 0;
    features |= (d & bit_MMX) ? 1u << 1 : 0;
    features |= (c & bit_POPCNT) ? 1u << 2 : 0;
    features |= (d & bit_SSE) ? 1u << 3 : 0;
    features |= (d & bit_SSE2) ? 1u << 4 : 0;
    features |= (c & bit_SSE3) ? 1u << 5 : 0;
    features |= (c & bit_SSSE3) ? 1u << 6 : 0;
    features |= (c & bit_SSE41) ? 1u << 7 : 0;
    features |= (c & bit_SSE42) ? 1u << 8 : 0;
    features |= osSavesAvx ? 1u << 9 : 0;
    __cpuid_count(7, 0, a, b, c, d);
    features |= (osSavesAvx && (b & bit_AVX2)) ? 1u << 10 : 0;
    __cpu_model.features[0] = features;
    __cpu_model.vendor = 1; // known from now on
    return 0;
}

} // extern "C"

// C library functions the MinGW-w64 headers declare as plain functions while the Universal CRT
// exports them only through its import table: each forwards to its import.
#define TESSARY_FORWARD(result, name, parameters, arguments)                                             \
    extern "C" result(*const __imp_##name) parameters;                                                    \
    extern "C" result name parameters { return __imp_##name arguments; }
TESSARY_FORWARD(double, ceil, (double x), (x))
TESSARY_FORWARD(float, ceilf, (float x), (x))
TESSARY_FORWARD(double, exp, (double x), (x))
TESSARY_FORWARD(double, floor, (double x), (x))
TESSARY_FORWARD(float, floorf, (float x), (x))
TESSARY_FORWARD(double, ldexp, (double x, int e), (x, e))
TESSARY_FORWARD(double, pow, (double x, double y), (x, y))
TESSARY_FORWARD(size_t, wcsnlen, (const wchar_t* s, size_t n), (s, n))

// The wide memory functions are inline in the Windows SDK's headers, not exported by any CRT. The
// MinGW-w64 headers inline them too, except in unoptimised builds.
#ifdef __CRT__NO_INLINE
extern "C" wchar_t* wmemcpy(wchar_t* to, const wchar_t* from, size_t count)
{
    return static_cast<wchar_t*>(memcpy(to, from, count * sizeof(wchar_t)));
}
extern "C" wchar_t* wmemmove(wchar_t* to, const wchar_t* from, size_t count)
{
    return static_cast<wchar_t*>(memmove(to, from, count * sizeof(wchar_t)));
}
#endif

// The stack probe the compiler calls before reserving more than a page of stack: touches each page
// from the caller's stack pointer down to the new one, in order, so the guard page moves down with
// it. RAX holds the size; every register is preserved.
__asm__(R"(
    .text
    .globl __chkstk
__chkstk:
    pushq %rcx
    pushq %rax
    leaq 24(%rsp), %rcx
    subq %rax, %rcx
    jb 3f
    movq %rsp, %rax
1:  subq $0x1000, %rax
    cmpq %rcx, %rax
    jb 2f
    testb %al, (%rax)
    jmp 1b
2:  testb %al, (%rcx)
3:  popq %rax
    popq %rcx
    retq
)");
