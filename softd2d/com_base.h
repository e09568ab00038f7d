#pragma once
// What every COM object of the DLL shares: reference counting, the live-object count,
// a small owning pointer and the guard that keeps C++ exceptions inside the DLL.
#include <windows.h>
#include <d2d1.h>

#include <new>
#include <utility>

namespace softd2d {

void ObjectCreated();
void ObjectDestroyed();
long LiveObjects();

// Private interface ids. QueryInterface with one of them returns the implementation behind
// an interface pointer, AddRef'ed; objects from anywhere else answer E_NOINTERFACE, so a
// foreign brush or bitmap is refused instead of being misread.
// {8e3f1a52-6b0d-4c47-a1e2-53c9d0f7b101}
inline constexpr GUID IID_SoftBitmap = {0x8e3f1a52, 0x6b0d, 0x4c47, {0xa1, 0xe2, 0x53, 0xc9, 0xd0, 0xf7, 0xb1, 0x01}};
// {8e3f1a52-6b0d-4c47-a1e2-53c9d0f7b102}
inline constexpr GUID IID_SoftBrush = {0x8e3f1a52, 0x6b0d, 0x4c47, {0xa1, 0xe2, 0x53, 0xc9, 0xd0, 0xf7, 0xb1, 0x02}};
// {8e3f1a52-6b0d-4c47-a1e2-53c9d0f7b104}
inline constexpr GUID IID_SoftRenderTarget = {0x8e3f1a52, 0x6b0d, 0x4c47, {0xa1, 0xe2, 0x53, 0xc9, 0xd0, 0xf7, 0xb1, 0x04}};

// Counts the object among the live ones for as long as it exists.
class RefCounted {
public:
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

protected:
    RefCounted() { ObjectCreated(); }
    virtual ~RefCounted() { ObjectDestroyed(); }

    ULONG AddRefImpl() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG ReleaseImpl() {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

private:
    LONG refs_ = 1;
};

// Owning pointer for COM objects; Attach takes over a reference, Assign adds one.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) Attach(std::exchange(other.p_, nullptr));
        return *this;
    }
    ~ComPtr() { Reset(); }

    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    void Attach(T* p) {
        Reset();
        p_ = p;
    }
    void Assign(T* p) {
        if (p) p->AddRef();
        Attach(p);
    }
    T* Detach() { return std::exchange(p_, nullptr); }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: releases what is held first.
    T** Out() {
        Reset();
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// The implementation behind `unknown` when it is one of ours, via its private id.
template <class T>
ComPtr<T> Unwrap(IUnknown* unknown, REFIID privateIid) {
    ComPtr<T> out;
    if (unknown) {
        void* p = nullptr;
        if (SUCCEEDED(unknown->QueryInterface(privateIid, &p))) out.Attach(static_cast<T*>(p));
    }
    return out;
}

template <class T>
HRESULT ReturnInterface(T* object, void** out) {
    object->AddRef();
    *out = object;
    return S_OK;
}

// Runs a COM method body, turning any escaping C++ exception into an HRESULT.
template <class F>
HRESULT Guarded(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

inline HRESULT Hr(unsigned long code) { return static_cast<HRESULT>(code); }

}  // namespace softd2d
