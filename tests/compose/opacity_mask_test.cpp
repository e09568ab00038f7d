// LockAlphaMask and UnlockAlphaMask: the window into the opacity buffer, GraphicsLock held in between
// (checked from another thread), and the masked picture that copies then take.
#include "compose_support.h"
#include <thread>

using namespace compose_test;
using namespace surface_test;

namespace {

struct Lock {
    uint8_t* bits = nullptr;
    int32_t width = 0, height = 0, stride = 0;
};

uint32_t LockMask(Class_ZkGraphicSurfaceD2D* surface, const RECT& rect, Lock& lock)
{
    return surface->LockAlphaMask(&rect, &lock.bits, &lock.width, &lock.height, &lock.stride);
}

// Writes `value` into columns [from, to) of every locked row.
void WriteColumns(const Lock& lock, int from, int to, uint8_t value)
{
    for (int row = 0; row < lock.height; ++row)
        for (int column = from; column < to; ++column)
            lock.bits[row * lock.stride + column] = value;
}

} // namespace

class OpacityMask : public SurfaceTest {};

// Which rectangles are refused is the fuzzer's (LockAlphaMask against its model); here that a refusal
// leaves no lock, no buffer and no update behind.
TEST_F(OpacityMask, TheLockHandsOutTheRectangleOfTheBufferAndHoldsGraphicsLockAndARefusalNothing)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(100, 50);
    Class_ZkGraphicSurfaceD2D* uncreated = NewUncreatedSurface();
    surface->EmptyUpdateRegion();
    uint8_t* bits = nullptr;
    int32_t w = 0, h = 0, s = 0;
    const RECT whole{0, 0, 100, 50}, inverted{20, 0, 10, 10};
    EXPECT_EQ(surface->LockAlphaMask(&inverted, &bits, &w, &h, &s), ZK_FAIL);
    EXPECT_EQ(surface->LockAlphaMask(nullptr, &bits, &w, &h, &s), ZK_FAIL);
    EXPECT_EQ(surface->LockAlphaMask(&whole, nullptr, &w, &h, &s), ZK_FAIL);
    EXPECT_EQ(uncreated->LockAlphaMask(&whole, &bits, &w, &h, &s), ZK_FAIL);
    EXPECT_EQ(bits, nullptr);
    EXPECT_EQ(surface->UnlockAlphaMask(), ZK_FAIL);
    EXPECT_EQ(uncreated->UnlockAlphaMask(), ZK_FAIL);
    EXPECT_TRUE(OtherThreadCanTakeGraphicsLock());
    EXPECT_EQ(surface->opacityBuffer, nullptr) << "nothing allocated for a refused lock";
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {}));

    Lock lock;
    ASSERT_EQ(LockMask(surface, RECT{0, 0, 100, 50}, lock), ZK_OK);
    ASSERT_NE(surface->opacityBuffer, nullptr);
    EXPECT_EQ(lock.bits, surface->opacityBuffer);
    EXPECT_EQ((RECT{lock.width, lock.height, lock.stride, 0}), (RECT{100, 50, 100, 0})) << "width, height, stride";
    EXPECT_EQ(std::vector<uint8_t>(lock.bits, lock.bits + 5000), std::vector<uint8_t>(5000, 255)) << "fresh: opaque";
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {{0, 0, 100, 50}}));
    // Held for the host: another thread cannot draw, nor unlock in the host's place.
    EXPECT_FALSE(OtherThreadCanTakeGraphicsLock());
    uint32_t unlocked = 0;
    std::thread([&] { unlocked = surface->UnlockAlphaMask(); }).join();
    EXPECT_EQ(unlocked, ZK_FAIL);
    EXPECT_EQ(surface->alphaMaskLocked, 1u);
    // A second lock on the same thread is refused and takes no extra entry.
    Lock again;
    EXPECT_EQ(LockMask(surface, RECT{0, 0, 10, 10}, again), ZK_FAIL);
    surface->modified = 0;
    EXPECT_EQ(surface->UnlockAlphaMask(), ZK_OK);
    EXPECT_EQ(surface->modified, 1u);
    EXPECT_EQ(surface->alphaMaskLocked, 0u);
    EXPECT_TRUE(OtherThreadCanTakeGraphicsLock()) << "one unlock balanced the one lock";

    // An inner rectangle: bits at buffer + 10 + 20 x 100, and the update region gains just it.
    surface->EmptyUpdateRegion();
    ASSERT_EQ(LockMask(surface, RECT{10, 20, 30, 25}, lock), ZK_OK);
    EXPECT_EQ(lock.bits, surface->opacityBuffer + 10 + 20 * 100);
    EXPECT_EQ((RECT{lock.width, lock.height, lock.stride, 0}), (RECT{20, 5, 100, 0}));
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {{10, 20, 30, 25}}));
    EXPECT_EQ(surface->UnlockAlphaMask(), ZK_OK);
    EXPECT_TRUE(OtherThreadCanTakeGraphicsLock());

    // A reset while locked gives the lock back rather than leaving every other thread blocked for good.
    ASSERT_EQ(LockMask(surface, RECT{0, 0, 10, 10}, lock), ZK_OK);
    EXPECT_FALSE(OtherThreadCanTakeGraphicsLock());
    surface->ResetData();
    EXPECT_TRUE(OtherThreadCanTakeGraphicsLock());
    EXPECT_EQ(surface->UnlockAlphaMask(), ZK_FAIL);
}

TEST_F(OpacityMask, CopiesTakeTheMaskedPictureUntilTheSurfaceIsDrawnAgainOrThePublishFails)
{
    Class_ZkGraphicSurfaceD2D* source = NewSurface(20, 10);
    ASSERT_EQ(source->FillRect(kOpaqueRed, nullptr), ZK_OK);
    // Zeros in the left half, 128 in column 15.
    Lock lock;
    ASSERT_EQ(LockMask(source, RECT{0, 0, 20, 10}, lock), ZK_OK);
    WriteColumns(lock, 0, 10, 0);
    WriteColumns(lock, 15, 16, 128);
    ASSERT_EQ(source->UnlockAlphaMask(), ZK_OK);
    EXPECT_EQ(source->published, 1u);
    EXPECT_TRUE(PixelsAre(ReadPixels(source), 20, 10, kRedPixel)) << "the own pixels are not changed by the mask";

    const POINT origin{0, 0};
    Class_ZkGraphicSurfaceD2D* target = NewSurface(20, 10);
    ASSERT_EQ(source->DrawTo(target, &origin, nullptr, nullptr), ZK_OK);
    const std::initializer_list<tessary_test::Paint> masked{{{0, 0, 10, 10}, 0}, {{15, 0, 16, 10}, 0x80800000u, 1}};
    EXPECT_TRUE(PixelsAre(ReadPixels(target), 20, 10, kRedPixel, masked));

    // That the region of a masked surface is the masked picture's is the fuzzer's.
    // Any drawing, even a transparent fill that changes no pixel, brings back the unmasked picture.
    ASSERT_EQ(source->FillRect(0x00000000u, nullptr), ZK_OK);
    EXPECT_EQ(source->published, 0u);
    Class_ZkGraphicSurfaceD2D* second = NewSurface(20, 10);
    ASSERT_EQ(source->DrawTo(second, &origin, nullptr, nullptr), ZK_OK);
    EXPECT_TRUE(PixelsAre(ReadPixels(second), 20, 10, kRedPixel));

    // The buffer kept its values: locking and unlocking again masks the same way.
    ASSERT_EQ(LockMask(source, RECT{0, 0, 1, 1}, lock), ZK_OK);
    EXPECT_EQ((std::vector<uint8_t>{lock.bits[0], lock.bits[15], lock.bits[19]}), (std::vector<uint8_t>{0, 128, 255}));
    ASSERT_EQ(source->UnlockAlphaMask(), ZK_OK);
    Class_ZkGraphicSurfaceD2D* third = NewSurface(20, 10);
    ASSERT_EQ(source->DrawTo(third, &origin, nullptr, nullptr), ZK_OK);
    EXPECT_TRUE(PixelsAre(ReadPixels(third), 20, 10, kRedPixel, masked));

    // A failed publish (the masked copy is a compatible target) still unlocks and leaves the unmasked
    // picture.
    REQUIRE_SOFTD2D_CONTROL();
    ASSERT_EQ(source->FillRect(kOpaqueRed, nullptr), ZK_OK);
    ASSERT_EQ(LockMask(source, RECT{0, 0, 20, 10}, lock), ZK_OK);
    WriteColumns(lock, 0, 20, 0);
    ASSERT_EQ(Control().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(source->UnlockAlphaMask(), ZK_OK);
    EXPECT_EQ(source->published, 0u);
    EXPECT_TRUE(OtherThreadCanTakeGraphicsLock());
    ASSERT_EQ(source->DrawTo(third, &origin, nullptr, nullptr), ZK_OK);
    EXPECT_TRUE(PixelsAre(ReadPixels(third), 20, 10, kRedPixel));
}
