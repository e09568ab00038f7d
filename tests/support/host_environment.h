// What a host does before initialising Tessary: GDI+ and COM started on this thread, once per process.
#pragma once

#include <windows.h>
#include <gdiplus.h>

namespace tessary_test {

inline void StartGdiplusAndCom()
{
    static const bool started = [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        return true;
    }();
    (void)started;
}

} // namespace tessary_test
