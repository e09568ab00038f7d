#include "compose_support.h"
#include <thread>

namespace compose_test {

void PaintBlocks(Class_ZkGraphicSurfaceD2D* surface, int width, int height)
{
    for (int by = 0; by * 10 < height; ++by)
        for (int bx = 0; bx * 10 < width; ++bx) {
            const RECT block{bx * 10, by * 10, bx * 10 + 10, by * 10 + 10};
            const uint32_t colour = 0xFF000000u | uint32_t(bx * 25) | uint32_t(by * 25) << 8;
            ASSERT_EQ(surface->FillRect(colour, &block), ZK_OK);
        }
}

uint32_t BlockPixel(int x, int y)
{
    return 0xFF000000u | uint32_t(x / 10 * 25) << 16 | uint32_t(y / 10 * 25) << 8;
}

::testing::AssertionResult CopiedInto(const std::vector<uint32_t>& target, int targetWidth,
                                      const std::vector<uint32_t>& source, int sourceWidth, int dx, int dy,
                                      std::initializer_list<RECT> drawn, uint32_t background)
{
    if (target.empty() || source.empty())
        return ::testing::AssertionFailure() << "pixels could not be read";
    std::vector<uint32_t> expected(target.size(), background);
    for (const RECT& r : drawn)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                expected.at(size_t(y) * size_t(targetWidth) + size_t(x)) = At(source, sourceWidth, x - dx, y - dy);
    return tessary_test::PixelsMatch(target, expected, targetWidth);
}

bool OtherThreadCanTakeGraphicsLock()
{
    bool taken = false;
    std::thread probe([&] {
        CRITICAL_SECTION& lock = tessary::Context().graphicsLock;
        taken = TryEnterCriticalSection(&lock) != FALSE;
        if (taken)
            LeaveCriticalSection(&lock);
    });
    probe.join();
    return taken;
}

} // namespace compose_test
