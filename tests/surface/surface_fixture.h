// Shared set-up of the surface tests: white-box surfaces on a registered window target, softd2d's
// test control, and pixel readback through the own target's GDI interoperation.
#pragma once

#include "frame/registries.h"
#include "support/library_fixture.h"
#include "support/readback.h"
#include "support/softd2d_control.h"
#include "surface/region.h"
#include "surface/geometry.h"
#include "surface/surface.h"
#include <gtest/gtest.h>
#include <vector>

namespace tessary {
// Float rectangles compared exactly: every value the tests expect is representable.
inline bool operator==(const RectF& a, const RectF& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
inline std::ostream& operator<<(std::ostream& out, const RectF& r)
{
    return out << '(' << r.x << ", " << r.y << " size " << r.width << " x " << r.height << ')';
}
} // namespace tessary

namespace surface_test {

inline constexpr uint64_t kWindowKey = 0x5A17;

using tessary_test::SoftD2DControl;
inline const SoftD2DControl& Control() { return tessary_test::SoftD2D(); }

// The library stays initialised for the whole run, as a host keeps it; the tests' window target comes
// from its factory.
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

using tessary_test::ReadPixels;
using tessary_test::RegionRects;
using tessary_test::At;
using tessary_test::Near, tessary_test::PixelsAre;
using tessary_test::kOpaqueRed, tessary_test::kOpaqueBlue, tessary_test::kOpaqueGreen;
using tessary_test::kRedPixel, tessary_test::kBluePixel;

// The flags later calls of the host depend on, compared in one assertion.
struct Flags {
    uint32_t modified, published, drawing;
    bool operator==(const Flags&) const = default;
};
Flags FlagsOf(const Class_ZkGraphicSurfaceD2D* surface);
std::ostream& operator<<(std::ostream& out, const Flags& flags);

// What a softd2d call count should have grown by: with another Direct2D nothing is counted.
inline uint64_t CountedCalls(uint64_t n) { return Control().Present() ? n : 0; }

// The update region emptied and the modified flag cleared, so that what a call adds can be seen exactly.
void ForgetUpdates(Class_ZkGraphicSurfaceD2D* surface);
// An opacity buffer as LockAlphaMask leaves it: one byte per pixel, rows of exactly the width.
void GiveOpacityBuffer(Class_ZkGraphicSurfaceD2D* surface, uint32_t width, uint32_t height, uint8_t value);

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
