// The host programs' small check harness (a test framework would need a compiled C++ library that the
// MSVC-ABI build does not have), and what they read back through the interfaces alone.
#pragma once

#include <Tessary.h>
#include <d2d1.h>
#include <cstdio>
#include <vector>

namespace host_checks {

inline int failures = 0;
inline const char* currentCase = "";

inline void Check(bool passed, const char* text, int line)
{
    if (!passed) {
        ++failures;
        std::printf("FAIL %s, line %d: %s\n", currentCase, line, text);
    }
}

#define CHECK(condition) host_checks::Check((condition), #condition, __LINE__)
#define CHECK_EQ(actual, expected) host_checks::Check((actual) == (expected), #actual " == " #expected, __LINE__)
#define RUN(test) (host_checks::currentCase = #test, test())

template <class T = void>
inline T* Query(Class_QUOR* object, uint32_t fourcc, uint32_t* status = nullptr)
{
    void* out = reinterpret_cast<void*>(0x1); // the base must overwrite it on failure too
    const uint32_t result = object->QueryInterface(fourcc, &out);
    if (status)
        *status = result;
    return static_cast<T*>(out);
}

// The pixels of a surface, image or window, 0xAARRGGBB premultiplied, through its own target.
inline std::vector<uint32_t> Pixels(Class_QUOR* object, int width, int height)
{
    std::vector<uint32_t> pixels;
    auto* device = Query<Class_ZkSurfaceDevice>(object, ZK_FOURCC_SURFACE_IMPL);
    ID2D1RenderTarget* target = device->GetRenderTarget();
    ID2D1GdiInteropRenderTarget* interop = nullptr;
    if (target && SUCCEEDED(target->QueryInterface(__uuidof(ID2D1GdiInteropRenderTarget),
                                                    reinterpret_cast<void**>(&interop)))) {
        const D2D1_SIZE_U size = target->GetPixelSize(); // an aggregate return: the ABI's hidden pointer
        CHECK(size.width == UINT32(width) && size.height == UINT32(height));
        target->BeginDraw();
        HDC dc = nullptr;
        const BITMAPINFO info{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(memory, dib);
        if (SUCCEEDED(interop->GetDC(D2D1_DC_INITIALIZE_MODE_COPY, &dc)) &&
            BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY)) {
            GdiFlush();
            pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + width * height);
        }
        const RECT none{};
        interop->ReleaseDC(&none);
        target->EndDraw(nullptr, nullptr);
        SelectObject(memory, old), DeleteDC(memory), DeleteObject(dib);
        interop->Release();
    }
    if (target)
        target->Release();
    device->Release();
    CHECK_EQ(pixels.size(), size_t(width * height));
    pixels.resize(size_t(width * height));
    return pixels;
}

} // namespace host_checks

