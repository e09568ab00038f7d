// Shared set-up of the surface tests: white-box surfaces on a registered window target, softd2d's
// test control, and pixel readback through the own target's GDI interoperation.
#pragma once

#include "frame/registries.h"
#include "softd2d/include/softd2d_control.h"
#include "support/library_fixture.h"
#include "surface/region.h"
#include "surface/surface.h"
#include <gtest/gtest.h>
#include <vector>

namespace surface_test {

inline constexpr uint64_t kWindowKey = 0x5A17;

// softd2d's control entries, or all null with the system's Direct2D.
struct SoftD2DControl {
    PFN_SoftD2D_FailNextEndDraw failNextEndDraw = nullptr;
    PFN_SoftD2D_FailNextCreate failNextCreate = nullptr;
    PFN_SoftD2D_ClearFailures clearFailures = nullptr;
    PFN_SoftD2D_ReadCounters readCounters = nullptr;
    PFN_SoftD2D_ResetCounters resetCounters = nullptr;
    PFN_SoftD2D_LiveObjectCount liveObjectCount = nullptr;

    bool Present() const { return failNextCreate && readCounters && liveObjectCount; }
    SoftD2DCounters Counters() const;
};

const SoftD2DControl& Control();

// Fault injection and call counters exist only in softd2d; with the system's Direct2D such tests skip.
#define REQUIRE_SOFTD2D_CONTROL()                                                                           \
    do {                                                                                                     \
        if (!::surface_test::Control().Present())                                                            \
            GTEST_SKIP() << "softd2d's test control is not loaded";                                          \
    } while (0)

// The library stays initialised for the whole run: the brush cache outlives Uninitialize by design,
// and brushes from a released factory must not meet targets of the next one.
class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A created surface on the test window target; released in TearDown.
    Class_ZkGraphicSurfaceD2D* NewSurface(uint32_t width, uint32_t height);
    // Constructed, not created; released in TearDown.
    Class_ZkGraphicSurfaceD2D* NewUncreatedSurface();
    ID2D1DCRenderTarget* windowTarget = nullptr;

private:
    std::vector<Class_ZkGraphicSurfaceD2D*> _surfaces;
};

ZkSurfaceCreateInfo SurfaceRecord(uint32_t width, uint32_t height, uint64_t windowKey = kWindowKey);

// Premultiplied B8G8R8A8 pixels as DWORDs (0xAARRGGBB), row by row; empty when they cannot be read.
std::vector<uint32_t> ReadPixels(ID2D1RenderTarget* target);
// The surface's pixels once its pass has ended (through GetRenderTarget, as any reader gets them).
std::vector<uint32_t> ReadPixels(Class_ZkGraphicSurfaceD2D* surface);

// The rectangles of a region in GDI's order.
std::vector<RECT> RegionRects(HRGN region);
// True when the region covers exactly the union of the rectangles.
bool RegionIs(HRGN region, std::initializer_list<RECT> rects);

// Region objects the host would own.
struct HostRegion {
    explicit HostRegion(std::initializer_list<RECT> rects);
    ~HostRegion();
    HostRegion(const HostRegion&) = delete;
    HostRegion& operator=(const HostRegion&) = delete;
    Class_ZkRegion region{};
};

} // namespace surface_test

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}
