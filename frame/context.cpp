// The process-wide context, and what the module's attach and detach notifications do with it.
#include "frame/context.h"
#include "text/font_loaders.h"
#include <quillon.h>

namespace tessary {

namespace {

// An export as its own function type. FARPROC says nothing of the signature, so the cast goes through
// void (*)(), the function pointer type that stands for any other.
template <class F>
F ExportOf(HMODULE module, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace

LibraryContext& Context()
{
    static LibraryContext context;
    return context;
}

BOOL ProcessAttach(HMODULE module)
{
    LibraryContext& c = Context();
    if (c.attachCount.fetch_add(1) + 1 != 1)
        return TRUE;
    if (module)
        DisableThreadLibraryCalls(module);

    // Direct2D and DirectWrite stay loaded for the life of the process.
    HMODULE d2d1 = LoadLibraryW(L"d2d1.dll");
    if (!d2d1)
        return FALSE;
    c.d2d1CreateFactory = ExportOf<D2D1CreateFactoryFn>(d2d1, "D2D1CreateFactory");
    if (!c.d2d1CreateFactory)
        return FALSE;
    HMODULE dwrite = LoadLibraryW(L"dwrite.dll");
    if (!dwrite)
        return FALSE;
    c.dwriteCreateFactory = ExportOf<DWriteCreateFactoryFn>(dwrite, "DWriteCreateFactory");
    if (!c.dwriteCreateFactory)
        return FALSE;

    InitializeCriticalSection(&c.graphicsLock);
    InitializeCriticalSection(&c.windowTargetLock);
    // The loaders live as long as the process; initialisation registers them with DirectWrite.
    c.fontCollectionLoader = FontCollectionLoader();
    c.fontFileLoader = FontFileLoader();

    HMODULE user32 = nullptr;
    GetModuleByName(L"User32.dll", &user32);
    if (!user32 || user32 == reinterpret_cast<HMODULE>(INVALID_HANDLE_VALUE))
        return TRUE;
    c.updateLayeredWindowIndirect = ExportOf<UpdateLayeredWindowIndirectFn>(user32, "UpdateLayeredWindowIndirect");
    return TRUE;
}

void ProcessDetach()
{
    LibraryContext& c = Context();
    if (c.attachCount.fetch_sub(1) - 1 != 0)
        return;
    DeleteCriticalSection(&c.windowTargetLock);
    DeleteCriticalSection(&c.graphicsLock);
}

} // namespace tessary
