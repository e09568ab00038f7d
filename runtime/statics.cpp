// Thread-local storage and thread-safe static initialisation for the MSVC-ABI flavour.
//
// The module's thread_local variables form the template that the loader copies for every thread;
// the TLS directory below tells it where the template lies and where to store the module's slot.
// The compiler guards each function-local static with an int: 0 before initialisation, -1 while a
// thread initialises it, and afterwards the value of a global epoch counter. A thread whose own
// copy of the epoch is at least the guard's value has seen the object initialised and takes the
// fast path; every other thread comes here.
#include <windows.h>
#include <climits>

extern "C" {

ULONG _tls_index = 0;

#pragma section(".tls", read, write)
#pragma section(".tls$ZZZ", read, write)
#pragma section(".CRT$XLA", read)
#pragma section(".CRT$XLZ", read)
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;
__declspec(allocate(".CRT$XLA")) PIMAGE_TLS_CALLBACK __xl_a = nullptr;
__declspec(allocate(".CRT$XLZ")) PIMAGE_TLS_CALLBACK __xl_z = nullptr;

// The linker points the image's TLS directory entry at the symbol of this name.
extern const IMAGE_TLS_DIRECTORY64 _tls_used = {
    reinterpret_cast<ULONGLONG>(&_tls_start), reinterpret_cast<ULONGLONG>(&_tls_end),
    reinterpret_cast<ULONGLONG>(&_tls_index), reinterpret_cast<ULONGLONG>(&__xl_a + 1), 0, {}};

__declspec(thread) int _Init_thread_epoch = INT_MIN;

} // extern "C"

namespace {

constexpr int kUninitialised = 0;
constexpr int kBeingInitialised = -1;

SRWLOCK guardLock = SRWLOCK_INIT;
CONDITION_VARIABLE guardChanged = CONDITION_VARIABLE_INIT;
int globalEpoch = INT_MIN;

} // namespace

extern "C" {

// Returns with *guard == -1 when the caller is to initialise the object, otherwise once another
// thread has finished doing so.
void _Init_thread_header(int* guard)
{
    AcquireSRWLockExclusive(&guardLock);
    while (*guard == kBeingInitialised)
        SleepConditionVariableSRW(&guardChanged, &guardLock, INFINITE, 0);
    if (*guard == kUninitialised)
        *guard = kBeingInitialised;
    else
        _Init_thread_epoch = globalEpoch;
    ReleaseSRWLockExclusive(&guardLock);
}

void _Init_thread_footer(int* guard)
{
    AcquireSRWLockExclusive(&guardLock);
    *guard = ++globalEpoch;
    _Init_thread_epoch = globalEpoch;
    ReleaseSRWLockExclusive(&guardLock);
    WakeAllConditionVariable(&guardChanged);
}

// The initialiser threw: the next caller tries again.
void _Init_thread_abort(int* guard)
{
    AcquireSRWLockExclusive(&guardLock);
    *guard = kUninitialised;
    ReleaseSRWLockExclusive(&guardLock);
    WakeAllConditionVariable(&guardChanged);
}

} // extern "C"
