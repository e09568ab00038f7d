#include "dc_render_target.h"

#include <cmath>

#include "factory.h"

namespace softd2d {

HRESULT DCRenderTarget::Create(Factory* factory, const D2D1_RENDER_TARGET_PROPERTIES& properties, ID2D1DCRenderTarget** out) {
    D2D1_PIXEL_FORMAT format = properties.pixelFormat;
    if (format.format == DXGI_FORMAT_UNKNOWN) format.format = DXGI_FORMAT_B8G8R8A8_UNORM;
    if (format.format != DXGI_FORMAT_B8G8R8A8_UNORM ||
        (format.alphaMode != D2D1_ALPHA_MODE_PREMULTIPLIED && format.alphaMode != D2D1_ALPHA_MODE_IGNORE))
        return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);
    if (static_cast<unsigned>(properties.type) > D2D1_RENDER_TARGET_TYPE_HARDWARE ||
        (properties.usage & ~(D2D1_RENDER_TARGET_USAGE_FORCE_BITMAP_REMOTING | D2D1_RENDER_TARGET_USAGE_GDI_COMPATIBLE)))
        return E_INVALIDARG;
    const FLOAT dpiX = properties.dpiX, dpiY = properties.dpiY;
    if (!std::isfinite(dpiX) || !std::isfinite(dpiY) || dpiX < 0 || dpiY < 0 || (dpiX == 0) != (dpiY == 0))
        return E_INVALIDARG;
    const bool gdi = (properties.usage & D2D1_RENDER_TARGET_USAGE_GDI_COMPATIBLE) != 0;
    DCRenderTarget* target = new (std::nothrow)
        DCRenderTarget(factory, format, dpiX == 0 ? 96.0f : dpiX, dpiY == 0 ? 96.0f : dpiY, gdi);
    if (!target) return E_OUTOFMEMORY;
    *out = target;
    return S_OK;
}

// Tessary's DC target is only the device its own targets are made from; it is never bound.
HRESULT DCRenderTarget::BindDC(const HDC, const RECT*) { return Hr(D2DERR_UNSUPPORTED_OPERATION); }

}  // namespace softd2d
