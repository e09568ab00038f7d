#include "interface.h"

namespace demo {

namespace {

// Colours as hosts pass them: 0xAABBGGRR, straight alpha.
constexpr uint32_t kBackground = 0xFF2B2622;
constexpr uint32_t kTitleBar = 0xFF8A4F1E;
constexpr uint32_t kClose = 0xFF3C3CE0;
constexpr uint32_t kSidebar = 0xFF3A3530;
constexpr uint32_t kItem = 0xFF554E47;
constexpr uint32_t kSelected = 0xFFD08A3A;
constexpr uint32_t kCard = 0xFFF2F0EE;
constexpr uint32_t kTrack = 0xFFD6D2CE;
constexpr uint32_t kProgress = 0xFF5AC27A;
constexpr uint32_t kAccent = 0xFF3AA6F0;
constexpr uint32_t kShade = 0x60000000; // translucent black, blended over what is there

bool Fill(Class_ZkWindow* w, uint32_t colour, RECT r) { return w->FillRect(colour, &r) == 0; }
bool Clear(Class_ZkWindow* w, uint32_t colour, RECT r) { return w->ClearRect(&r, colour) == 0; }

} // namespace

bool ComposeInterface(Class_ZkWindow* w)
{
    bool ok = true;
    // Frame: background, title bar with its close button, sidebar.
    ok &= Fill(w, kBackground, RECT{0, 0, kWidth, kHeight});
    ok &= Fill(w, kTitleBar, RECT{0, 0, kWidth, 36});
    ok &= Fill(w, kClose, RECT{kWidth - 36, 8, kWidth - 12, 28});
    ok &= Fill(w, kSidebar, RECT{0, 36, 120, kHeight});
    ok &= w->Present() == 0;

    // Sidebar items, one selected; each is its own dirty rectangle.
    for (int i = 0; i < 4; ++i)
        ok &= Fill(w, i == 1 ? kSelected : kItem, RECT{12, 52 + i * 34, 108, 78 + i * 34});
    ok &= w->Present() == 0;

    // Content: a card with a progress bar made by clearing parts of its track, and two tiles with a
    // translucent shade blended over their lower halves.
    ok &= Fill(w, kCard, RECT{136, 52, 464, 150});
    ok &= Fill(w, kTrack, RECT{152, 112, 448, 128});
    ok &= Clear(w, kProgress, RECT{152, 112, 340, 128});
    ok &= Fill(w, kAccent, RECT{152, 68, 260, 92});
    ok &= Fill(w, kAccent, RECT{136, 166, 292, 304});
    ok &= Fill(w, kSelected, RECT{308, 166, 464, 304});
    ok &= Fill(w, kShade, RECT{136, 240, 464, 304});
    // A hole cleared to transparent: the window is see-through there.
    ok &= Clear(w, 0, RECT{368, 196, 404, 232});
    ok &= w->Present() == 0;
    return ok;
}

} // namespace demo
