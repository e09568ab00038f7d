// InitializeTessaryInternal and UninitializeTessaryInternal: the shared factories come and go here.
#include "frame/context.h"
#include "frame/registries.h"
#include "surface/brush_cache.h"
#include "text/text_format_cache.h"
#include <Tessary.h>
#include <gdiplus.h>

using namespace tessary;

namespace {

template <class T>
void ReleaseAndNull(T*& pointer)
{
    if (pointer) {
        pointer->Release();
        pointer = nullptr;
    }
}

// Each step that fails throws to the one clean-up in InitializeTessaryInternal.
struct InitialisationFailed {};

void Require(bool ok)
{
    if (!ok)
        throw InitialisationFailed{};
}

void CreateFactories(LibraryContext& c)
{
    c.memoryDC = CreateCompatibleDC(nullptr);
    Require(c.memoryDC != nullptr);

    c.fontGraphics = new Gdiplus::Graphics(c.memoryDC); // GDI+'s own allocator; null when it fails
    Require(c.fontGraphics != nullptr);
    Require(c.fontGraphics->GetLastStatus() == Gdiplus::Ok);

    if (!c.d2dFactory) {
        Require(SUCCEEDED(c.d2d1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, __uuidof(ID2D1Factory), nullptr,
                                              reinterpret_cast<void**>(&c.d2dFactory))));
    }
    Require(SUCCEEDED(c.dwriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                            reinterpret_cast<IUnknown**>(&c.dwriteFactory))));
    if (c.fontCollectionLoader)
        c.dwriteFactory->RegisterFontCollectionLoader(c.fontCollectionLoader);
    if (c.fontFileLoader)
        c.dwriteFactory->RegisterFontFileLoader(c.fontFileLoader);

    Require(SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                       __uuidof(IWICImagingFactory), reinterpret_cast<void**>(&c.wicFactory))));

    // The English name of the user's language, not a locale code: text formats receive exactly this.
    c.userLocale[0] = 0;
    GetLocaleInfoW(GetUserDefaultLCID(), LOCALE_SENGLISHLANGUAGENAME, c.userLocale, 256);
}

} // namespace

extern "C" uint32_t InitializeTessaryInternal()
{
    LibraryContext& c = Context();
    if (c.initialised)
        return 1;
    try {
        CreateFactories(c);
    } catch (...) {
        UninitializeTessaryInternal();
        return 0;
    }
    c.initialised = 1;
    return 1;
}

extern "C" void UninitializeTessaryInternal()
{
    LibraryContext& c = Context();
    {
        GraphicsLockGuard lock;
        ReleaseAllTextFormats();
        // A brush belongs to the factory that made it: one kept past it would draw nothing after a
        // restart, and keep the old factory alive.
        EmptyBrushCache();
    }
    c.initialised = 0;
    ReleaseAndNull(c.wicFactory);
    {
        // The host resets every window before; what is left here shares no reference with anyone.
        WindowTargetLockGuard lock;
        for (auto& [handle, entry] : WindowTargets())
            if (entry.target)
                entry.target->Release();
        WindowTargets().clear();
    }
    ReleaseAndNull(c.d2dFactory);
    ReleaseAndNull(c.dwriteFactory);
    if (c.fontGraphics) {
        delete c.fontGraphics;
        c.fontGraphics = nullptr;
    }
    if (c.memoryDC) {
        DeleteDC(c.memoryDC);
        c.memoryDC = nullptr;
    }
}
