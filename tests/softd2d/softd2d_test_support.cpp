#include "softd2d_test_support.h"


namespace softd2d_test {

ComPtr<ID2D1Factory> MakeFactory() {
    ComPtr<ID2D1Factory> factory;
    EXPECT_EQ(S_OK, D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, __uuidof(ID2D1Factory), nullptr,
                                      reinterpret_cast<void**>(factory.GetAddressOf())));
    return factory;
}

ComPtr<ID2D1DCRenderTarget> MakeDevice(ID2D1Factory* factory) {
    const D2D1_RENDER_TARGET_PROPERTIES properties = {
        D2D1_RENDER_TARGET_TYPE_HARDWARE, {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED}, 0, 0,
        D2D1_RENDER_TARGET_USAGE_GDI_COMPATIBLE, D2D1_FEATURE_LEVEL_DEFAULT};
    ComPtr<ID2D1DCRenderTarget> device;
    EXPECT_EQ(S_OK, factory->CreateDCRenderTarget(&properties, &device));
    return device;
}

ComPtr<ID2D1BitmapRenderTarget> MakeTarget(ID2D1RenderTarget* parent, UINT32 width, UINT32 height) {
    const D2D1_SIZE_F size = {float(width), float(height)};
    const D2D1_SIZE_U pixels = {width, height};
    const D2D1_PIXEL_FORMAT format = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
    ComPtr<ID2D1BitmapRenderTarget> target;
    EXPECT_EQ(S_OK, parent->CreateCompatibleRenderTarget(&size, &pixels, &format,
                                                         D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE, &target));
    return target;
}

ComPtr<ID2D1SolidColorBrush> MakeBrush(ID2D1RenderTarget* target, const D2D1_COLOR_F& color) {
    ComPtr<ID2D1SolidColorBrush> brush;
    EXPECT_EQ(S_OK, target->CreateSolidColorBrush(&color, nullptr, &brush));
    return brush;
}

ComPtr<ID2D1Bitmap> MakeBitmap(ID2D1RenderTarget* target, UINT32 width, UINT32 height,
                               const std::vector<uint32_t>& pixels) {
    const D2D1_BITMAP_PROPERTIES properties = {{DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED}, 0, 0};
    ComPtr<ID2D1Bitmap> bitmap;
    EXPECT_EQ(S_OK, target->CreateBitmap({width, height}, pixels.data(), width * 4, &properties, &bitmap));
    return bitmap;
}

ComPtr<ID2D1Bitmap> MakeMask(ID2D1RenderTarget* target, UINT32 width, UINT32 height,
                             const std::vector<uint8_t>& alpha) {
    const D2D1_BITMAP_PROPERTIES properties = {{DXGI_FORMAT_A8_UNORM, D2D1_ALPHA_MODE_STRAIGHT}, 0, 0};
    ComPtr<ID2D1Bitmap> mask;
    EXPECT_EQ(S_OK, target->CreateBitmap({width, height}, alpha.data(), width, &properties, &mask));
    return mask;
}

void Fill(ID2D1BitmapRenderTarget* target, uint32_t pixel) {
    const float a = (pixel >> 24) / 255.0f;
    auto channel = [&](int shift) { return a > 0 ? ((pixel >> shift) & 0xff) / 255.0f / a : 0.0f; };
    const D2D1_COLOR_F color = {channel(16), channel(8), channel(0), a};
    target->BeginDraw();
    target->Clear(&color);
    ASSERT_EQ(S_OK, target->EndDraw(nullptr, nullptr));
}

void SoftD2DTest::SetUp() {
    if (GetControl().Present()) liveBefore_ = GetControl().liveObjectCount();
    factory_ = MakeFactory();
    ASSERT_TRUE(factory_);
    device_ = MakeDevice(factory_.Get());
    ASSERT_TRUE(device_);
}

void SoftD2DTest::TearDown() {
    device_.Reset();
    factory_.Reset();
    if (GetControl().Present()) {
        GetControl().clearFailures();
        EXPECT_EQ(liveBefore_, GetControl().liveObjectCount()) << "COM objects leaked";
    }
}

}  // namespace softd2d_test
