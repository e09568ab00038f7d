#pragma once
#include "render_target.h"

namespace softd2d {

// Draws into its own pixels and copies them to the bound DC at EndDraw. Until BindDC it has
// no pixels: drawing passes succeed and change nothing, and it still creates resources and
// compatible targets.
class DCRenderTarget final : public RenderTarget<ID2D1DCRenderTarget> {
public:
    static HRESULT Create(Factory* factory, const D2D1_RENDER_TARGET_PROPERTIES& properties, ID2D1DCRenderTarget** out);

    HRESULT STDMETHODCALLTYPE BindDC(const HDC hdc, const RECT* subRect) override;

private:
    using RenderTarget::RenderTarget;

    // The DC's current content is what the pass draws over.
    void OnBeginDraw() override;
    HRESULT OnEndDraw() override;
    // Copies between the bound DC and the pixels.
    bool Transfer(bool toDc);

    HDC boundDc_ = nullptr;
    POINT origin_ = {};
};

}  // namespace softd2d
