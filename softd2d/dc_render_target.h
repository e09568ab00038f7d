#pragma once
#include "render_target.h"

namespace softd2d {

// The device target: it has no pixels and cannot be bound to a DC. Drawing passes succeed and
// change nothing; it creates resources and compatible targets.
class DCRenderTarget final : public RenderTarget<ID2D1DCRenderTarget> {
public:
    static HRESULT Create(Factory* factory, const D2D1_RENDER_TARGET_PROPERTIES& properties, ID2D1DCRenderTarget** out);

    HRESULT STDMETHODCALLTYPE BindDC(const HDC hdc, const RECT* subRect) override;

private:
    using RenderTarget::RenderTarget;
};

}  // namespace softd2d
