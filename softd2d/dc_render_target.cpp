#include "dc_render_target.h"

#include "factory.h"

namespace softd2d {

// Tessary's window target: premultiplied BGRA, GDI compatible, at the default DPI. Other targets are
// not made; the target type and feature level are hints and are not read.
HRESULT DCRenderTarget::Create(Factory* factory, const D2D1_RENDER_TARGET_PROPERTIES& properties, ID2D1DCRenderTarget** out) {
    if (!SameFormat(properties.pixelFormat, kTargetFormat)) return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);
    if (properties.usage != D2D1_RENDER_TARGET_USAGE_GDI_COMPATIBLE || !DefaultDpi(properties.dpiX, properties.dpiY))
        return Hr(D2DERR_UNSUPPORTED_OPERATION);
    DCRenderTarget* target = new (std::nothrow) DCRenderTarget(factory);
    if (!target) return E_OUTOFMEMORY;
    *out = target;
    return S_OK;
}

// Tessary's DC target is only the device its own targets are made from; it is never bound.
HRESULT DCRenderTarget::BindDC(const HDC, const RECT*) { return Hr(D2DERR_UNSUPPORTED_OPERATION); }

}  // namespace softd2d
