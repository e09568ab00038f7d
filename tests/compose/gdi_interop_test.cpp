// CreateAlphaRegion and GetGdiplusBitmap: regions read back rectangle by rectangle, and GDI+
// drawing by the host arriving in the surface byte for byte at the end of the next pass.
#include "compose_support.h"
#include <gdiplus.h>

using namespace compose_test;
using namespace surface_test;

namespace {

// The GDI+ bitmap's pixels as 32bppARGB DWORDs, read through GDI+ itself.
std::vector<uint32_t> GdiplusPixels(Gdiplus::Bitmap* bitmap)
{
    const int width = int(bitmap->GetWidth()), height = int(bitmap->GetHeight());
    const Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    std::vector<uint32_t> pixels;
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return pixels;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) + y * data.Stride);
        pixels.insert(pixels.end(), row, row + width);
    }
    bitmap->UnlockBits(&data);
    return pixels;
}

} // namespace

class GdiInterop : public SurfaceTest {};

TEST_F(GdiInterop, AlphaRegionsAreRunsOfPixelsAboveTheThreshold)
{
    // Row 0 alphas (255, 255, 0, 255), row 1 all 0, threshold 128.
    Class_ZkGraphicSurfaceD2D* small = NewSurface(4, 2);
    const RECT first{0, 0, 2, 1}, last{3, 0, 4, 1};
    ASSERT_EQ(small->FillRect(kOpaqueRed, &first), ZK_OK);
    ASSERT_EQ(small->FillRect(kOpaqueRed, &last), ZK_OK);
    uint32_t value = 0;
    HRGN region = small->CreateAlphaRegion(128, &value);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(small->drawing, 0u) << "the pending fills were ended into the bitmap first";
    const std::vector<RECT> rects = RegionRects(region);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], (RECT{0, 0, 2, 1}));
    EXPECT_EQ(rects[1], (RECT{3, 0, 4, 1}));
    EXPECT_NE(DeleteObject(region), FALSE) << "the caller owns the region";

    // The comparison is strict: alpha 128 is not above 128, but is above 127.
    const RECT half{0, 1, 4, 2};
    ASSERT_EQ(small->FillRect(0x800000FFu, &half), ZK_OK);
    region = small->CreateAlphaRegion(128, nullptr);
    EXPECT_TRUE(RegionIs(region, {{0, 0, 2, 1}, {3, 0, 4, 1}}));
    DeleteObject(region);
    region = small->CreateAlphaRegion(127, nullptr);
    EXPECT_TRUE(RegionIs(region, {{0, 0, 2, 1}, {3, 0, 4, 1}, {0, 1, 4, 2}}));
    DeleteObject(region);
}

TEST_F(GdiInterop, OpaqueTransparentAndUncreatedSurfaces)
{
    // Fully opaque 100 x 50: one run per row, together the whole surface.
    Class_ZkGraphicSurfaceD2D* opaque = NewSurface(100, 50);
    ASSERT_EQ(opaque->FillRect(kOpaqueBlue, nullptr), ZK_OK);
    HRGN region = opaque->CreateAlphaRegion(254, nullptr);
    ASSERT_NE(region, nullptr);
    EXPECT_TRUE(RegionIs(region, {{0, 0, 100, 50}}));
    RECT box{};
    EXPECT_EQ(GetRgnBox(region, &box), SIMPLEREGION);
    EXPECT_EQ(box, (RECT{0, 0, 100, 50}));
    DeleteObject(region);

    // Threshold 255: no alpha exceeds it, a valid empty region.
    region = opaque->CreateAlphaRegion(255, nullptr);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
    DeleteObject(region);

    // A fresh surface is transparent: empty even at threshold 0.
    Class_ZkGraphicSurfaceD2D* fresh = NewSurface(30, 30);
    region = fresh->CreateAlphaRegion(0, nullptr);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
    DeleteObject(region);

    // Not created: no region and the out value untouched.
    uint32_t value = 77;
    EXPECT_EQ(NewUncreatedSurface()->CreateAlphaRegion(0, &value), nullptr);
    EXPECT_EQ(value, 77u);
    EXPECT_TRUE(OtherThreadCanTakeGraphicsLock());
}

TEST_F(GdiInterop, AlphaRegionsOfWideSurfacesUseTheHeap)
{
    // A checkerboard row of 1-pixel runs needs more rectangles than a small buffer holds.
    Class_ZkGraphicSurfaceD2D* wide = NewSurface(300, 3);
    for (int x = 0; x < 300; x += 2) {
        const RECT dot{x, 1, x + 1, 2};
        ASSERT_EQ(wide->FillRect(kOpaqueGreen, &dot), ZK_OK);
    }
    HRGN region = wide->CreateAlphaRegion(0, nullptr);
    ASSERT_NE(region, nullptr);
    const std::vector<RECT> rects = RegionRects(region);
    ASSERT_EQ(rects.size(), 150u);
    for (size_t i = 0; i < rects.size(); ++i)
        ASSERT_EQ(rects[i], (RECT{LONG(2 * i), 1, LONG(2 * i + 1), 2}));
    DeleteObject(region);
}

TEST_F(GdiInterop, TheGdiplusBitmapIsTheSurfacesAndIsUploadedAtTheNextPass)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(6, 4);
    EXPECT_EQ(NewUncreatedSurface()->GetGdiplusBitmap(), nullptr);
    Gdiplus::Bitmap* bitmap = surface->GetGdiplusBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(bitmap->GetWidth(), 6u);
    EXPECT_EQ(bitmap->GetHeight(), 4u);
    EXPECT_EQ(surface->gdiplusUpload, 1u);
    surface->gdiplusUpload = 0;
    EXPECT_EQ(surface->GetGdiplusBitmap(), bitmap) << "the same bitmap each time";
    EXPECT_EQ(surface->gdiplusUpload, 1u) << "and each call asks for an upload again";

    // The host draws half-transparent red (straight alpha) into the top two rows; a Direct2D fill
    // in the same pass is overwritten by the whole bitmap, transparent rows included.
    {
        Gdiplus::Graphics graphics(bitmap);
        graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        Gdiplus::SolidBrush brush(Gdiplus::Color(0x80, 0xFF, 0x00, 0x00));
        ASSERT_EQ(graphics.FillRectangle(&brush, 0, 0, 6, 2), Gdiplus::Ok);
    }
    ASSERT_EQ(surface->FillRect(kOpaqueBlue, nullptr), ZK_OK);
    const std::vector<uint32_t> host = GdiplusPixels(bitmap);
    ASSERT_EQ(host.size(), 24u);
    EXPECT_EQ(host[0], 0x80FF0000u);
    EXPECT_EQ(host[23], 0u);
    const std::vector<uint32_t> pixels = ReadPixels(surface);
    EXPECT_EQ(pixels, host) << "the rows are copied as they are, not premultiplied";
    EXPECT_EQ(surface->gdiplusUpload, 0u);

    // Once uploaded, later drawing stays until the host asks again.
    ASSERT_EQ(surface->FillRect(kOpaqueBlue, nullptr), ZK_OK);
    for (uint32_t p : ReadPixels(surface))
        ASSERT_EQ(p, kBluePixel);
    // Asking again uploads the host's pixels once more over the fill.
    EXPECT_EQ(surface->GetGdiplusBitmap(), bitmap);
    EXPECT_EQ(ReadPixels(surface), host);
}

TEST_F(GdiInterop, TheBitmapKeepsItsSizeAcrossResize)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(4, 4);
    Gdiplus::Bitmap* bitmap = surface->GetGdiplusBitmap();
    ASSERT_NE(bitmap, nullptr);
    surface->EndDrawPass();
    const SIZE bigger{8, 8};
    ASSERT_EQ(surface->Resize(&bigger), ZK_OK);
    EXPECT_EQ(surface->GetGdiplusBitmap(), bitmap);
    EXPECT_EQ(bitmap->GetWidth(), 4u);
    // Too small for the surface now: the upload's lock fails, nothing is copied, the status says why.
    surface->SetClipRegion(nullptr); // Resize keeps the old clip region
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    surface->EndDrawPass();
    EXPECT_NE(bitmap->GetLastStatus(), Gdiplus::Ok);
    for (uint32_t p : ReadPixels(surface))
        ASSERT_EQ(p, kRedPixel);
    EXPECT_EQ(surface->gdiplusUpload, 0u);
}
