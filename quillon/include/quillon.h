// Quillon: the component base every Tessary object derives from, and the numbered exports Tessary
// imports by ordinal. Our own build of exactly what Tessary relies on.
//
// Choices of this build, which hosts and Tessary may rely on:
// - A new object starts with a reference count of 1: a host that releases a factory-made object once
//   destroys it. Release deletes the object through DeleteInstance when the count reaches 0.
// - The base registers an object's interfaces on first demand: the first call of
//   Class_QUOR::QueryInterface on an object calls the virtual AddInterface(0); DeleteInstance calls the
//   virtual DeleteInterface before deleting an object whose interfaces were registered.
// - Class_QUOR::QueryInterface answers a FourCC registered for the object (RegisterInterface with the
//   object as owner) with that pointer and one added reference; any other FourCC gets a null out
//   pointer and QUOR_E_NOINTERFACE; a null out pointer gets QUOR_E_POINTER.
// - The object lock (LockObject, LockObjectAt) is re-entrant for its owning thread and blocks others.
// - An UnlockObjectAt that follows a refused LockObjectAt of the same object on the same thread, with no
//   other lock of it in between, is accepted as a no-op, so a caller that ignores the refusal and
//   unlocks anyway (the window reset) releases nothing held further out.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstdint>

#ifdef QUILLON_BUILD
#define QUILLON_API __declspec(dllexport)
#define QUILLON_ORDINAL_API // exported by ordinal only, through quillon.def
#else
#define QUILLON_API __declspec(dllimport)
#define QUILLON_ORDINAL_API __declspec(dllimport)
#endif

inline constexpr uint32_t QUOR_OK = 0;
inline constexpr uint32_t QUOR_E_NOINTERFACE = 0x80004002;
inline constexpr uint32_t QUOR_E_POINTER = 0x80004003;
inline constexpr uint32_t QUOR_LOCK_REFUSED = 1;

class QUILLON_API Class_QUOR {
public:
    Class_QUOR();
    virtual ~Class_QUOR();

    virtual uint32_t Create(const void* record);
    virtual uint32_t ResetData();
    virtual uint32_t QueryInterface(uint32_t fourcc, void** out);

protected:
    virtual uint32_t AddInterface(uint32_t value);
    virtual uint32_t DeleteInterface();

public:
    virtual uint32_t AddRef();
    virtual uint32_t SafeAddRef();
    virtual uint32_t Release();
    virtual uint32_t GetRefCount();
    virtual void DeleteInstance();
    virtual uint32_t GetFourCC();
    virtual uint32_t IsCreated();

protected:
    virtual void SetCoreData(void* object, uint32_t size, uint32_t fourcc);

public:
    virtual uint32_t DecRef();
    virtual uint32_t LockObject();
    virtual uint32_t TryLockObject();
    virtual uint32_t UnLockObject();

    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;

    // Reported by IsCreated; the derived Create sets it to 1, ResetData clears it.
    uint32_t createdFlag = 0;

private:
    volatile LONG _refCount = 1;
    uint32_t _interfacesRegistered = 0;
    void* _coreObject = nullptr;
    uint32_t _coreSize = 0;
    uint32_t _coreFourCC = 0;
    CRITICAL_SECTION _lock;

    friend uint32_t QuillonLockObjectAt(Class_QUOR*);
    friend uint32_t QuillonUnlockObjectAt(Class_QUOR*);
};

extern "C" {
// Ordinal 33: registers (interface pointer, fourcc) -> (owner, value). Registering it again updates it.
QUILLON_ORDINAL_API uint32_t RegisterInterface(void* iface, Class_QUOR* owner, uint32_t fourcc, uint32_t value);
// Ordinal 34: forgets every registration of an interface pointer.
QUILLON_ORDINAL_API uint32_t UnregisterInterface(void* iface);
// Ordinal 43: takes the object lock of object (a process-wide lock when null), noting the source
// position. 0 = locked; nonzero = refused, and then no unlock is owed (one is accepted as a no-op).
QUILLON_ORDINAL_API uint32_t LockObjectAt(Class_QUOR* object, const wchar_t* file, uint32_t line,
                                  const wchar_t* date, const wchar_t* time);
// Ordinal 45: releases one LockObjectAt of object; after a refused one, does nothing.
QUILLON_ORDINAL_API uint32_t UnlockObjectAt(Class_QUOR* object);
// Ordinal 57: *out = the loaded module of that name, or null. Returns 0 when found.
QUILLON_ORDINAL_API uint32_t GetModuleByName(const wchar_t* name, HMODULE* out);
}
