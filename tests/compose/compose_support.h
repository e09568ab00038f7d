// Helpers of the composition tests: recognisable source pictures, the expected result of a copy
// worked out from the source's own pixels, and probes of GraphicsLock from another thread.
#pragma once

#include "surface/surface_fixture.h"
#include <vector>

namespace compose_test {

using namespace surface_test;

// Fills the surface with opaque 10 x 10 blocks whose red and green bytes are 25 times the block's
// column and row, so every copied pixel tells where it came from.
void PaintBlocks(Class_ZkGraphicSurfaceD2D* surface, int width, int height);
// The pixel the block pattern has at (x, y), premultiplied and read back as a DWORD.
uint32_t BlockPixel(int x, int y);

// Checks that `target` holds source(x - dx, y - dy) inside `drawn` and `background` elsewhere.
::testing::AssertionResult CopiedInto(const std::vector<uint32_t>& target, int targetWidth,
                                      const std::vector<uint32_t>& source, int sourceWidth, int dx, int dy,
                                      std::initializer_list<RECT> drawn, uint32_t background);

// Whether another thread can enter GraphicsLock now (it leaves at once if it could).
bool OtherThreadCanTakeGraphicsLock();

// A surface-kind object that does not hand out a Tessary surface part, as a host's own
// implementation of the interface would not.
struct ForeignSurface : Class_ZkGraphicSurfaceD2D {
    uint32_t QueryInterface(uint32_t fourcc, void** out) override
    {
        if (fourcc != ZK_FOURCC_SURFACE_IMPL || !out)
            return Class_ZkGraphicSurfaceD2D::QueryInterface(fourcc, out);
        *out = nullptr;
        return QUOR_E_NOINTERFACE;
    }
};

} // namespace compose_test
