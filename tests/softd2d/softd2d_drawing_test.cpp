// What softd2d draws beyond the library's own pixel checks (fills, clears, copies and masked copies
// through the surfaces): vertical as well as horizontal bitmap interpolation, solid brushes through
// opacity masks, and the errors EndDraw reports. Values are worked out by hand from Direct2D's rules:
// colours are premultiplied in float and rounded to nearest, and blending is source-over on
// premultiplied pixels, d = s + d * (1 - sa).
#include "softd2d_test_support.h"

#include <functional>

namespace softd2d_test {
namespace {

constexpr uint32_t kClear = 0;
constexpr uint32_t kGreen = Bgra(0, 255, 0, 255);
constexpr uint32_t kWhite = Bgra(255, 255, 255, 255);

using DrawingTest = SoftD2DTest;

TEST_F(DrawingTest, LinearScalingByTwoInterpolatesBetweenTexelCentres) {
    auto target = MakeTarget(device_.Get(), 4, 4);
    const uint32_t black = Bgra(0, 0, 0, 255);
    auto bitmap = MakeBitmap(target.Get(), 2, 2, {black, kWhite, kWhite, black});
    target->BeginDraw();
    const D2D1_RECT_F dest = Rect(0, 0, 4, 4);
    target->DrawBitmap(bitmap.Get(), &dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
    ASSERT_EQ(S_OK, target->EndDraw(nullptr, nullptr));
    // Device centres 0.5..3.5 sample texel coordinates 0.25, 0.75, 1.25, 1.75: weights of
    // the second texel 0 (clamped), 0.25, 0.75, 1 (clamped). Rows likewise. So
    // row 0 is 0, 63.75, 191.25, 255 and row 1 blends rows 0 and 3 by a quarter:
    // 63.75, 95.625, 159.375, 191.25. Rows 2 and 3 mirror rows 1 and 0.
    auto gray = [](int v) { return Bgra(v, v, v, 255); };
    const std::vector<uint32_t> expected = {gray(0),   gray(64),  gray(191), gray(255),  //
                                            gray(64),  gray(96),  gray(159), gray(191),
                                            gray(191), gray(159), gray(96),  gray(64),
                                            gray(255), gray(191), gray(64),  gray(0)};
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), expected, 4, 1));
}

TEST_F(DrawingTest, FillOpacityMaskKeepsPixelsWhereTheMaskIsZero) {
    // The masked copy through a bitmap brush is checked in pixels by the library's opacity-mask tests.
    auto target = MakeTarget(device_.Get(), 4, 2);
    auto green = MakeBrush(target.Get(), Color(0, 1, 0, 1));
    auto mask = MakeMask(target.Get(), 4, 2, {0, 0, 255, 128,  //
                                              0, 0, 255, 255});
    const D2D1_RECT_F rect = Rect(0, 0, 4, 2);
    const std::vector<uint32_t> masked = {0, 0, kGreen, Bgra(0, 128, 0, 128),  //
                                          0, 0, kGreen, kGreen};
    Fill(target.Get(), kClear);
    target->SetAntialiasMode(D2D1_ANTIALIAS_MODE_ALIASED);
    target->BeginDraw();
    target->FillOpacityMask(mask.Get(), green.Get(), D2D1_OPACITY_MASK_CONTENT_GRAPHICS, &rect, &rect);
    ASSERT_EQ(S_OK, target->EndDraw(nullptr, nullptr));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), masked, 4));

    // Per-primitive antialiasing is the wrong state for masks and leaves the pixels alone.
    target->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    target->BeginDraw();
    target->FillOpacityMask(mask.Get(), green.Get(), D2D1_OPACITY_MASK_CONTENT_GRAPHICS, &rect, &rect);
    EXPECT_EQ(kWrongState, target->EndDraw(nullptr, nullptr));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), masked, 4));
}

TEST_F(DrawingTest, ErrorsAreRecordedAndReportedByEndDraw) {
    auto target = MakeTarget(device_.Get(), 2, 2);
    auto red = MakeBrush(target.Get(), Color(1, 0, 0, 1));
    const D2D1_RECT_F all = Rect(0, 0, 2, 2);
    Fill(target.Get(), kClear);

    // Drawing outside a pass changes nothing; EndDraw without BeginDraw reports it.
    target->FillRectangle(&all, red.Get());
    target->Clear(nullptr);
    EXPECT_EQ(kWrongState, target->EndDraw(nullptr, nullptr));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {0, 0, 0, 0}, 2));

    // BeginDraw twice is an error too, after which nothing is drawn; the pass still ends and the next
    // one is clean.
    EXPECT_EQ(kWrongState, Pass(target.Get(), [&] {
        target->BeginDraw();
        target->FillRectangle(&all, red.Get());
    }));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {0, 0, 0, 0}, 2));
    target->BeginDraw();
    EXPECT_EQ(S_OK, target->EndDraw(nullptr, nullptr));

    // A brush from another factory is refused; one from a sibling target is fine.
    auto otherFactory = MakeFactory();
    auto otherDevice = MakeDevice(otherFactory.Get());
    auto foreign = MakeBrush(otherDevice.Get(), Color(0, 1, 0, 1));
    auto sibling = MakeBrush(device_.Get(), Color(0, 1, 0, 1));
    target->BeginDraw();
    target->FillRectangle(&all, foreign.Get());
    EXPECT_EQ(static_cast<HRESULT>(D2DERR_WRONG_FACTORY), target->EndDraw(nullptr, nullptr));
    EXPECT_EQ(S_OK, Pass(target.Get(), [&] { target->FillRectangle(&all, sibling.Get()); }));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {kGreen, kGreen, kGreen, kGreen}, 2));

    // The target's own bitmap as a source puts it in error, as a Direct2D 1.1 device context: the call and
    // everything after it in the pass are lost, and EndDraw reports D2DERR_BITMAP_BOUND_AS_TARGET.
    ComPtr<ID2D1Bitmap> own;
    target->GetBitmap(own.GetAddressOf());
    ComPtr<ID2D1BitmapBrush> ownBrush;
    ASSERT_EQ(S_OK, target->CreateBitmapBrush(own.Get(), nullptr, nullptr, ownBrush.GetAddressOf()));
    target->SetAntialiasMode(D2D1_ANTIALIAS_MODE_ALIASED); // as opacity masks need
    const std::function<void()> reads[] = {
        [&] { target->DrawBitmap(own.Get(), &all, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr); },
        [&] { target->FillRectangle(&all, ownBrush.Get()); },
        [&] { target->FillOpacityMask(own.Get(), red.Get(), D2D1_OPACITY_MASK_CONTENT_GRAPHICS, &all, &all); }};
    for (const auto& read : reads) {
        EXPECT_EQ(static_cast<HRESULT>(D2DERR_BITMAP_BOUND_AS_TARGET), Pass(target.Get(), [&] {
            read();
            target->FillRectangle(&all, red.Get());
        }));
        EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {kGreen, kGreen, kGreen, kGreen}, 2));
    }
    target->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);

    // Unbalanced clips. Clears and fills inside Tessary's one aliased clip at a time are checked in
    // pixels by its fills.
    const D2D1_RECT_F clip = Rect(1, 0, 2, 2);
    target->BeginDraw();
    target->PopAxisAlignedClip();
    EXPECT_EQ(static_cast<HRESULT>(D2DERR_POP_CALL_DID_NOT_MATCH_PUSH), target->EndDraw(nullptr, nullptr));
    target->BeginDraw();
    target->PushAxisAlignedClip(&clip, D2D1_ANTIALIAS_MODE_ALIASED);
    EXPECT_EQ(static_cast<HRESULT>(D2DERR_PUSH_POP_UNBALANCED), target->EndDraw(nullptr, nullptr));
}

}  // namespace
}  // namespace softd2d_test
