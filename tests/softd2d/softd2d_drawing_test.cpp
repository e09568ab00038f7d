// What softd2d draws beyond the library's own pixel checks (fills, clears, copies and masked copies
// through the surfaces): vertical as well as horizontal bitmap interpolation, solid brushes through
// opacity masks, the errors EndDraw reports, and the refusal of every form Tessary never uses. Values
// are worked out by hand from Direct2D's rules: colours are premultiplied in float and rounded to
// nearest, and blending is source-over on premultiplied pixels, d = s + d * (1 - sa).
#include <dwrite.h>

#include <functional>

#include "softd2d_test_support.h"

#include <functional>

namespace softd2d_test {
namespace {

constexpr uint32_t kClear = 0;
constexpr uint32_t kGreen = Bgra(0, 255, 0, 255);
constexpr uint32_t kWhite = Bgra(255, 255, 255, 255);
constexpr uint32_t kBlue = Bgra(255, 0, 0, 255);
constexpr HRESULT kWrongFormat = static_cast<HRESULT>(D2DERR_UNSUPPORTED_PIXEL_FORMAT);
constexpr D2D1_PIXEL_FORMAT kFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};

using DrawingTest = SoftD2DTest;

uint32_t Gray(int v) { return Bgra(v, v, v, 255); }

// One out slot for every creation expected to fail, which must leave it null.
template <class T>
T** Slot(void** made) {
    return reinterpret_cast<T**>(made);
}

TEST_F(DrawingTest, LinearScalingInterpolatesBetweenTexelCentres) {
    auto target = MakeTarget(device_.Get(), 4, 4);
    auto bitmap = MakeBitmap(target.Get(), 2, 2, {Gray(0), kWhite, kWhite, Gray(0)});
    const D2D1_RECT_F dest = Rect(0, 0, 4, 4), source = Rect(0, 0, 2, 2);
    Fill(target.Get(), kClear);
    ASSERT_EQ(S_OK, Pass(target.Get(), [&] {
        target->DrawBitmap(bitmap.Get(), &dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &source);
    }));
    // Device centres 0.5..3.5 sample texel coordinates 0.25, 0.75, 1.25, 1.75: weights of
    // the second texel 0 (clamped), 0.25, 0.75, 1 (clamped). Rows likewise. So
    // row 0 is 0, 63.75, 191.25, 255 and row 1 blends rows 0 and 3 by a quarter:
    // 63.75, 95.625, 159.375, 191.25. Rows 2 and 3 mirror rows 1 and 0.
    const std::vector<uint32_t> scaled = {Gray(0),   Gray(64),  Gray(191), Gray(255),  //
                                          Gray(64),  Gray(96),  Gray(159), Gray(191),
                                          Gray(191), Gray(159), Gray(96),  Gray(64),
                                          Gray(255), Gray(191), Gray(64),  Gray(0)};
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), scaled, 4, 1));

    // At half opacity over transparent pixels every channel halves, rows blended between included.
    Fill(target.Get(), kClear);
    ASSERT_EQ(S_OK, Pass(target.Get(), [&] {
        target->DrawBitmap(bitmap.Get(), &dest, 0.5f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &source);
    }));
    std::vector<uint32_t> faded(16);
    for (size_t i = 0; i < 16; ++i) faded[i] = Bgra((scaled[i] & 0xff) / 2, (scaled[i] & 0xff) / 2, (scaled[i] & 0xff) / 2, 128);
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), faded, 4, 1));

    // One source column stretched over the target reads that column alone; a source moved by 0.999
    // of a texel rounds its weight up to the next texel whole.
    auto column = MakeBitmap(target.Get(), 1, 2, {kBlue, kGreen});
    const D2D1_RECT_F oneColumn = Rect(0, 0, 1, 2);
    ASSERT_EQ(S_OK, Pass(target.Get(), [&] {
        target->DrawBitmap(column.Get(), &dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &oneColumn);
    }));
    const std::vector<uint32_t> pixels = ReadPixels(target.Get());
    EXPECT_TRUE(pixels[0] == kBlue && pixels[3] == kBlue && pixels[12] == kGreen && pixels[15] == kGreen);
    auto row = MakeBitmap(target.Get(), 2, 1, {kBlue, kGreen});
    const D2D1_RECT_F to = Rect(0, 0, 1, 1), from = Rect(0.999f, 0, 1.999f, 1);
    ASSERT_EQ(S_OK, Pass(target.Get(), [&] {
        target->DrawBitmap(row.Get(), &to, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &from);
    }));
    EXPECT_EQ(kGreen, ReadPixels(target.Get())[0]);
}

TEST_F(DrawingTest, FillsCoverFractionalEdgesInProportion) {
    auto target = MakeTarget(device_.Get(), 3, 1);
    auto red = MakeBrush(target.Get(), Color(1, 0, 0, 1));
    Fill(target.Get(), kClear);
    // A quarter of the first pixel (63.75), all of the second, 0.6 of the third (153).
    const D2D1_RECT_F rect = Rect(0.75f, 0, 2.6f, 1);
    ASSERT_EQ(S_OK, Pass(target.Get(), [&] { target->FillRectangle(&rect, red.Get()); }));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {Bgra(0, 0, 64, 64), Bgra(0, 0, 255, 255), Bgra(0, 0, 153, 153)}, 3));
    // Aliased, a pixel is covered when its centre is inside: the first is not, the third is.
    Fill(target.Get(), kClear);
    target->SetAntialiasMode(D2D1_ANTIALIAS_MODE_ALIASED);
    ASSERT_EQ(S_OK, Pass(target.Get(), [&] { target->FillRectangle(&rect, red.Get()); }));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {0, Bgra(0, 0, 255, 255), Bgra(0, 0, 255, 255)}, 3));
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
    ASSERT_EQ(S_OK, Pass(target.Get(), [&] {
        target->FillOpacityMask(mask.Get(), green.Get(), D2D1_OPACITY_MASK_CONTENT_GRAPHICS, &rect, &rect);
    }));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), masked, 4));

    // A mask placed off its origin: its right half lands on the left half, and nothing lands where
    // the destination leaves the mask.
    Fill(target.Get(), kClear);
    const D2D1_RECT_F left = Rect(0, 0, 4, 2), right = Rect(2, 0, 6, 2);
    ASSERT_EQ(S_OK, Pass(target.Get(), [&] {
        target->FillOpacityMask(mask.Get(), green.Get(), D2D1_OPACITY_MASK_CONTENT_GRAPHICS, &left, &right);
    }));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {kGreen, Bgra(0, 128, 0, 128), 0, 0, kGreen, kGreen, 0, 0}, 4));

    // Per-primitive antialiasing is the wrong state for masks and leaves the pixels alone.
    target->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    EXPECT_EQ(kWrongState, Pass(target.Get(), [&] {
        target->FillOpacityMask(mask.Get(), green.Get(), D2D1_OPACITY_MASK_CONTENT_GRAPHICS, &rect, &rect);
    }));
    EXPECT_EQ(kGreen, ReadPixels(target.Get())[0]);
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
    EXPECT_EQ(S_OK, Pass(target.Get(), [] {}));

    // A brush from another factory is refused; one from a sibling target is fine.
    auto otherFactory = MakeFactory();
    auto otherDevice = MakeDevice(otherFactory.Get());
    auto foreign = MakeBrush(otherDevice.Get(), Color(0, 1, 0, 1));
    auto sibling = MakeBrush(device_.Get(), Color(0, 1, 0, 1));
    auto foreignBitmap = MakeBitmap(otherDevice.Get(), 1, 1, {kWhite});
    auto mask = MakeMask(target.Get(), 1, 1, {255});
    EXPECT_EQ(static_cast<HRESULT>(D2DERR_WRONG_FACTORY), Pass(target.Get(), [&] { target->FillRectangle(&all, foreign.Get()); }));
    EXPECT_EQ(static_cast<HRESULT>(D2DERR_WRONG_FACTORY), Pass(target.Get(), [&] {
        target->DrawBitmap(foreignBitmap.Get(), &all, 1, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &all);
    }));
    EXPECT_EQ(E_INVALIDARG, Pass(target.Get(), [&] {
        target->DrawBitmap(nullptr, &all, 1, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &all);
    }));
    EXPECT_EQ(static_cast<HRESULT>(D2DERR_UNSUPPORTED_PIXEL_FORMAT), Pass(target.Get(), [&] {
        target->DrawBitmap(mask.Get(), &all, 1, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &all);
    }));
    EXPECT_EQ(E_INVALIDARG, Pass(target.Get(), [&] { target->FillRectangle(nullptr, sibling.Get()); }));
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
        [&] { target->DrawBitmap(own.Get(), &all, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &all); },
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
    EXPECT_EQ(static_cast<HRESULT>(D2DERR_POP_CALL_DID_NOT_MATCH_PUSH), Pass(target.Get(), [&] { target->PopAxisAlignedClip(); }));
    EXPECT_EQ(static_cast<HRESULT>(D2DERR_PUSH_POP_UNBALANCED),
              Pass(target.Get(), [&] { target->PushAxisAlignedClip(&clip, D2D1_ANTIALIAS_MODE_ALIASED); }));
}

// Every method, form and option Tessary never uses answers as Direct2D answers what it cannot do, and
// draws nothing.
TEST_F(DrawingTest, FormsTessaryNeverUsesAreRefusedAndDrawNothing) {
    auto target = MakeTarget(device_.Get(), 2, 2);
    auto red = MakeBrush(target.Get(), Color(1, 0, 0, 1));
    auto bitmap = MakeBitmap(target.Get(), 2, 2, {kWhite, kWhite, kWhite, kWhite});
    auto mask = MakeMask(target.Get(), 2, 2, {255, 255, 255, 255});
    const D2D1_RECT_F all = Rect(0, 0, 2, 2), half = Rect(0.5f, 0, 2, 2), big = Rect(0, 0, 4, 4);
    const D2D1_POINT_2F origin = {0, 0};
    const D2D1_MATRIX_3X2_F scale = {2, 0, 0, 2, 0, 0};
    const D2D1_ELLIPSE ellipse = {origin, 1, 1};
    const D2D1_ROUNDED_RECT rounded = {all, 1, 1};
    // Brushes with an opacity, a transform, a wrapping mode.
    auto faded = MakeBrush(target.Get(), Color(1, 0, 0, 1)), moved = MakeBrush(target.Get(), Color(1, 0, 0, 1));
    faded->SetOpacity(0.5f);
    moved->SetTransform(&scale);
    ComPtr<ID2D1BitmapBrush> wrapping;
    ASSERT_EQ(S_OK, target->CreateBitmapBrush(bitmap.Get(), nullptr, nullptr, &wrapping));
    wrapping->SetExtendModeX(D2D1_EXTEND_MODE_WRAP);
    ComPtr<IDWriteFactory> dwrite;
    ComPtr<IDWriteRenderingParams> params;
    ASSERT_EQ(S_OK, DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                        reinterpret_cast<IUnknown**>(dwrite.GetAddressOf())));
    ASSERT_EQ(S_OK, dwrite->CreateRenderingParams(&params));
    const std::function<void()> recorded[] = {
        [&] { target->SetTransform(&scale); },
        [&] { target->SetDpi(192, 192); },
        [&] { target->SetTags(1, 2); },
        [&] { target->SetTextRenderingParams(params.Get()); },
        [&] { target->PushAxisAlignedClip(&all, D2D1_ANTIALIAS_MODE_PER_PRIMITIVE); },
        [&] {
            target->PushAxisAlignedClip(&all, D2D1_ANTIALIAS_MODE_ALIASED);
            target->PushAxisAlignedClip(&all, D2D1_ANTIALIAS_MODE_ALIASED);
        },
        [&] { target->DrawBitmap(bitmap.Get(), &all, 1, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, &all); },
        [&] { target->DrawBitmap(bitmap.Get(), nullptr, 1, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr); },
        [&] { target->FillOpacityMask(mask.Get(), red.Get(), D2D1_OPACITY_MASK_CONTENT_TEXT_NATURAL, &all, &all); },
        [&] { target->FillOpacityMask(mask.Get(), red.Get(), D2D1_OPACITY_MASK_CONTENT_GRAPHICS, &big, &all); },
        [&] { target->FillOpacityMask(mask.Get(), red.Get(), D2D1_OPACITY_MASK_CONTENT_GRAPHICS, &half, &half); },
        [&] { target->FillOpacityMask(mask.Get(), red.Get(), D2D1_OPACITY_MASK_CONTENT_GRAPHICS, nullptr, nullptr); },
        [&] { target->FillRectangle(&all, faded.Get()); },
        [&] { target->FillRectangle(&all, moved.Get()); },
        [&] { target->FillRectangle(&all, wrapping.Get()); },
        [&] { target->DrawText(L"x", 1, nullptr, &all, red.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE, DWRITE_MEASURING_MODE_NATURAL); },
        [&] { target->DrawLine(origin, origin, red.Get(), 1, nullptr); },
        [&] { target->DrawRectangle(&all, red.Get(), 1, nullptr); },
        [&] { target->DrawRoundedRectangle(&rounded, red.Get(), 1, nullptr); },
        [&] { target->FillRoundedRectangle(&rounded, red.Get()); },
        [&] { target->DrawEllipse(&ellipse, red.Get(), 1, nullptr); },
        [&] { target->FillEllipse(&ellipse, red.Get()); },
        [&] { target->DrawGeometry(nullptr, red.Get(), 1, nullptr); },
        [&] { target->FillGeometry(nullptr, red.Get(), nullptr); },
        [&] { target->FillMesh(nullptr, red.Get()); },
        [&] { target->PushLayer(nullptr, nullptr); },
        [&] { target->PopLayer(); },
    };
    Fill(target.Get(), kBlue);
    target->SetAntialiasMode(D2D1_ANTIALIAS_MODE_ALIASED);  // as opacity masks need
    for (size_t i = 0; i < std::size(recorded); ++i) EXPECT_EQ(kUnsupported, Pass(target.Get(), recorded[i])) << "form " << i;
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {kBlue, kBlue, kBlue, kBlue}, 2));

    // What the setters kept: nothing of the refused values.
    D2D1_MATRIX_3X2_F m;
    target->GetTransform(&m);
    FLOAT dpiX = 0, dpiY = 0;
    target->GetDpi(&dpiX, &dpiY);
    D2D1_TAG tag1 = 1, tag2 = 1;
    target->GetTags(&tag1, &tag2);
    ComPtr<IDWriteRenderingParams> kept;
    target->GetTextRenderingParams(&kept);
    EXPECT_TRUE(m._11 == 1 && m._22 == 1 && m._12 == 0 && m._21 == 0 && dpiX == 96 && dpiY == 96 && tag1 == 0 &&
                tag2 == 0 && !kept);
    EXPECT_EQ(kUnsupported, target->Flush(&tag1, &tag2));
    EXPECT_FALSE(target->IsSupported(nullptr));

    // Creations and copies return the code at once and make nothing.
    void* made = nullptr;
    const D2D1_SIZE_U pixels = {2, 2};
    const D2D1_SIZE_F dips = {1, 1};
    const D2D1_PIXEL_FORMAT ignoreAlpha = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE};
    const D2D1_BITMAP_PROPERTIES highDpi = {{DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED}, 192, 192};
    const D2D1_BITMAP_PROPERTIES ignored = {ignoreAlpha, 0, 0};
    const D2D1_BRUSH_PROPERTIES brushProperties = {1, D2D1::Matrix3x2F::Identity()};
    const D2D1_COLOR_F black = Color(0, 0, 0, 1);
    const auto gdiOnly = D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE;
    D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(D2D1_RENDER_TARGET_TYPE_DEFAULT, kFormat);
    EXPECT_EQ(kUnsupported, device_->CreateCompatibleRenderTarget(&dips, nullptr, nullptr, gdiOnly, Slot<ID2D1BitmapRenderTarget>(&made)));
    EXPECT_EQ(kUnsupported, device_->CreateCompatibleRenderTarget(&dips, &pixels, nullptr, gdiOnly, Slot<ID2D1BitmapRenderTarget>(&made)));
    EXPECT_EQ(kUnsupported, device_->CreateCompatibleRenderTarget(nullptr, &pixels, nullptr, D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_NONE,
                                                                  Slot<ID2D1BitmapRenderTarget>(&made)));
    EXPECT_EQ(kWrongFormat, device_->CreateCompatibleRenderTarget(nullptr, &pixels, &ignoreAlpha, gdiOnly, Slot<ID2D1BitmapRenderTarget>(&made)));
    EXPECT_EQ(kUnsupported, target->CreateBitmap(pixels, nullptr, 0, &highDpi, Slot<ID2D1Bitmap>(&made)));
    EXPECT_EQ(kWrongFormat, target->CreateBitmap(pixels, nullptr, 0, &ignored, Slot<ID2D1Bitmap>(&made)));
    EXPECT_EQ(kUnsupported, target->CreateSharedBitmap(__uuidof(ID2D1Bitmap), bitmap.Get(), nullptr, Slot<ID2D1Bitmap>(&made)));
    EXPECT_EQ(kUnsupported, target->CreateSolidColorBrush(&black, &brushProperties, Slot<ID2D1SolidColorBrush>(&made)));
    EXPECT_EQ(kUnsupported, target->CreateBitmapBrush(bitmap.Get(), nullptr, &brushProperties, Slot<ID2D1BitmapBrush>(&made)));
    EXPECT_EQ(kUnsupported, target->CreateGradientStopCollection(nullptr, 0, D2D1_GAMMA_2_2, D2D1_EXTEND_MODE_CLAMP,
                                                                 Slot<ID2D1GradientStopCollection>(&made)));
    EXPECT_EQ(kUnsupported, target->CreateLinearGradientBrush(nullptr, nullptr, nullptr, Slot<ID2D1LinearGradientBrush>(&made)));
    EXPECT_EQ(kUnsupported, target->CreateRadialGradientBrush(nullptr, nullptr, nullptr, Slot<ID2D1RadialGradientBrush>(&made)));
    EXPECT_EQ(kUnsupported, target->CreateLayer(nullptr, Slot<ID2D1Layer>(&made)));
    EXPECT_EQ(kUnsupported, target->CreateMesh(Slot<ID2D1Mesh>(&made)));
    // The factory makes only Tessary's own kind of device, and nothing else.
    EXPECT_EQ(kUnsupported, D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr, &made));
    EXPECT_EQ(kUnsupported, factory_->CreateDCRenderTarget(&properties, Slot<ID2D1DCRenderTarget>(&made))) << "not for GDI";
    properties.pixelFormat = ignoreAlpha;
    properties.usage = D2D1_RENDER_TARGET_USAGE_GDI_COMPATIBLE;
    EXPECT_EQ(kWrongFormat, factory_->CreateDCRenderTarget(&properties, Slot<ID2D1DCRenderTarget>(&made)));
    EXPECT_EQ(kUnsupported, factory_->CreateRectangleGeometry(&all, Slot<ID2D1RectangleGeometry>(&made)));
    EXPECT_EQ(kUnsupported, factory_->CreateRoundedRectangleGeometry(&rounded, Slot<ID2D1RoundedRectangleGeometry>(&made)));
    EXPECT_EQ(kUnsupported, factory_->CreateEllipseGeometry(&ellipse, Slot<ID2D1EllipseGeometry>(&made)));
    EXPECT_EQ(kUnsupported, factory_->CreateGeometryGroup(D2D1_FILL_MODE_ALTERNATE, nullptr, 0, Slot<ID2D1GeometryGroup>(&made)));
    EXPECT_EQ(kUnsupported, factory_->CreateTransformedGeometry(nullptr, &scale, Slot<ID2D1TransformedGeometry>(&made)));
    EXPECT_EQ(kUnsupported, factory_->CreatePathGeometry(Slot<ID2D1PathGeometry>(&made)));
    EXPECT_EQ(kUnsupported, factory_->CreateStrokeStyle(nullptr, nullptr, 0, Slot<ID2D1StrokeStyle>(&made)));
    EXPECT_EQ(kUnsupported, factory_->CreateDrawingStateBlock(nullptr, nullptr, Slot<ID2D1DrawingStateBlock>(&made)));
    EXPECT_EQ(kUnsupported, factory_->CreateWicBitmapRenderTarget(nullptr, &properties, Slot<ID2D1RenderTarget>(&made)));
    EXPECT_EQ(kUnsupported, factory_->CreateHwndRenderTarget(&properties, nullptr, Slot<ID2D1HwndRenderTarget>(&made)));
    EXPECT_EQ(kUnsupported, factory_->CreateDxgiSurfaceRenderTarget(nullptr, &properties, Slot<ID2D1RenderTarget>(&made)));
    EXPECT_EQ(made, nullptr);

    ComPtr<ID2D1Bitmap> own;
    ASSERT_EQ(S_OK, target->GetBitmap(&own));
    const D2D1_RECT_U part = {0, 0, 1, 1};
    const uint32_t memory[4] = {};
    EXPECT_EQ(kUnsupported, own->CopyFromMemory(&part, memory, 8));
    EXPECT_EQ(kUnsupported, own->CopyFromRenderTarget(nullptr, target.Get(), nullptr));
    EXPECT_EQ(kUnsupported, own->CopyFromBitmap(nullptr, own.Get(), nullptr));
    EXPECT_EQ(kUnsupported, device_->BindDC(nullptr, nullptr));
    ComPtr<ID2D1GdiInteropRenderTarget> gdi;
    ASSERT_EQ(S_OK, target.As(&gdi));
    HDC dc = nullptr;
    target->BeginDraw();
    EXPECT_EQ(kUnsupported, gdi->GetDC(D2D1_DC_INITIALIZE_MODE_CLEAR, &dc));
    EXPECT_EQ(S_OK, target->EndDraw(nullptr, nullptr));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), {kBlue, kBlue, kBlue, kBlue}, 2));
}

}  // namespace
}  // namespace softd2d_test
