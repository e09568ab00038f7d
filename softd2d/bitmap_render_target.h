#pragma once
#include "render_target.h"

namespace softd2d {

// Offscreen target drawing into its own bitmap, which GetBitmap shares rather than copies.
class BitmapRenderTarget final : public RenderTarget<ID2D1BitmapRenderTarget> {
public:
    // A GDI-compatible premultiplied BGRA target of `size` pixels at 96 DPI.
    static HRESULT Create(Factory* factory, D2D1_SIZE_U size, ID2D1BitmapRenderTarget** out);

    HRESULT STDMETHODCALLTYPE GetBitmap(ID2D1Bitmap** bitmap) override;

private:
    using RenderTarget::RenderTarget;
};

}  // namespace softd2d
