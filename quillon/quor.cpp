// Class_QUOR: reference count, core data, created flag and the object lock.
#include "quillon.h"
#include "registry.h"

#include <new>

Class_QUOR::Class_QUOR() { InitializeCriticalSection(&_lock); }

Class_QUOR::~Class_QUOR() { DeleteCriticalSection(&_lock); }

void* Class_QUOR::operator new(size_t size) noexcept { return ::operator new(size, std::nothrow); }

void Class_QUOR::operator delete(void* memory) noexcept { ::operator delete(memory); }

uint32_t Class_QUOR::Create(const void*)
{
    createdFlag = 1;
    return QUOR_OK;
}

uint32_t Class_QUOR::ResetData()
{
    createdFlag = 0;
    return QUOR_OK;
}

uint32_t Class_QUOR::QueryInterface(uint32_t fourcc, void** out)
{
    if (!out)
        return QUOR_E_POINTER;
    if (InterlockedExchange(reinterpret_cast<volatile LONG*>(&_interfacesRegistered), 1) == 0)
        AddInterface(0);
    *out = quillon::FindInterface(this, fourcc);
    if (!*out)
        return QUOR_E_NOINTERFACE;
    AddRef();
    return QUOR_OK;
}

uint32_t Class_QUOR::AddInterface(uint32_t value)
{
    if (_coreObject)
        RegisterInterface(_coreObject, this, _coreFourCC, value);
    return QUOR_OK;
}

uint32_t Class_QUOR::DeleteInterface()
{
    quillon::ForgetOwner(this);
    return QUOR_OK;
}

uint32_t Class_QUOR::AddRef() { return static_cast<uint32_t>(InterlockedIncrement(&_refCount)); }

uint32_t Class_QUOR::SafeAddRef()
{
    for (LONG count = _refCount; count > 0; count = _refCount) {
        if (InterlockedCompareExchange(&_refCount, count + 1, count) == count)
            return static_cast<uint32_t>(count + 1);
    }
    return 0;
}

uint32_t Class_QUOR::Release()
{
    LONG count = InterlockedDecrement(&_refCount);
    if (count == 0)
        DeleteInstance();
    return static_cast<uint32_t>(count < 0 ? 0 : count);
}

uint32_t Class_QUOR::GetRefCount() { return static_cast<uint32_t>(_refCount); }

void Class_QUOR::DeleteInstance()
{
    if (_interfacesRegistered)
        DeleteInterface();
    delete this;
}

uint32_t Class_QUOR::GetFourCC() { return _coreFourCC; }

uint32_t Class_QUOR::IsCreated() { return createdFlag; }

void Class_QUOR::SetCoreData(void* object, uint32_t size, uint32_t fourcc)
{
    _coreObject = object;
    _coreSize = size;
    _coreFourCC = fourcc;
}

// Drops one reference without ever destroying the object; for owners that know another reference lives.
uint32_t Class_QUOR::DecRef()
{
    LONG count = InterlockedDecrement(&_refCount);
    return static_cast<uint32_t>(count < 0 ? 0 : count);
}

uint32_t Class_QUOR::LockObject() { return QuillonLockObjectAt(this); }

uint32_t Class_QUOR::TryLockObject() { return TryEnterCriticalSection(&_lock) ? QUOR_OK : QUOR_LOCK_REFUSED; }

uint32_t Class_QUOR::UnLockObject() { return QuillonUnlockObjectAt(this); }

uint32_t QuillonLockObjectAt(Class_QUOR* object)
{
    EnterCriticalSection(&object->_lock);
    return QUOR_OK;
}

uint32_t QuillonUnlockObjectAt(Class_QUOR* object)
{
    // Only the owning thread may leave; anything else would corrupt the critical section.
    if (reinterpret_cast<DWORD_PTR>(object->_lock.OwningThread) != GetCurrentThreadId())
        return QUOR_LOCK_REFUSED;
    LeaveCriticalSection(&object->_lock);
    return QUOR_OK;
}
