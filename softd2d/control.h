#pragma once
// Bookkeeping behind the test control API: call counters and queued failures.
#include <windows.h>

#include "include/softd2d_control.h"

namespace softd2d {

enum class Call {
    BeginDraw,
    EndDraw,
    Clear,
    FillRectangle,
    DrawBitmap,
    FillOpacityMask,
    PushAxisAlignedClip,
    PopAxisAlignedClip,
    Fallible,
};

void CountCall(Call call);

// Each fallible call takes its failure, if one is armed, through exactly one of these three, which
// also count it.

// The failure armed for this fallible call (GetDC, ReleaseDC, copies, D2D1CreateFactory), or S_OK.
HRESULT TakeCallFailure();

// The failure queued or armed for this creation of `kind`, consuming it, or S_OK.
HRESULT TakeCreateFailure(SoftD2DResourceKind kind);

// The failure queued or armed for this EndDraw of the render target whose IUnknown is `target`,
// consuming it, or S_OK.
HRESULT TakeEndDrawFailure(IUnknown* target);

// Drops failures queued for a render target that is going away, so a later object at the
// same address does not inherit them.
void ForgetTarget(IUnknown* target);

}  // namespace softd2d
