// Pixels crossing into and out of Direct2D: GDI interop on bitmap targets and the bitmap copy
// methods. WIC uploads are checked through the library's images.
#include "softd2d_test_support.h"

namespace softd2d_test {
namespace {

constexpr uint32_t kGreen = Bgra(0, 255, 0, 255);

using InteropTest = SoftD2DTest;

TEST_F(InteropTest, GdiDrawingThroughGetDcMeetsDirect2DPixels) {
    auto target = MakeTarget(device_.Get(), 4, 4);
    ComPtr<ID2D1GdiInteropRenderTarget> gdi;
    ASSERT_EQ(S_OK, target.As(&gdi));
    HDC dc = nullptr;
    EXPECT_EQ(kWrongState, gdi->GetDC(D2D1_DC_INITIALIZE_MODE_COPY, &dc));  // outside a pass
    EXPECT_EQ(nullptr, dc);
    EXPECT_EQ(kWrongState, gdi->ReleaseDC(nullptr));

    // Direct2D to GDI: a cleared target reads green through the DC.
    const D2D1_COLOR_F green = Color(0, 1, 0, 1);
    target->BeginDraw();
    target->Clear(&green);
    ASSERT_EQ(S_OK, gdi->GetDC(D2D1_DC_INITIALIZE_MODE_COPY, &dc));
    EXPECT_EQ(RGB(0, 255, 0), GetPixel(dc, 3, 3));
    // GDI to Direct2D: a GDI fill shows in the target's bitmap, in the same memory.
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const RECT box = {1, 1, 3, 3};
    FillRect(dc, &box, red);
    DeleteObject(red);
    HDC again = nullptr;
    EXPECT_EQ(kWrongState, gdi->GetDC(D2D1_DC_INITIALIZE_MODE_COPY, &again));
    const D2D1_RECT_F all = Rect(0, 0, 4, 4);
    auto brush = MakeBrush(target.Get(), Color(0, 0, 1, 1));
    target->FillRectangle(&all, brush.Get());  // not while the DC is out
    const RECT empty = {};
    EXPECT_EQ(S_OK, gdi->ReleaseDC(&empty));
    EXPECT_EQ(kWrongState, target->EndDraw(nullptr, nullptr));

    // A DC still out when the pass ends is taken back, with the error.
    target->BeginDraw();
    ASSERT_EQ(S_OK, gdi->GetDC(D2D1_DC_INITIALIZE_MODE_COPY, &dc));
    EXPECT_EQ(kWrongState, target->EndDraw(nullptr, nullptr));
    EXPECT_EQ(kWrongState, gdi->ReleaseDC(nullptr));

    const std::vector<uint32_t> pixels = ReadPixels(target.Get());
    ASSERT_EQ(16u, pixels.size());
    EXPECT_EQ(0x00ff0000u, pixels[1 * 4 + 1] & 0x00ffffffu) << std::hex << pixels[5];  // GDI leaves alpha alone or 0
    EXPECT_EQ(kGreen, pixels[0]);
}

TEST_F(InteropTest, CopyMethodsMovePixelsBetweenMemoryAndBitmaps) {
    auto target = MakeTarget(device_.Get(), 2, 2);
    ComPtr<ID2D1Bitmap> bitmap;
    ASSERT_EQ(S_OK, target->GetBitmap(&bitmap));

    // The GDI+ upload: the whole bitmap from rows with padding; the pitch must hold a row.
    const uint32_t rows[2][4] = {{1, 2, 0xdead, 0xdead}, {3, 4, 0xdead, 0xdead}};
    ASSERT_EQ(S_OK, bitmap->CopyFromMemory(nullptr, rows, sizeof(rows[0])));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {1, 2, 3, 4}, 2));
    EXPECT_EQ(E_INVALIDARG, bitmap->CopyFromMemory(nullptr, nullptr, 8));
    EXPECT_EQ(E_INVALIDARG, bitmap->CopyFromMemory(nullptr, rows, 4));

    // A decoded image into an image's own bitmap: the whole of another bitmap, or a rectangle of it to a
    // point, inside both bitmaps. Alpha masks do not mix in.
    auto decoded = MakeBitmap(target.Get(), 2, 2, {6, 5, 4, 3});
    ASSERT_EQ(S_OK, bitmap->CopyFromBitmap(nullptr, decoded.Get(), nullptr));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {6, 5, 4, 3}, 2));
    const D2D1_POINT_2U at = {1, 0};
    const D2D1_RECT_U column = {0, 0, 1, 2}, wide = {0, 0, 2, 2}, outside = {1, 0, 3, 1};
    ASSERT_EQ(S_OK, bitmap->CopyFromBitmap(&at, decoded.Get(), &column));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {6, 6, 4, 4}, 2));
    EXPECT_EQ(E_INVALIDARG, bitmap->CopyFromBitmap(&at, decoded.Get(), &wide));
    EXPECT_EQ(E_INVALIDARG, bitmap->CopyFromBitmap(nullptr, decoded.Get(), &outside));
    auto mask = MakeMask(target.Get(), 1, 1, {9});
    EXPECT_EQ(static_cast<HRESULT>(D2DERR_UNSUPPORTED_PIXEL_FORMAT), bitmap->CopyFromBitmap(nullptr, mask.Get(), nullptr));
    auto otherFactory = MakeFactory();
    auto otherDevice = MakeDevice(otherFactory.Get());
    auto foreign = MakeBitmap(otherDevice.Get(), 2, 2, {1, 1, 1, 1});
    EXPECT_EQ(static_cast<HRESULT>(D2DERR_WRONG_FACTORY), bitmap->CopyFromBitmap(nullptr, foreign.Get(), nullptr));
    EXPECT_EQ(E_INVALIDARG, bitmap->CopyFromBitmap(nullptr, nullptr, nullptr));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {6, 6, 4, 4}, 2));
}

}  // namespace
}  // namespace softd2d_test
