// The numbered exports and the test controls.
#include "quillon.h"
#include "quillon_testing.h"
#include "registry.h"

#include <cwchar>
#include <map>
#include <set>
#include <tuple>
#include <mutex>

uint32_t QuillonLockObjectAt(Class_QUOR* object);
uint32_t QuillonUnlockObjectAt(Class_QUOR* object);

namespace {

struct Registration {
    Class_QUOR* owner;
    uint32_t fourcc;
    uint32_t value;
    uint64_t order;
};

struct State {
    std::recursive_mutex mutex;
    // Keyed by pointer and FourCC: parts of one object may share an address.
    std::map<std::pair<void*, uint32_t>, Registration> interfaces;
    // The same registrations by owner, FourCC and pointer, so that finding and forgetting an
    // object's interfaces costs the same with ten objects alive as with ten thousand.
    std::set<std::tuple<const Class_QUOR*, uint32_t, void*>> byOwner;
    uint64_t nextOrder = 0;
    uint32_t refuseLocks = 0;
    uint32_t heldLocks = 0;
    QuillonLockSite lastSite{};
    // Threads and objects whose latest LockObjectAt was refused: the UnlockObjectAt that may follow it is
    // a no-op rather than a release of a lock held further out. The next lock of the pair forgets it.
    std::map<std::pair<DWORD, Class_QUOR*>, bool> refusedLast;
};

State& state()
{
    static State s;
    return s;
}

// Locks asked for with a null object share one process-wide critical section.
CRITICAL_SECTION& processLock()
{
    static CRITICAL_SECTION cs = [] {
        CRITICAL_SECTION c;
        InitializeCriticalSection(&c);
        return c;
    }();
    return cs;
}

void copyText(wchar_t* to, size_t capacity, const wchar_t* from)
{
    wcsncpy(to, from ? from : L"", capacity - 1);
    to[capacity - 1] = 0;
}

} // namespace

void* quillon::FindInterface(const Class_QUOR* owner, uint32_t fourcc)
{
    std::lock_guard lock(state().mutex);
    // The lowest pointer registered for that owner and FourCC, as a walk in pointer order finds first.
    const auto found = state().byOwner.lower_bound({owner, fourcc, nullptr});
    if (found == state().byOwner.end() || std::get<0>(*found) != owner || std::get<1>(*found) != fourcc)
        return nullptr;
    return std::get<2>(*found);
}

void quillon::ForgetOwner(const Class_QUOR* owner)
{
    std::lock_guard lock(state().mutex);
    State& s = state();
    auto it = s.byOwner.lower_bound({owner, 0, nullptr});
    while (it != s.byOwner.end() && std::get<0>(*it) == owner) {
        s.interfaces.erase({std::get<2>(*it), std::get<1>(*it)});
        it = s.byOwner.erase(it);
    }
}

extern "C" {

uint32_t RegisterInterface(void* iface, Class_QUOR* owner, uint32_t fourcc, uint32_t value)
{
    if (!iface)
        return QUOR_E_POINTER;
    try {
        std::lock_guard lock(state().mutex);
        // Registering a pointer again updates it in place and keeps its place in the order.
        State& s = state();
        auto [entry, inserted] = s.interfaces.try_emplace({iface, fourcc}, Registration{owner, fourcc, value, 0});
        try {
            s.byOwner.insert({owner, fourcc, iface});
        } catch (...) {
            if (inserted)
                s.interfaces.erase(entry);
            throw;
        }
        if (!inserted && entry->second.owner != owner)
            s.byOwner.erase({entry->second.owner, fourcc, iface});
        if (inserted)
            entry->second.order = s.nextOrder++;
        else
            entry->second = Registration{owner, fourcc, value, entry->second.order};
        return QUOR_OK;
    } catch (...) {
        return QUOR_E_POINTER;
    }
}

uint32_t UnregisterInterface(void* iface)
{
    std::lock_guard lock(state().mutex);
    State& s = state();
    auto it = s.interfaces.lower_bound({iface, 0});
    while (it != s.interfaces.end() && it->first.first == iface) {
        s.byOwner.erase({it->second.owner, it->first.second, iface});
        it = s.interfaces.erase(it);
    }
    return QUOR_OK;
}

uint32_t LockObjectAt(Class_QUOR* object, const wchar_t* file, uint32_t line, const wchar_t* date,
                      const wchar_t* time)
{
    {
        std::lock_guard lock(state().mutex);
        QuillonLockSite& site = state().lastSite;
        site.object = object;
        copyText(site.file, std::size(site.file), file);
        site.line = line;
        copyText(site.date, std::size(site.date), date);
        copyText(site.time, std::size(site.time), time);
        if (state().refuseLocks > 0) {
            --state().refuseLocks;
            state().refusedLast[{GetCurrentThreadId(), object}] = true;
            return QUOR_LOCK_REFUSED;
        }
        state().refusedLast.erase({GetCurrentThreadId(), object});
    }
    if (object)
        QuillonLockObjectAt(object);
    else
        EnterCriticalSection(&processLock());
    std::lock_guard lock(state().mutex);
    ++state().heldLocks;
    return QUOR_OK;
}

uint32_t UnlockObjectAt(Class_QUOR* object)
{
    {
        std::lock_guard lock(state().mutex);
        if (state().refusedLast.erase({GetCurrentThreadId(), object}))
            return QUOR_OK;
    }
    if (object) {
        if (QuillonUnlockObjectAt(object) != QUOR_OK)
            return QUOR_LOCK_REFUSED;
    } else {
        LeaveCriticalSection(&processLock());
    }
    std::lock_guard lock(state().mutex);
    if (state().heldLocks > 0)
        --state().heldLocks;
    return QUOR_OK;
}

uint32_t GetModuleByName(const wchar_t* name, HMODULE* out)
{
    if (!out)
        return QUOR_E_POINTER;
    *out = name ? GetModuleHandleW(name) : nullptr;
    return *out ? QUOR_OK : QUOR_E_NOINTERFACE;
}

__declspec(dllexport) void Quillon_RefuseLocks(uint32_t count)
{
    std::lock_guard lock(state().mutex);
    state().refuseLocks = count;
}

__declspec(dllexport) uint32_t Quillon_GetInterfaces(const Class_QUOR* owner, QuillonInterfaceRecord* out,
                                                     uint32_t max)
{
    std::lock_guard lock(state().mutex);
    std::map<uint64_t, QuillonInterfaceRecord> ordered;
    for (auto& [key, r] : state().interfaces)
        if (r.owner == owner)
            ordered[r.order] = QuillonInterfaceRecord{key.first, r.fourcc, r.value};
    uint32_t n = 0;
    for (auto& [order, record] : ordered) {
        if (out && n < max)
            out[n] = record;
        ++n;
    }
    return n;
}

__declspec(dllexport) void Quillon_LastLockSite(QuillonLockSite* out)
{
    std::lock_guard lock(state().mutex);
    if (out)
        *out = state().lastSite;
}

__declspec(dllexport) uint32_t Quillon_HeldLocks()
{
    std::lock_guard lock(state().mutex);
    return state().heldLocks;
}

} // extern "C"
