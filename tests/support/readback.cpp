#include "readback.h"
#include "surface/region.h"
#include <cstdlib>
#include <utility>

namespace tessary_test {

std::vector<uint32_t> CopyDC(HDC source, int32_t width, int32_t height, int32_t x, int32_t y)
{
    std::vector<uint32_t> pixels;
    if (!source || width <= 0 || height <= 0)
        return pixels;
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    if (dib && memory && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        // A 32-bit DIB to a 32-bit DIB copies all four bytes, alpha included.
        if (BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY)) {
            GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            pixels.assign(p, p + size_t(width) * size_t(height));
        }
        SelectObject(memory, old);
    }
    if (memory)
        DeleteDC(memory);
    if (dib)
        DeleteObject(dib);
    return pixels;
}

std::vector<uint32_t> ReadPixels(ID2D1RenderTarget* target)
{
    std::vector<uint32_t> pixels;
    ID2D1GdiInteropRenderTarget* interop = nullptr;
    if (!target ||
        FAILED(target->QueryInterface(__uuidof(ID2D1GdiInteropRenderTarget), reinterpret_cast<void**>(&interop))))
        return pixels;
    const D2D1_SIZE_U size = target->GetPixelSize();
    target->BeginDraw();
    HDC dc = nullptr;
    if (SUCCEEDED(interop->GetDC(D2D1_DC_INITIALIZE_MODE_COPY, &dc)) && dc) {
        pixels = CopyDC(dc, int32_t(size.width), int32_t(size.height));
        const RECT none{0, 0, 0, 0};
        interop->ReleaseDC(&none);
    }
    target->EndDraw(nullptr, nullptr);
    interop->Release();
    return pixels;
}

std::vector<RECT> RegionRects(HRGN region)
{
    std::vector<RECT> rects;
    tessary::ForEachRegionRect(region, [&](const RECT& r) { rects.push_back(r); });
    return rects;
}

HRGN WithRects(HRGN region, std::initializer_list<RECT> rects)
{
    HRGN piece = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& r : rects) {
        SetRectRgn(piece, r.left, r.top, r.right, r.bottom);
        CombineRgn(region, region, piece, RGN_OR);
    }
    DeleteObject(piece);
    return region;
}

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

namespace {

// Compares pixel by pixel with expected(x, y), which gives the colour and the tolerance there.
template <class Expected>
::testing::AssertionResult Compare(const std::vector<uint32_t>& pixels, int width, int height, Expected expected)
{
    if (pixels.size() != size_t(width) * size_t(height))
        return ::testing::AssertionFailure() << pixels.size() << " pixels, expected " << width << " x " << height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto [colour, tolerance] = expected(x, y);
            if (const uint32_t actual = At(pixels, width, x, y); !Near(actual, colour, tolerance))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << actual
                                                     << ", expected " << colour << " (0xAARRGGBB)";
        }
    return ::testing::AssertionSuccess();
}

} // namespace

::testing::AssertionResult PixelsMatch(const std::vector<uint32_t>& actual, const std::vector<uint32_t>& expected,
                                       int width, int tolerance)
{
    return Compare(actual, width, int(expected.size()) / width,
                   [&](int x, int y) { return std::pair{At(expected, width, x, y), tolerance}; });
}

::testing::AssertionResult PixelsAre(const std::vector<uint32_t>& pixels, int width, int height, uint32_t background,
                                     std::initializer_list<Paint> painted)
{
    return Compare(pixels, width, height, [&](int x, int y) {
        std::pair<uint32_t, int> expected{background, 0};
        for (const Paint& p : painted)
            if (x >= p.rect.left && x < p.rect.right && y >= p.rect.top && y < p.rect.bottom)
                expected = {p.colour, p.tolerance};
        return expected;
    });
}

} // namespace tessary_test
