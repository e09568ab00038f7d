// Render targets and resources: the creation paths Tessary takes, sizes, releases, and the
// failure injection the library's tests rely on.
#include "softd2d_test_support.h"

namespace softd2d_test {
namespace {

using ObjectsTest = SoftD2DTest;

TEST_F(ObjectsTest, ZeroAndOversizedSizesFailBeforeAllocating) {
    const D2D1_PIXEL_FORMAT format = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
    auto make = [&](UINT32 width, UINT32 height) {
        const D2D1_SIZE_F size = {float(width), float(height)};
        const D2D1_SIZE_U pixels = {width, height};
        ComPtr<ID2D1BitmapRenderTarget> target;
        const HRESULT hr = device_->CreateCompatibleRenderTarget(
            &size, &pixels, &format, D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE, &target);
        EXPECT_EQ(FAILED(hr), target == nullptr);
        return hr;
    };
    EXPECT_EQ(E_INVALIDARG, make(0, 0));
    EXPECT_EQ(E_INVALIDARG, make(10, 0));
    EXPECT_EQ(kMaxTextureSize, make(16385, 1));
    // 100000 x 100000 would be 40 GB; the size check answers first.
    EXPECT_EQ(kMaxTextureSize, make(100000, 100000));
    EXPECT_EQ(S_OK, make(16384, 1));

    const D2D1_BITMAP_PROPERTIES properties = {format, 0, 0};
    ComPtr<ID2D1Bitmap> bitmap;
    EXPECT_EQ(E_INVALIDARG, device_->CreateBitmap({0, 5}, nullptr, 0, &properties, &bitmap));
    EXPECT_EQ(kMaxTextureSize, device_->CreateBitmap({5, 20000}, nullptr, 0, &properties, &bitmap));
    EXPECT_EQ(nullptr, bitmap.Get());
}

// What objects tell about themselves, and the state they keep as given; values out of range are ignored.
TEST_F(ObjectsTest, ObjectsReportWhatTheyAreAndKeepWhatTheyAreGiven) {
    auto target = MakeTarget(device_.Get(), 3, 2);
    const D2D1_SIZE_F size = target->GetSize();
    const D2D1_PIXEL_FORMAT format = target->GetPixelFormat();
    const D2D1_SIZE_U devicePixels = device_->GetPixelSize();
    EXPECT_TRUE(size.width == 3 && size.height == 2 && devicePixels.width == 0 && devicePixels.height == 0);
    EXPECT_TRUE(format.format == DXGI_FORMAT_B8G8R8A8_UNORM && format.alphaMode == D2D1_ALPHA_MODE_PREMULTIPLIED);
    EXPECT_EQ(16384u, target->GetMaximumBitmapSize());
    target->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    target->SetTextAntialiasMode(static_cast<D2D1_TEXT_ANTIALIAS_MODE>(7));
    EXPECT_EQ(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE, target->GetTextAntialiasMode());
    FLOAT dpiX = 0, dpiY = 0;
    factory_->GetDesktopDpi(&dpiX, &dpiY);
    EXPECT_TRUE(dpiX == 96 && dpiY == 96 && factory_->ReloadSystemMetrics() == S_OK);
    ComPtr<ID2D1Bitmap> notAFactory;
    EXPECT_EQ(E_NOINTERFACE, D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, __uuidof(ID2D1Bitmap), nullptr,
                                               reinterpret_cast<void**>(notAFactory.GetAddressOf())));
    EXPECT_FALSE(notAFactory);

    // Bitmaps: their factory, format, size and interfaces.
    auto mask = MakeMask(target.Get(), 2, 1, {1, 2});
    ComPtr<ID2D1Factory> owner;
    mask->GetFactory(&owner);
    EXPECT_EQ(factory_.Get(), owner.Get());
    const D2D1_PIXEL_FORMAT maskFormat = mask->GetPixelFormat();
    const D2D1_SIZE_F maskSize = mask->GetSize();
    mask->GetDpi(&dpiX, &dpiY);
    EXPECT_TRUE(maskFormat.format == DXGI_FORMAT_A8_UNORM && maskFormat.alphaMode == D2D1_ALPHA_MODE_STRAIGHT &&
                maskSize.width == 2 && maskSize.height == 1 && dpiX == 96 && dpiY == 96);
    ComPtr<ID2D1Image> image;
    ComPtr<ID2D1Brush> notABrush;
    EXPECT_EQ(S_OK, mask.As(&image));
    EXPECT_EQ(E_NOINTERFACE, mask.As(&notABrush));

    // Brushes keep their colour, opacity, transform, modes and bitmap.
    auto brush = MakeBrush(target.Get(), Color(1, 0, 0, 1));
    const D2D1_COLOR_F green = Color(0, 1, 0, 0.5f);
    brush->SetColor(&green);
    const D2D1_COLOR_F kept = brush->GetColor();
    D2D1_MATRIX_3X2_F transform;
    brush->GetTransform(&transform);
    brush->GetFactory(&owner);
    ComPtr<ID2D1Brush> asBrush;
    EXPECT_TRUE(kept.g == 1 && kept.a == 0.5f && brush->GetOpacity() == 1 && transform._11 == 1 && transform._31 == 0 &&
                owner.Get() == factory_.Get() && SUCCEEDED(brush.As(&asBrush)));
    target->GetFactory(&owner);
    EXPECT_EQ(factory_.Get(), owner.Get());
    auto bitmap = MakeBitmap(target.Get(), 1, 1, {Bgra(255, 0, 0, 255)});
    ComPtr<ID2D1BitmapBrush> bitmapBrush;
    const D2D1_BITMAP_BRUSH_PROPERTIES invalid = {static_cast<D2D1_EXTEND_MODE>(9), D2D1_EXTEND_MODE_CLAMP,
                                                  D2D1_BITMAP_INTERPOLATION_MODE_LINEAR};
    EXPECT_EQ(E_INVALIDARG, target->CreateBitmapBrush(bitmap.Get(), &invalid, nullptr, &bitmapBrush));
    ASSERT_EQ(S_OK, target->CreateBitmapBrush(bitmap.Get(), nullptr, nullptr, &bitmapBrush));
    bitmapBrush->SetExtendModeY(D2D1_EXTEND_MODE_MIRROR);
    bitmapBrush->SetInterpolationMode(D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR);
    EXPECT_TRUE(bitmapBrush->GetExtendModeX() == D2D1_EXTEND_MODE_CLAMP && bitmapBrush->GetExtendModeY() == D2D1_EXTEND_MODE_MIRROR &&
                bitmapBrush->GetInterpolationMode() == D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR);
    ComPtr<ID2D1Bitmap> held;
    bitmapBrush->GetBitmap(&held);
    EXPECT_EQ(bitmap.Get(), held.Get());
    // Without a bitmap a brush paints nothing, and no error; drawing state blocks are never made, so
    // saving and restoring one changes nothing.
    bitmapBrush->SetBitmap(nullptr);
    bitmapBrush->GetBitmap(&held);
    EXPECT_FALSE(held);
    const D2D1_RECT_F all = Rect(0, 0, 3, 2);
    Fill(target.Get(), 0);
    EXPECT_EQ(S_OK, Pass(target.Get(), [&] {
        target->SaveDrawingState(nullptr);
        target->FillRectangle(&all, bitmapBrush.Get());
        target->RestoreDrawingState(nullptr);
    }));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), std::vector<uint32_t>(6, 0), 3));
}

TEST_F(ObjectsTest, EveryObjectIsGoneAfterReleaseAndFailuresAreInjected) {
    const Control& control = GetControl();
    if (!control.Present()) GTEST_SKIP() << "not softd2d";
    const LONG before = control.liveObjectCount();
    {
        auto factory = MakeFactory();
        auto device = MakeDevice(factory.Get());
        auto target = MakeTarget(device.Get(), 8, 8);
        auto brush = MakeBrush(target.Get(), Color(1, 0, 0, 1));
        ComPtr<ID2D1Bitmap> bitmap;
        ASSERT_EQ(S_OK, target->GetBitmap(&bitmap));
        ComPtr<ID2D1BitmapBrush> bitmapBrush;
        ASSERT_EQ(S_OK, target->CreateBitmapBrush(bitmap.Get(), nullptr, nullptr, &bitmapBrush));
        // factory, device, target, its bitmap, two brushes
        EXPECT_EQ(before + 6, control.liveObjectCount());
        // Releasing the factory first is fine: its objects hold it.
        factory.Reset();
        EXPECT_EQ(before + 6, control.liveObjectCount());
    }
    EXPECT_EQ(before, control.liveObjectCount());

    // The control injects failures.
    auto first = MakeTarget(device_.Get(), 2, 2);
    auto second = MakeTarget(device_.Get(), 2, 2);
    ComPtr<ID2D1RenderTarget> firstAsTarget;
    ASSERT_EQ(S_OK, first.As(&firstAsTarget));

    // Two simulated device losses for the first target only, named through another interface.
    ASSERT_EQ(S_OK, control.failNextEndDraw(firstAsTarget.Get(), 2, kRecreateTarget));
    second->BeginDraw();
    EXPECT_EQ(S_OK, second->EndDraw(nullptr, nullptr));
    for (int i = 0; i < 2; ++i) {
        first->BeginDraw();
        EXPECT_EQ(kRecreateTarget, first->EndDraw(nullptr, nullptr));
    }
    first->BeginDraw();
    EXPECT_EQ(S_OK, first->EndDraw(nullptr, nullptr));
    // Aimed at any target: whichever ends next.
    ASSERT_EQ(S_OK, control.failNextEndDraw(nullptr, 1, E_FAIL));
    second->BeginDraw();
    EXPECT_EQ(E_FAIL, second->EndDraw(nullptr, nullptr));
    first->BeginDraw();
    EXPECT_EQ(S_OK, first->EndDraw(nullptr, nullptr));

    // The Nth fallible call from now and those after it: creations give no object, EndDraw its code;
    // EndDraw alone counts for its own set.
    const auto brushFails = [&] {
        ComPtr<ID2D1SolidColorBrush> brush;
        const D2D1_COLOR_F red = Color(1, 0, 0, 1);
        const HRESULT hr = first->CreateSolidColorBrush(&red, nullptr, &brush);
        EXPECT_EQ(FAILED(hr), brush == nullptr);
        return hr == E_OUTOFMEMORY;
    };
    const auto endDrawFails = [&] {
        first->BeginDraw();
        return first->EndDraw(nullptr, nullptr) == kRecreateTarget;
    };
    const UINT64 fallible = control.Counters().fallible;
    ASSERT_EQ(S_OK, control.failNthCall(SOFTD2D_CALLS_FALLIBLE, 2, 2, E_OUTOFMEMORY));
    EXPECT_EQ((std::vector<bool>{false, true, true, false}),
              (std::vector<bool>{brushFails(), brushFails(), brushFails(), brushFails()}));
    EXPECT_EQ(fallible + 4, control.Counters().fallible);
    ASSERT_EQ(S_OK, control.failNthCall(SOFTD2D_CALLS_END_DRAW, 2, UINT64_MAX, kRecreateTarget));
    EXPECT_FALSE(brushFails());
    EXPECT_EQ((std::vector<bool>{false, true, true}),
              (std::vector<bool>{endDrawFails(), endDrawFails(), endDrawFails()}));
    ASSERT_EQ(S_OK, control.failNthCall(SOFTD2D_CALLS_END_DRAW, 0, 0, kRecreateTarget)); // disarmed
    EXPECT_FALSE(endDrawFails());
    EXPECT_EQ(E_INVALIDARG, control.failNthCall(SOFTD2D_CALLS_FALLIBLE, 1, 1, S_OK));

    // A target that goes takes its pending failures with it.
    ASSERT_EQ(S_OK, control.failNextEndDraw(first.Get(), 1, E_FAIL));
    first.Reset();
    firstAsTarget.Reset();
    second->BeginDraw();
    EXPECT_EQ(S_OK, second->EndDraw(nullptr, nullptr));

    // The control's own rules: a failure code, a count and a known kind.
    EXPECT_EQ(E_INVALIDARG, control.failNextEndDraw(nullptr, 0, E_FAIL));
    EXPECT_EQ(E_INVALIDARG, control.failNextEndDraw(nullptr, 1, S_OK));
    EXPECT_EQ(E_INVALIDARG, control.failNextCreate(SOFTD2D_RESOURCE_KIND_COUNT, 1, E_FAIL));
    control.resetCounters();
    EXPECT_EQ(0u, control.Counters().endDraw);
}

}  // namespace
}  // namespace softd2d_test
