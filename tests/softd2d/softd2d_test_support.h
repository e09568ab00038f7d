#pragma once
// Helpers shared by the softd2d tests: objects created the way Tessary creates them, and
// pixels read back through GDI interop, the one window Direct2D gives onto a target.
#include <gtest/gtest.h>
#include <windows.h>
#include <d2d1.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

#include "support/readback.h"
#include "support/softd2d_control.h"

namespace softd2d_test {

using Microsoft::WRL::ComPtr;

constexpr HRESULT kWrongState = static_cast<HRESULT>(D2DERR_WRONG_STATE);
constexpr HRESULT kUnsupported = static_cast<HRESULT>(D2DERR_UNSUPPORTED_OPERATION);
constexpr HRESULT kRecreateTarget = static_cast<HRESULT>(D2DERR_RECREATE_TARGET);
constexpr HRESULT kMaxTextureSize = static_cast<HRESULT>(D2DERR_MAX_TEXTURE_SIZE_EXCEEDED);

inline constexpr uint32_t Bgra(uint32_t b, uint32_t g, uint32_t r, uint32_t a) {
    return b | (g << 8) | (r << 16) | (a << 24);
}

inline D2D1_COLOR_F Color(float r, float g, float b, float a) { return {r, g, b, a}; }
inline D2D1_RECT_F Rect(float left, float top, float right, float bottom) { return {left, top, right, bottom}; }

// The control API of the loaded d2d1.dll; entries stay null with another Direct2D.
using Control = tessary_test::SoftD2DControl;
inline const Control& GetControl() { return tessary_test::SoftD2D(); }

ComPtr<ID2D1Factory> MakeFactory();
// The window target Tessary makes: a GDI-compatible DC target that is never bound.
ComPtr<ID2D1DCRenderTarget> MakeDevice(ID2D1Factory* factory);
// An own target as Tessary makes it: GDI compatible, 96 DPI, premultiplied BGRA.
ComPtr<ID2D1BitmapRenderTarget> MakeTarget(ID2D1RenderTarget* parent, UINT32 width, UINT32 height);
ComPtr<ID2D1SolidColorBrush> MakeBrush(ID2D1RenderTarget* target, const D2D1_COLOR_F& color);
// A heap bitmap holding `pixels` (premultiplied BGRA, width * height of them).
ComPtr<ID2D1Bitmap> MakeBitmap(ID2D1RenderTarget* target, UINT32 width, UINT32 height,
                               const std::vector<uint32_t>& pixels);
ComPtr<ID2D1Bitmap> MakeMask(ID2D1RenderTarget* target, UINT32 width, UINT32 height,
                             const std::vector<uint8_t>& alpha);

// Runs `draw` in one drawing pass of `target` and returns what EndDraw reports.
template <class Draw>
HRESULT Pass(ID2D1RenderTarget* target, Draw draw) {
    target->BeginDraw();
    draw();
    return target->EndDraw(nullptr, nullptr);
}

// Runs one drawing pass that clears the whole target to `pixel`, opaque or transparent black.
void Fill(ID2D1BitmapRenderTarget* target, uint32_t pixel);
// A target's pixels, row by row, read inside a drawing pass through GetDC, and their comparison.
using tessary_test::ReadPixels, tessary_test::PixelsMatch;

// Base of the tests: a factory and the device target, and a check that every COM object
// the test made is gone once it ends.
class SoftD2DTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ComPtr<ID2D1Factory> factory_;
    ComPtr<ID2D1DCRenderTarget> device_;

private:
    LONG liveBefore_ = 0;
};

}  // namespace softd2d_test
