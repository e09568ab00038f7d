#include "interface.h"
#include <gdiplus.h>

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

constexpr uint32_t kText = 0xFFFFFFFF;
constexpr uint32_t kDarkText = 0xFF3A3530;

bool Fill(Class_ZkGraphicSurface* s, uint32_t colour, RECT r) { return s->FillRect(colour, &r) == 0; }
bool Clear(Class_ZkGraphicSurface* s, uint32_t colour, RECT r) { return s->ClearRect(&r, colour) == 0; }

bool Text(Class_ZkGraphicSurface* s, POINT at, uint32_t colour, const wchar_t* text, const Gdiplus::Font& font)
{
    return s->DrawText(&at, colour, text, &font, 0, 0, nullptr) == 0;
}

// A badge drawn off screen, faded from left to right through its opacity mask, then copied into the
// window at `at`: only the badge's rectangle joins the window's update region.
bool DrawBadge(Class_ZkWindow* w, POINT at, const Gdiplus::Font& font)
{
    const int32_t width = 112, height = 28;
    Class_ZkGraphicSurface* badge = NewSurface(w, width, height);
    bool ok = badge && Fill(badge, kAccent, RECT{0, 0, width, height}) &&
              Text(badge, POINT{10, 6}, kText, L"Composed", font);

    const RECT all{0, 0, width, height};
    uint8_t* bits = nullptr;
    int32_t maskWidth = 0, maskHeight = 0, stride = 0;
    if (ok && badge->LockAlphaMask(&all, &bits, &maskWidth, &maskHeight, &stride) == 0) {
        for (int32_t y = 0; y < maskHeight; ++y)
            for (int32_t x = 0; x < maskWidth; ++x)
                bits[y * stride + x] = static_cast<uint8_t>(255 - x * 160 / maskWidth);
        ok = badge->UnlockAlphaMask() == 0;
    }
    ok = ok && badge->DrawTo(w, &at, nullptr, nullptr) == 0;
    if (badge)
        badge->Release();
    return ok;
}

} // namespace

Class_ZkGraphicSurface* NewSurface(Class_ZkWindow* window, int32_t width, int32_t height, const wchar_t* path)
{
    void* raw = nullptr;
    if ((path ? CreateInstance_ZkImageD2D(&raw) : CreateInstance_ZkGraphicSurfaceD2D(&raw)) != 0)
        return nullptr;
    auto* object = static_cast<Class_QUOR*>(raw);
    Class_ZkGraphicSurface* surface = nullptr;
    object->QueryInterface(ZK_FOURCC_SURFACE, reinterpret_cast<void**>(&surface));
    object->Release(); // the interface's reference keeps the object
    const uint64_t key = reinterpret_cast<uint64_t>(window->GetWindowHandle());
    const ZkSurfaceCreateInfo surfaceRecord{ZK_FOURCC_SURFACE, sizeof(ZkSurfaceCreateInfo), 0, uint32_t(width),
                                            uint32_t(height), key};
    const ZkImageCreateInfo imageRecord{ZK_FOURCC_IMAGE, sizeof(ZkImageCreateInfo), 0, path, key};
    if (surface && surface->Create(path ? static_cast<const void*>(&imageRecord) : &surfaceRecord) != 0) {
        surface->Release();
        surface = nullptr;
    }
    return surface;
}

bool ComposeInterface(Class_ZkWindow* w, const Scene& scene)
{
    bool ok = true;
    // Frame: background, title bar with its close button, sidebar.
    ok &= Fill(w, kBackground, RECT{0, 0, kWidth, kHeight});
    ok &= Fill(w, kTitleBar, RECT{0, 0, kWidth, 36});
    ok &= Fill(w, kClose, RECT{kWidth - 36, 8, kWidth - 12, 28});
    ok &= Fill(w, kSidebar, RECT{0, 36, 120, kHeight});
    ok &= Fill(w, kCard, RECT{136, 320, 464, 436});
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

    // Text through GDI+ fonts, and a badge composed off screen and copied in.
    const Gdiplus::Font title(L"Liberation Sans", 15, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
    const Gdiplus::Font label(L"Liberation Sans", 13, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    ok &= Text(w, POINT{14, 9}, kText, L"Tessary", title);
    const wchar_t* items[] = {L"Inbox", L"Projects", L"Archive", L"Settings"};
    for (int i = 0; i < 4; ++i)
        ok &= Text(w, POINT{22, 57 + i * 34}, kText, items[i], label);
    ok &= Text(w, POINT{152, 94}, kDarkText, L"Uploading assets", label);
    ok &= DrawBadge(w, POINT{336, 66}, label);
    ok &= w->Present() == 0;

    ok &= DrawShowcase(w, scene);
    ok &= w->Present() == 0;
    return ok;
}

} // namespace demo
