#include "text_rendering.h"

#include "com_base.h"

namespace softd2d {

namespace {

using DWriteCreateFactoryFn = HRESULT(WINAPI*)(DWRITE_FACTORY_TYPE, REFIID, IUnknown**);

// Replays one layout for one drawing call, on the caller's stack for the length of
// IDWriteTextLayout::Draw, which holds no reference beyond it.
class LayoutRenderer final : public IDWriteTextRenderer {
public:
    LayoutRenderer(ID2D1RenderTarget* target, ID2D1Brush* brush) : target_(target), brush_(brush) {}

    // It lives on the stack: the count is not kept.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        const bool known = riid == IID_IUnknown || riid == __uuidof(IDWritePixelSnapping) ||
                           riid == __uuidof(IDWriteTextRenderer);
        *out = known ? static_cast<IDWriteTextRenderer*>(this) : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // Snapped, untransformed, one pixel per DIP: how Tessary's targets draw. Only DirectWrite calls
    // these, always with valid pointers.
    HRESULT STDMETHODCALLTYPE IsPixelSnappingDisabled(void*, BOOL* disabled) override {
        *disabled = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentTransform(void*, DWRITE_MATRIX* transform) override {
        *transform = {1, 0, 0, 1, 0, 0};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelsPerDip(void*, FLOAT* pixelsPerDip) override {
        *pixelsPerDip = 1;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE DrawGlyphRun(void*, FLOAT x, FLOAT y, DWRITE_MEASURING_MODE measuring,
                                           const DWRITE_GLYPH_RUN* run, const DWRITE_GLYPH_RUN_DESCRIPTION*,
                                           IUnknown* effect) override {
        if (Refused(effect)) return refused_;
        target_->DrawGlyphRun(D2D1_POINT_2F{x, y}, run, brush_, measuring);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawUnderline(void*, FLOAT x, FLOAT y, const DWRITE_UNDERLINE* underline,
                                            IUnknown* effect) override {
        return FillLine(x, y, underline->width, underline->offset, underline->thickness, underline->readingDirection,
                        effect);
    }
    HRESULT STDMETHODCALLTYPE DrawStrikethrough(void*, FLOAT x, FLOAT y, const DWRITE_STRIKETHROUGH* strikethrough,
                                                IUnknown* effect) override {
        return FillLine(x, y, strikethrough->width, strikethrough->offset, strikethrough->thickness,
                        strikethrough->readingDirection, effect);
    }
    HRESULT STDMETHODCALLTYPE DrawInlineObject(void*, FLOAT, FLOAT, IDWriteInlineObject*, BOOL, BOOL, IUnknown*) override {
        refused_ = Hr(D2DERR_UNSUPPORTED_OPERATION);
        return refused_;
    }

    // D2DERR_UNSUPPORTED_OPERATION once anything of the layout was refused: DirectWrite does not always
    // pass the renderer's failures on.
    HRESULT Refusal() const { return refused_; }

private:
    bool Refused(IUnknown* effect) {
        if (effect) refused_ = Hr(D2DERR_UNSUPPORTED_OPERATION);
        return effect != nullptr;
    }
    // Decorations start at the run's origin and run with its reading direction.
    HRESULT FillLine(FLOAT x, FLOAT y, FLOAT width, FLOAT offset, FLOAT thickness, DWRITE_READING_DIRECTION direction,
                     IUnknown* effect) {
        if (Refused(effect)) return refused_;
        const FLOAT left = direction == DWRITE_READING_DIRECTION_RIGHT_TO_LEFT ? x - width : x;
        const D2D1_RECT_F line{left, y + offset, left + width, y + offset + thickness};
        target_->FillRectangle(&line, brush_);
        return S_OK;
    }

    ID2D1RenderTarget* target_;
    ID2D1Brush* brush_;
    HRESULT refused_ = S_OK;
};

}  // namespace

// Never released: at unload dwrite.dll may already be gone, and the shared factory lives for the
// process anyway.
IDWriteFactory* SharedDWriteFactory() {
    static SRWLOCK lock = SRWLOCK_INIT;
    static IDWriteFactory* factory = nullptr;
    AcquireSRWLockExclusive(&lock);
    if (!factory) {
        // dwrite.dll stays loaded with the factory.
        const HMODULE dwrite = LoadLibraryW(L"dwrite.dll");
        const auto create = dwrite ? reinterpret_cast<DWriteCreateFactoryFn>(reinterpret_cast<void*>(
                                         GetProcAddress(dwrite, "DWriteCreateFactory")))
                                   : nullptr;
        IUnknown* created = nullptr;
        if (create && SUCCEEDED(create(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory), &created)))
            factory = static_cast<IDWriteFactory*>(created);
    }
    IDWriteFactory* result = factory;
    ReleaseSRWLockExclusive(&lock);
    return result;
}

HRESULT GlyphCoverage::Rasterize(IDWriteFactory* factory, GlyphCache& glyphs, const DWRITE_GLYPH_RUN& run,
                                 D2D1_POINT_2F origin, DWRITE_MEASURING_MODE measuring, const RECT& limit) {
    surface_ = {};
    const HRESULT hr = glyphs.Compose(factory, run, origin, measuring, limit, &bounds_, &alpha_);
    if (FAILED(hr) || Empty()) return hr;
    surface_.bits = alpha_.data();
    surface_.width = static_cast<int>(bounds_.right - bounds_.left);
    surface_.height = static_cast<int>(bounds_.bottom - bounds_.top);
    surface_.stride = static_cast<ptrdiff_t>(surface_.width);
    surface_.bytesPerPixel = 1;
    return S_OK;
}

HRESULT DrawLayoutOn(ID2D1RenderTarget* target, D2D1_POINT_2F origin, IDWriteTextLayout* layout, ID2D1Brush* brush) {
    LayoutRenderer renderer(target, brush);
    const HRESULT hr = layout->Draw(nullptr, &renderer, origin.x, origin.y);
    return FAILED(hr) ? hr : renderer.Refusal();
}

}  // namespace softd2d
