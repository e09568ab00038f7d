// The IUnknown part shared by the DirectWrite loader objects: a 32-bit count right after the table of
// virtual functions, changed atomically, and QueryInterface for IUnknown and the one interface.
// Objects made per request die with their last reference; the process's loaders (kProcessLifetime)
// stay, as DirectWrite's references to them come and go with its factories.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace tessary {

template <class Interface, bool kProcessLifetime = false>
class ComObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(Interface)) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&_references)); }

    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&_references);
        if (left == 0 && !kProcessLifetime)
            delete this;
        return static_cast<ULONG>(left);
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    LONG _references = 0; // callers AddRef what they hand out, so a new object starts at 0
};

} // namespace tessary
