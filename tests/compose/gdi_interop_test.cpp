// CreateAlphaRegion and GetGdiplusBitmap: regions read back rectangle by rectangle, and GDI+
// drawing by the host arriving in the surface byte for byte at the end of the next pass.
#include "compose_support.h"
#include <gdiplus.h>

using namespace compose_test;
using namespace surface_test;

class GdiInterop : public SurfaceTest {};

// Which pixels a region holds at each threshold, strictly above it, is the fuzzer's (CreateAlphaRegion
// against its model after every operation); here the edges it does not reach.
TEST_F(GdiInterop, AlphaRegionsOfEmptyUncreatedAndManyRunSurfaces)
{
    // A fresh surface is transparent: a valid empty region even at threshold 0.
    HRGN region = NewSurface(30, 30)->CreateAlphaRegion(0, nullptr);
    ASSERT_NE(region, nullptr);
    EXPECT_TRUE(RegionRects(region).empty());
    DeleteObject(region);
    // Not created: no region and the out value untouched.
    uint32_t value = 77;
    EXPECT_EQ(NewUncreatedSurface()->CreateAlphaRegion(0, &value), nullptr);
    EXPECT_EQ(value, 77u);
    EXPECT_TRUE(OtherThreadCanTakeGraphicsLock());

    // A row of 1-pixel runs needs more rectangles than a small buffer holds, here and in the region walk
    // that reads them back (32 + 2400 bytes of region data).
    Class_ZkGraphicSurfaceD2D* wide = NewSurface(300, 3);
    for (int x = 0; x < 300; x += 2) {
        const RECT dot{x, 1, x + 1, 2};
        ASSERT_EQ(wide->FillRect(kOpaqueGreen, &dot), ZK_OK);
    }
    region = wide->CreateAlphaRegion(0, nullptr);
    const std::vector<RECT> rects = RegionRects(region);
    ASSERT_EQ(rects.size(), 150u);
    for (size_t i = 0; i < rects.size(); ++i)
        ASSERT_EQ(rects[i], (RECT{LONG(2 * i), 1, LONG(2 * i + 1), 2}));
    DeleteObject(region);
}

TEST_F(GdiInterop, TheGdiplusBitmapIsTheSurfacesIsUploadedAtTheNextPassAndKeepsItsSize)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(6, 4);
    EXPECT_EQ(NewUncreatedSurface()->GetGdiplusBitmap(), nullptr);
    Gdiplus::Bitmap* bitmap = surface->GetGdiplusBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(bitmap->GetWidth() * 10 + bitmap->GetHeight(), 64u);

    // The host draws half-transparent red (straight alpha) into the top two rows; a Direct2D fill
    // in the same pass is overwritten by the whole bitmap, transparent rows included.
    {
        Gdiplus::Graphics graphics(bitmap);
        graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        Gdiplus::SolidBrush brush(Gdiplus::Color(0x80, 0xFF, 0x00, 0x00));
        ASSERT_EQ(graphics.FillRectangle(&brush, 0, 0, 6, 2), Gdiplus::Ok);
    }
    ASSERT_EQ(surface->FillRect(kOpaqueBlue, nullptr), ZK_OK);
    const std::vector<uint32_t> host = ReadPixels(surface);
    EXPECT_TRUE(PixelsAre(host, 6, 4, 0, {{{0, 0, 6, 2}, 0x80FF0000u}})) << "copied as they are, not premultiplied";

    // Once uploaded, later drawing stays until the host asks again.
    ASSERT_EQ(surface->FillRect(kOpaqueBlue, nullptr), ZK_OK);
    EXPECT_TRUE(PixelsAre(ReadPixels(surface), 6, 4, kBluePixel));
    // Asking again uploads the host's pixels once more over the fill, and a masked surface is
    // published again from them.
    uint8_t* bits = nullptr;
    int32_t w = 0, h = 0, stride = 0;
    const RECT whole{0, 0, 6, 4};
    ASSERT_EQ(surface->LockAlphaMask(&whole, &bits, &w, &h, &stride), ZK_OK);
    ASSERT_EQ(surface->UnlockAlphaMask(), ZK_OK);
    ASSERT_EQ(surface->FillRect(kOpaqueBlue, nullptr), ZK_OK);
    EXPECT_EQ(surface->GetGdiplusBitmap(), bitmap) << "the same bitmap each time";
    EXPECT_EQ(ReadPixels(surface), host);
    EXPECT_EQ(surface->published, 1u);

    // A resize keeps the bitmap at its size. Too small for the surface now: the upload's lock fails,
    // nothing is copied, the status says why.
    surface->EndDrawPass();
    const SIZE bigger{8, 8};
    ASSERT_EQ(surface->Resize(&bigger), ZK_OK);
    EXPECT_EQ(surface->GetGdiplusBitmap(), bitmap);
    EXPECT_EQ(bitmap->GetWidth(), 6u);
    surface->SetClipRegion(nullptr); // Resize keeps the old clip region
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    surface->EndDrawPass();
    EXPECT_NE(bitmap->GetLastStatus(), Gdiplus::Ok);
    EXPECT_TRUE(PixelsAre(ReadPixels(surface), 8, 8, kRedPixel));
}

