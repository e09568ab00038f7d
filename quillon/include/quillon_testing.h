// Test controls of our Quillon build, exported by name only. Tests find them with GetProcAddress.
#pragma once

#include <cstdint>

class Class_QUOR;

struct QuillonInterfaceRecord {
    void* iface;
    uint32_t fourcc;
    uint32_t value;
};

struct QuillonLockSite {
    const Class_QUOR* object;
    wchar_t file[64];
    uint32_t line;
    wchar_t date[16];
    wchar_t time[16];
};

extern "C" {
// The next `count` LockObjectAt calls are refused (return QUOR_LOCK_REFUSED).
typedef void (*Quillon_RefuseLocks_t)(uint32_t count);
// Copies the registrations of owner, in registration order; returns how many there are.
typedef uint32_t (*Quillon_GetInterfaces_t)(const Class_QUOR* owner, QuillonInterfaceRecord* out, uint32_t max);
// The position and object passed to the most recent LockObjectAt.
typedef void (*Quillon_LastLockSite_t)(QuillonLockSite* out);
// How many LockObjectAt calls are held and not yet released, over all objects.
typedef uint32_t (*Quillon_HeldLocks_t)();
}
