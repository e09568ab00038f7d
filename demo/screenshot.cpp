#include "screenshot.h"
#include <wincodec.h>
#include <vector>

namespace demo {

namespace {

// Top-down 32-bit pixels of a screen rectangle, alpha set opaque (the screen carries none).
std::vector<BYTE> ReadScreen(const RECT& area)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    std::vector<BYTE> pixels;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (screen && memory && dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        if (BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY)) {
            GdiFlush();
            const BYTE* p = static_cast<const BYTE*>(bits);
            pixels.assign(p, p + size_t(width) * size_t(height) * 4);
            for (size_t i = 3; i < pixels.size(); i += 4)
                pixels[i] = 0xFF;
        }
        SelectObject(memory, old);
    }
    if (dib)
        DeleteObject(dib);
    if (memory)
        DeleteDC(memory);
    if (screen)
        ReleaseDC(nullptr, screen);
    return pixels;
}

template <class T>
struct Released {
    T* p = nullptr;
    ~Released()
    {
        if (p)
            p->Release();
    }
};

} // namespace

HRESULT SaveWindowScreenshot(HWND window, const wchar_t* path)
{
    RECT area{};
    if (!GetWindowRect(window, &area))
        return HRESULT_FROM_WIN32(GetLastError());
    const std::vector<BYTE> pixels = ReadScreen(area);
    if (pixels.empty())
        return E_FAIL;
    return WritePng(path, UINT(area.right - area.left), UINT(area.bottom - area.top), pixels.data());
}

HRESULT WritePng(const wchar_t* path, UINT width, UINT height, const BYTE* pixels)
{
    Released<IWICImagingFactory> factory;
    Released<IWICStream> stream;
    Released<IWICBitmapEncoder> encoder;
    Released<IWICBitmapFrameEncode> frame;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&factory.p));
    if (SUCCEEDED(hr))
        hr = factory.p->CreateStream(&stream.p);
    if (SUCCEEDED(hr))
        hr = stream.p->InitializeFromFilename(path, GENERIC_WRITE);
    if (SUCCEEDED(hr))
        hr = factory.p->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.p);
    if (SUCCEEDED(hr))
        hr = encoder.p->Initialize(stream.p, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = encoder.p->CreateNewFrame(&frame.p, nullptr);
    if (SUCCEEDED(hr))
        hr = frame.p->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame.p->SetSize(width, height);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (SUCCEEDED(hr))
        hr = frame.p->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && format != GUID_WICPixelFormat32bppBGRA)
        hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    if (SUCCEEDED(hr))
        hr = frame.p->WritePixels(height, width * 4, width * height * 4, const_cast<BYTE*>(pixels));
    if (SUCCEEDED(hr))
        hr = frame.p->Commit();
    if (SUCCEEDED(hr))
        hr = encoder.p->Commit();
    return hr;
}

} // namespace demo
