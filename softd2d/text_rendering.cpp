#include "text_rendering.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "com_base.h"

namespace softd2d {

namespace {

using DWriteCreateFactoryFn = HRESULT(WINAPI*)(DWRITE_FACTORY_TYPE, REFIID, IUnknown**);

int ClampToInt(double v) {
    if (!(v > -1e9)) return -1000000000;
    if (v > 1e9) return 1000000000;
    return static_cast<int>(v);
}

// Replays one layout for one drawing call. It lives on the caller's stack for the length of
// IDWriteTextLayout::Draw, which holds no reference beyond it, so its count never frees it.
class LayoutRenderer final : public IDWriteTextRenderer {
public:
    LayoutRenderer(ID2D1RenderTarget* target, ID2D1Brush* brush, D2D1_DRAW_TEXT_OPTIONS options)
        : target_(target), brush_(brush), options_(options) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == __uuidof(IDWritePixelSnapping) || riid == __uuidof(IDWriteTextRenderer)) {
            *out = static_cast<IDWriteTextRenderer*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&refs_)); }

    HRESULT STDMETHODCALLTYPE IsPixelSnappingDisabled(void*, BOOL* disabled) override {
        if (!disabled) return E_POINTER;
        *disabled = (options_ & D2D1_DRAW_TEXT_OPTIONS_NO_SNAP) != 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentTransform(void*, DWRITE_MATRIX* transform) override {
        if (!transform) return E_POINTER;
        D2D1_MATRIX_3X2_F m;
        target_->GetTransform(&m);
        *transform = {m._11, m._12, m._21, m._22, m._31, m._32};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelsPerDip(void*, FLOAT* pixelsPerDip) override {
        if (!pixelsPerDip) return E_POINTER;
        FLOAT dpiX = 96, dpiY = 96;
        target_->GetDpi(&dpiX, &dpiY);
        *pixelsPerDip = dpiX / 96.0f;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE DrawGlyphRun(void*, FLOAT x, FLOAT y, DWRITE_MEASURING_MODE measuring,
                                           const DWRITE_GLYPH_RUN* run, const DWRITE_GLYPH_RUN_DESCRIPTION*,
                                           IUnknown* effect) override {
        ComPtr<ID2D1Brush> brush = BrushFor(effect);
        target_->DrawGlyphRun(D2D1_POINT_2F{x, y}, run, brush.Get(), measuring);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawUnderline(void*, FLOAT x, FLOAT y, const DWRITE_UNDERLINE* underline,
                                            IUnknown* effect) override {
        if (!underline) return E_INVALIDARG;
        FillLine(x, y, underline->width, underline->offset, underline->thickness, underline->readingDirection, effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawStrikethrough(void*, FLOAT x, FLOAT y, const DWRITE_STRIKETHROUGH* strikethrough,
                                                IUnknown* effect) override {
        if (!strikethrough) return E_INVALIDARG;
        FillLine(x, y, strikethrough->width, strikethrough->offset, strikethrough->thickness,
                 strikethrough->readingDirection, effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawInlineObject(void* context, FLOAT x, FLOAT y, IDWriteInlineObject* object,
                                               BOOL sideways, BOOL rightToLeft, IUnknown* effect) override {
        if (!object) return E_INVALIDARG;
        return object->Draw(context, this, x, y, sideways, rightToLeft, effect);
    }

private:
    // A range's drawing effect that is a brush paints that range instead of the call's brush.
    ComPtr<ID2D1Brush> BrushFor(IUnknown* effect) const {
        ComPtr<ID2D1Brush> brush;
        if (effect) effect->QueryInterface(__uuidof(ID2D1Brush), reinterpret_cast<void**>(brush.Out()));
        if (!brush) brush.Assign(brush_);
        return brush;
    }
    // Decorations start at the run's origin and run with its reading direction.
    void FillLine(FLOAT x, FLOAT y, FLOAT width, FLOAT offset, FLOAT thickness, DWRITE_READING_DIRECTION direction,
                  IUnknown* effect) {
        const FLOAT left = direction == DWRITE_READING_DIRECTION_RIGHT_TO_LEFT ? x - width : x;
        const D2D1_RECT_F line{left, y + offset, left + width, y + offset + thickness};
        ComPtr<ID2D1Brush> brush = BrushFor(effect);
        target_->FillRectangle(&line, brush.Get());
    }

    ID2D1RenderTarget* target_;
    ID2D1Brush* brush_;
    D2D1_DRAW_TEXT_OPTIONS options_;
    LONG refs_ = 1;
};

}  // namespace

// Never released: at unload dwrite.dll may already be gone, and the shared factory lives for the
// process anyway.
IDWriteFactory* SharedDWriteFactory() {
    static SRWLOCK lock = SRWLOCK_INIT;
    static IDWriteFactory* factory = nullptr;
    AcquireSRWLockExclusive(&lock);
    if (!factory) {
        if (HMODULE dwrite = LoadLibraryW(L"dwrite.dll")) {
            auto create = reinterpret_cast<DWriteCreateFactoryFn>(
                reinterpret_cast<void*>(GetProcAddress(dwrite, "DWriteCreateFactory")));
            IUnknown* created = nullptr;
            if (create && SUCCEEDED(create(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory), &created)) && created)
                factory = static_cast<IDWriteFactory*>(created);
            else
                FreeLibrary(dwrite);
        }
    }
    IDWriteFactory* result = factory;
    ReleaseSRWLockExclusive(&lock);
    return result;
}

RECT OuterPixels(const RectD& r) {
    return {ClampToInt(std::floor(r.left)), ClampToInt(std::floor(r.top)), ClampToInt(std::ceil(r.right)),
            ClampToInt(std::ceil(r.bottom))};
}

ImageMapping GlyphCoverage::Mapping() const {
    ImageMapping m;
    m.image = &surface_;
    m.regionLeft = 0;
    m.regionTop = 0;
    m.regionRight = surface_.width;
    m.regionBottom = surface_.height;
    m.scaleX = m.scaleY = 1;
    m.offsetX = -double(bounds_.left);
    m.offsetY = -double(bounds_.top);
    m.linear = false;
    return m;
}

HRESULT GlyphCoverage::Rasterize(IDWriteFactory* factory, GlyphCache& glyphs, const DWRITE_GLYPH_RUN& run,
                                 D2D1_POINT_2F origin, const AxisMap& worldToDevice, DWRITE_MEASURING_MODE measuring,
                                 const RECT& limit) {
    bounds_ = {};
    alpha_.clear();
    surface_ = {};
    HRESULT hr = glyphs.Compose(factory, run, origin, worldToDevice, measuring, limit, &bounds_, &alpha_);
    if (hr == S_FALSE) hr = RasterizeWholeRun(factory, run, origin, worldToDevice, measuring, limit);
    if (FAILED(hr)) {
        bounds_ = {};
        alpha_.clear();
        return hr;
    }
    if (Empty()) return S_OK;
    surface_.bits = alpha_.data();
    surface_.width = static_cast<int>(bounds_.right - bounds_.left);
    surface_.height = static_cast<int>(bounds_.bottom - bounds_.top);
    surface_.stride = static_cast<ptrdiff_t>(surface_.width);
    surface_.bytesPerPixel = 1;
    return S_OK;
}

HRESULT GlyphCoverage::RasterizeWholeRun(IDWriteFactory* factory, const DWRITE_GLYPH_RUN& run, D2D1_POINT_2F origin,
                                         const AxisMap& worldToDevice, DWRITE_MEASURING_MODE measuring,
                                         const RECT& limit) {
    if (!factory) return E_FAIL;
    const DWRITE_RENDERING_MODE mode = DWRITE_RENDERING_MODE_NATURAL;
    const DWRITE_TEXTURE_TYPE texture = DWRITE_TEXTURE_CLEARTYPE_3x1;
    // The origin is in DIPs and goes through the transform with the glyphs; without scaling or
    // offset no transform is passed at all.
    const AxisMap& m = worldToDevice;
    const bool identity = m.scaleX == 1 && m.scaleY == 1 && m.offsetX == 0 && m.offsetY == 0;
    const DWRITE_MATRIX transform{float(m.scaleX), 0, 0, float(m.scaleY), float(m.offsetX), float(m.offsetY)};
    ComPtr<IDWriteGlyphRunAnalysis> analysis;
    HRESULT hr = factory->CreateGlyphRunAnalysis(&run, 1.0f, identity ? nullptr : &transform, mode, measuring,
                                                 origin.x, origin.y, analysis.Out());
    if (FAILED(hr)) return hr;
    if (!analysis) return E_FAIL;
    RECT full{};
    hr = analysis->GetAlphaTextureBounds(texture, &full);
    if (FAILED(hr)) return hr;
    // Only what can reach the target is asked for, so a huge run costs no more than the target.
    const RECT wanted{std::max(full.left, limit.left), std::max(full.top, limit.top),
                      std::min(full.right, limit.right), std::min(full.bottom, limit.bottom)};
    if (wanted.left >= wanted.right || wanted.top >= wanted.bottom) return S_OK;
    const size_t width = size_t(wanted.right - wanted.left), height = size_t(wanted.bottom - wanted.top);
    if (width * height > std::numeric_limits<UINT32>::max() / 3) return E_OUTOFMEMORY;
    std::vector<uint8_t> raw(width * height * 3);
    hr = analysis->CreateAlphaTexture(texture, &wanted, raw.data(), static_cast<UINT32>(raw.size()));
    if (FAILED(hr)) return hr;
    alpha_.resize(width * height);
    for (size_t i = 0; i < alpha_.size(); ++i)
        alpha_[i] = static_cast<uint8_t>((raw[3 * i] + raw[3 * i + 1] + raw[3 * i + 2] + 1) / 3);
    bounds_ = wanted;
    return S_OK;
}

HRESULT DrawLayoutOn(ID2D1RenderTarget* target, D2D1_POINT_2F origin, IDWriteTextLayout* layout, ID2D1Brush* brush,
                     D2D1_DRAW_TEXT_OPTIONS options) {
    LayoutRenderer renderer(target, brush, options);
    return layout->Draw(nullptr, &renderer, origin.x, origin.y);
}

}  // namespace softd2d
