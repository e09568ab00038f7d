// NOT DONE: drawing slots whose operations are still being built (text). Until each lands, the slot
// refuses with its failure result and changes nothing, so the class links and every other operation
// can be used. Delete each definition here when its real one arrives.
#include "surface/surface.h"

uint32_t Class_ZkGraphicSurfaceD2D::DrawText(const POINT*, uint32_t, const wchar_t*, const Gdiplus::Font*, uintptr_t,
                                             uintptr_t, RECT*)
{
    return ZK_FAIL;
}

uint32_t Class_ZkGraphicSurfaceD2D::MeasureText(RECT*, const wchar_t*, const Gdiplus::Font*) { return ZK_FAIL; }
