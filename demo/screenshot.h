// PNG files written with WIC: the demo's sample picture, and what the screen shows of a window.
#pragma once

#include <windows.h>

namespace demo {

// Writes top-down 32-bit BGRA pixels (straight alpha) to `path`; an HRESULT of the first failure.
HRESULT WritePng(const wchar_t* path, UINT width, UINT height, const BYTE* pixels);

// Reads the screen under the window's rectangle and writes it to `path`; an HRESULT of the first failure.
HRESULT SaveWindowScreenshot(HWND window, const wchar_t* path);

} // namespace demo
