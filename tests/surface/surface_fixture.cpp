#include "surface_fixture.h"
#include <Tessary.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace surface_test {

namespace {

template <class F>
F Entry(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

} // namespace

SoftD2DCounters SoftD2DControl::Counters() const
{
    SoftD2DCounters counters{};
    if (readCounters)
        readCounters(&counters);
    return counters;
}

const SoftD2DControl& Control()
{
    static const SoftD2DControl control = [] {
        const HMODULE d2d1 = GetModuleHandleW(L"d2d1.dll");
        SoftD2DControl c;
        c.failNextEndDraw = Entry<PFN_SoftD2D_FailNextEndDraw>(d2d1, "SoftD2D_FailNextEndDraw");
        c.failNextCreate = Entry<PFN_SoftD2D_FailNextCreate>(d2d1, "SoftD2D_FailNextCreate");
        c.clearFailures = Entry<PFN_SoftD2D_ClearFailures>(d2d1, "SoftD2D_ClearFailures");
        c.readCounters = Entry<PFN_SoftD2D_ReadCounters>(d2d1, "SoftD2D_ReadCounters");
        c.resetCounters = Entry<PFN_SoftD2D_ResetCounters>(d2d1, "SoftD2D_ResetCounters");
        c.liveObjectCount = Entry<PFN_SoftD2D_LiveObjectCount>(d2d1, "SoftD2D_LiveObjectCount");
        return c;
    }();
    return control;
}

void SurfaceTest::SetUp()
{
    tessary_test::StartHostEnvironment();
    if (!tessary::Context().initialised) {
        ASSERT_EQ(InitializeTessaryInternal(), 1u);
    }
    const D2D1_RENDER_TARGET_PROPERTIES properties = tessary_test::WindowTargetProperties();
    ASSERT_TRUE(SUCCEEDED(tessary::Context().d2dFactory->CreateDCRenderTarget(&properties, &windowTarget)));
    tessary::RegisterWindowTarget(kWindowKey, nullptr, windowTarget);
}

void SurfaceTest::TearDown()
{
    for (Class_ZkGraphicSurfaceD2D* surface : _surfaces)
        surface->Release();
    _surfaces.clear();
    tessary::UnregisterWindowTarget(kWindowKey);
    if (windowTarget)
        windowTarget->Release();
    windowTarget = nullptr;
    SetDeviceLostHandlerTessaryInternal(nullptr, 0);
    if (Control().clearFailures)
        Control().clearFailures();
}

Class_ZkGraphicSurfaceD2D* SurfaceTest::NewUncreatedSurface()
{
    auto* surface = new Class_ZkGraphicSurfaceD2D;
    _surfaces.push_back(surface);
    return surface;
}

Class_ZkGraphicSurfaceD2D* SurfaceTest::NewSurface(uint32_t width, uint32_t height)
{
    Class_ZkGraphicSurfaceD2D* surface = NewUncreatedSurface();
    const ZkSurfaceCreateInfo record = SurfaceRecord(width, height);
    EXPECT_EQ(surface->Create(&record), ZK_OK);
    return surface;
}

ZkSurfaceCreateInfo SurfaceRecord(uint32_t width, uint32_t height, uint64_t windowKey)
{
    return ZkSurfaceCreateInfo{ZK_FOURCC_SURFACE, sizeof(ZkSurfaceCreateInfo), 0, width, height, windowKey};
}

std::vector<uint32_t> ReadPixels(ID2D1RenderTarget* target)
{
    ComPtr<ID2D1GdiInteropRenderTarget> interop;
    if (!target || FAILED(target->QueryInterface(interop.GetAddressOf())))
        return {};
    const D2D1_SIZE_U size = target->GetPixelSize();
    const int width = int(size.width), height = int(size.height);
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, dib);
    std::vector<uint32_t> pixels;
    target->BeginDraw();
    HDC dc = nullptr;
    if (SUCCEEDED(interop->GetDC(D2D1_DC_INITIALIZE_MODE_COPY, &dc)) && dc) {
        // A 32-bit DIB to a 32-bit DIB copies all four bytes, alpha included.
        if (BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY))
            pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(width) * height);
        interop->ReleaseDC(nullptr);
    }
    target->EndDraw();
    SelectObject(memory, previous);
    DeleteObject(dib);
    DeleteDC(memory);
    return pixels;
}

std::vector<uint32_t> ReadPixels(Class_ZkGraphicSurfaceD2D* surface)
{
    ID2D1RenderTarget* target = surface->GetRenderTarget();
    std::vector<uint32_t> pixels = ReadPixels(target);
    if (target)
        target->Release();
    return pixels;
}

std::vector<RECT> RegionRects(HRGN region)
{
    std::vector<RECT> rects;
    tessary::ForEachRegionRect(region, [&](const RECT& r) { rects.push_back(r); });
    return rects;
}

bool RegionIs(HRGN region, std::initializer_list<RECT> rects)
{
    HRGN expected = CreateRectRgn(0, 0, 0, 0);
    HRGN piece = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& r : rects) {
        SetRectRgn(piece, r.left, r.top, r.right, r.bottom);
        CombineRgn(expected, expected, piece, RGN_OR);
    }
    const bool same = EqualRgn(region, expected) != FALSE;
    DeleteObject(piece);
    DeleteObject(expected);
    return same;
}

HostRegion::HostRegion(std::initializer_list<RECT> rects)
{
    tessary::InitRegion(region);
    HRGN piece = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& r : rects) {
        SetRectRgn(piece, r.left, r.top, r.right, r.bottom);
        CombineRgn(region.handle, region.handle, piece, RGN_OR);
    }
    DeleteObject(piece);
}

HostRegion::~HostRegion() { tessary::DestroyRegion(region); }

} // namespace surface_test
