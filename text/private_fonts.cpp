// The two exports that keep the PrivateFontRegistry. They open no file and build no collection:
// a path is only read when DirectWrite asks for it.
#include "text/private_fonts.h"
#include "frame/context.h"
#include <Tessary.h>

namespace tessary {

PrivateFontMap& PrivateFontRegistry()
{
    static PrivateFontMap registry;
    return registry;
}

} // namespace tessary

using namespace tessary;

// Both take GraphicsLock when the library is loaded, so they never race a collection being built.
extern "C" void Tessary_AddPrivateFont(const wchar_t* path)
{
    if (!path)
        return;
    try {
        std::wstring key(path);
        GraphicsLockGuard lock;
        ++PrivateFontRegistry()[key];
    } catch (...) {
        // Out of memory: the path is not registered.
    }
}

extern "C" void Tessary_RemovePrivateFont(const wchar_t* path)
{
    if (!path)
        return;
    try {
        std::wstring key(path);
        GraphicsLockGuard lock;
        auto found = PrivateFontRegistry().find(key);
        if (found == PrivateFontRegistry().end())
            return;
        if (--found->second <= 0)
            PrivateFontRegistry().erase(found);
    } catch (...) {
    }
}
