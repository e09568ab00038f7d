#include "surface_fixture.h"
#include <Tessary.h>
#include <algorithm>

namespace surface_test {

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

Flags FlagsOf(const Class_ZkGraphicSurfaceD2D* surface)
{
    return Flags{surface->modified, surface->published, surface->drawing};
}

std::ostream& operator<<(std::ostream& out, const Flags& flags)
{
    return out << "modified " << flags.modified << ", published " << flags.published << ", drawing " << flags.drawing;
}

void ForgetUpdates(Class_ZkGraphicSurfaceD2D* surface)
{
    surface->EmptyUpdateRegion();
    surface->modified = 0;
}

void GiveOpacityBuffer(Class_ZkGraphicSurfaceD2D* surface, uint32_t width, uint32_t height, uint8_t value)
{
    surface->opacityBuffer = new uint8_t[width * height];
    std::fill_n(surface->opacityBuffer, width * height, value);
    surface->opacityBufferWidth = width;
    surface->opacityBufferHeight = height;
}

bool RegionIs(HRGN region, std::initializer_list<RECT> rects)
{
    HRGN expected = tessary_test::WithRects(CreateRectRgn(0, 0, 0, 0), rects);
    const bool same = EqualRgn(region, expected) != FALSE;
    DeleteObject(expected);
    return same;
}

HostRegion::HostRegion(std::initializer_list<RECT> rects)
{
    tessary::InitRegion(region);
    tessary_test::WithRects(region.handle, rects);
}

HostRegion::~HostRegion() { tessary::DestroyRegion(region); }

} // namespace surface_test
