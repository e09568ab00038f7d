// Saving what the screen shows of a window as a PNG file, encoded with WIC.
#pragma once

#include <windows.h>

namespace demo {

// Reads the screen under the window's rectangle and writes it to `path`; an HRESULT of the first failure.
HRESULT SaveWindowScreenshot(HWND window, const wchar_t* path);

} // namespace demo
