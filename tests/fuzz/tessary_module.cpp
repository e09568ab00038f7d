#include "tessary_module.h"
#include "support/softd2d_control.h"

namespace tessary_test {

namespace {

template <class F>
void Resolve(HMODULE module, int ordinal, F& entry)
{
    entry = ProcAddress<F>(module, MAKEINTRESOURCEA(ordinal));
}

} // namespace

bool TessaryModule::Load()
{
    module = LoadLibraryW(L"tessary.dll");
    if (!module)
        return false;
    Resolve(module, 1, createSurface);
    Resolve(module, 2, createImage);
    Resolve(module, 3, createWindow);
    Resolve(module, 11, initialize);
    Resolve(module, 12, uninitialize);
    Resolve(module, 21, setDeviceLostHandler);
    Resolve(module, 22, onDeviceLost);
    Resolve(module, 23, addPrivateFont);
    Resolve(module, 24, removePrivateFont);
    return createSurface && createImage && createWindow && initialize && uninitialize && setDeviceLostHandler &&
           onDeviceLost && addPrivateFont && removePrivateFont;
}

} // namespace tessary_test
