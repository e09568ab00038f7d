// DrawText and MeasureText: a string laid out with DirectWrite in the font the host describes, drawn in
// a solid colour on the own target or only measured. Both report success on every path past the
// created check, so a caller cannot tell a drawn string from one DirectWrite refused.
#include "frame/context.h"
#include "surface/surface.h"
#include "text/text_layout.h"

using namespace tessary;

namespace {

// Offsets a RECT with the i32 wrap-around of the arithmetic it stands for.
LONG Moved(LONG value, LONG by)
{
    return static_cast<LONG>(static_cast<uint32_t>(value) + static_cast<uint32_t>(by));
}

} // namespace

uint32_t Class_ZkGraphicSurfaceD2D::MeasureText(RECT* bounds, const wchar_t* text, const Gdiplus::Font* font)
{
    if (!createdFlag || !bounds || !text)
        return ZK_FAIL;
    GraphicsLockGuard lock;
    const LOGFONTW logFont = LogFontOf(font);
    if (IDWriteTextLayout* layout = LayOutText(text, logFont, bounds))
        layout->Release();
    return ZK_OK;
}

// The two pointer-sized arguments after the font are accepted and not read.
uint32_t Class_ZkGraphicSurfaceD2D::DrawText(const POINT* origin, uint32_t colour, const wchar_t* text,
                                             const Gdiplus::Font* font, uintptr_t, uintptr_t, RECT* bounds)
{
    if (!createdFlag || !origin || !text)
        return ZK_FAIL;
    GraphicsLockGuard lock;
    published = 0;
    const LOGFONTW logFont = LogFontOf(font);
    RECT textBounds{};
    IDWriteTextLayout* layout = LayOutText(text, logFont, &textBounds);
    if (!layout)
        return ZK_OK;
    // No clip is pushed: text is bounded by the target's edges, not by the clip region.
    if (ID2D1SolidColorBrush* brush = BrushForColour(colour); brush && ownTarget) {
        BeginDrawPass();
        ownTarget->DrawTextLayout(D2D1_POINT_2F{static_cast<float>(origin->x), static_cast<float>(origin->y)}, layout,
                                  brush, D2D1_DRAW_TEXT_OPTIONS_NONE);
    }
    layout->Release();
    if (bounds)
        *bounds = textBounds;
    // The bounds join the update region even when nothing could be drawn.
    modified = 1;
    AddToUpdateRegion(RECT{Moved(textBounds.left, origin->x), Moved(textBounds.top, origin->y),
                           Moved(textBounds.right, origin->x), Moved(textBounds.bottom, origin->y)});
    return ZK_OK;
}
