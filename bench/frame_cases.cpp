// A typical interface frame on a 1280 x 800 window, drawn three ways in one run: through Tessary,
// through GDI+ on a DIB presented with UpdateLayeredWindowIndirect, and through the raw softd2d calls
// Tessary makes for it (the library's own overhead is the difference). The frame: a rectangular clip
// region, 60 fills, 25 surface copies (10 plain, 8 with opacity, 4 through opacity masks, 3 scaled),
// 40 labels of 20 characters, and one Present of what changed.
#include "bench_host.h"
#include "frame/context.h"
#include "surface/geometry.h"
#include "text/text_layout.h"
#include "window/dirty_rectangles.h"
#include <cwchar>

namespace bench {

namespace {

constexpr int kWidth = 1280, kHeight = 800;
constexpr int kFills = 60, kCopies = 25, kLabels = 40;
constexpr RECT kClip{4, 4, kWidth - 4, kHeight - 4};

RECT FillRectOf(int i) { return RECT{20 + (i % 6) * 200, 40 + (i / 6) * 72, 20 + (i % 6) * 200 + 180, 40 + (i / 6) * 72 + 28}; }
uint32_t FillColourOf(int i) { return i % 3 == 0 ? 0x80D08A3A : 0xFF000000 | (0x203040u * (i % 7 + 1)); }
POINT CopyPointOf(int i) { return POINT{30 + (i % 5) * 240, 90 + (i / 5) * 140}; }
POINT LabelPointOf(int i) { return POINT{28 + (i % 5) * 250, 20 + (i / 5) * 96}; }

void LabelText(int i, wchar_t* text) { swprintf(text, 32, L"Interface label %04d", i); }

// The library's clip region, icon sources and labels.
struct TessaryFrame {
    Class_ZkWindow* window = nullptr;
    Class_ZkGraphicSurface* icons[3] = {}; // plain 64 x 48, masked 64 x 48, card 96 x 64
    wchar_t labels[kLabels][32];
};

void DrawTessaryFrame(TessaryFrame& f, const Gdiplus::Font& font, uint32_t phase)
{
    Class_ZkWindow* w = f.window;
    for (int i = 0; i < kFills; ++i) {
        const RECT r = FillRectOf(i);
        w->FillRect(FillColourOf(i + phase), &r);
    }
    for (int i = 0; i < kCopies; ++i) {
        const POINT at = CopyPointOf(i);
        if (i < 10)
            f.icons[0]->DrawTo(w, &at, nullptr, nullptr);
        else if (i < 18)
            f.icons[2]->DrawToAlpha(160, w, &at, nullptr, nullptr);
        else if (i < 22)
            f.icons[1]->DrawTo(w, &at, nullptr, nullptr);
        else
            f.icons[0]->DrawToScaled(w, &at, 2.0, 2.0, nullptr, nullptr);
    }
    for (int i = 0; i < kLabels; ++i) {
        const POINT at = LabelPointOf(i);
        w->DrawText(&at, 0xFFFFFFFF, f.labels[i], &font, 0, 0, nullptr);
    }
    w->Present();
}

// The same frame in GDI+ on a PARGB DIB, then the changed rectangle to a layered window.
struct GdiplusFrame {
    Dib dib{kWidth, kHeight};
    Gdiplus::Bitmap* canvas = nullptr;
    Gdiplus::Graphics* graphics = nullptr;
    Gdiplus::Bitmap* icons[3] = {};
    Gdiplus::ImageAttributes faded;
    HWND window = nullptr;
    wchar_t labels[kLabels][32];
};

void DrawGdiplusFrame(GdiplusFrame& f, const Gdiplus::Font& font, uint32_t phase)
{
    Gdiplus::Graphics& g = *f.graphics;
    for (int i = 0; i < kFills; ++i) {
        const RECT r = FillRectOf(i);
        const uint32_t c = FillColourOf(i + phase);
        Gdiplus::SolidBrush brush(Gdiplus::Color(c >> 24, c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        g.FillRectangle(&brush, int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top));
    }
    for (int i = 0; i < kCopies; ++i) {
        const POINT at = CopyPointOf(i);
        if (i < 10) {
            g.DrawImage(f.icons[0], int(at.x), int(at.y));
        } else if (i < 18) {
            const Gdiplus::Rect to(at.x, at.y, 96, 64);
            g.DrawImage(f.icons[2], to, 0, 0, 96, 64, Gdiplus::UnitPixel, &f.faded);
        } else if (i < 22) {
            g.DrawImage(f.icons[1], int(at.x), int(at.y)); // the mask is already in its alpha
        } else {
            g.DrawImage(f.icons[0], Gdiplus::Rect(at.x, at.y, 128, 96));
        }
    }
    Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
    for (int i = 0; i < kLabels; ++i) {
        const POINT at = LabelPointOf(i);
        g.DrawString(f.labels[i], -1, &font, Gdiplus::PointF(float(at.x), float(at.y)), &white);
    }
    g.Flush(Gdiplus::FlushIntentionSync);
    SIZE size{kWidth, kHeight};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UPDATELAYEREDWINDOWINFO info{sizeof(info), nullptr, nullptr, &size, f.dib.dc, &source, 0, &blend, ULW_ALPHA, &kClip};
    TimedUpdateLayeredWindowIndirect(f.window, &info);
}

// The softd2d calls Tessary makes for the frame, made directly: fills already clipped, bitmaps of the
// icon targets, layouts made once, then the interop DC to UpdateLayeredWindowIndirect.
struct RawFrame {
    ID2D1DCRenderTarget* device = nullptr;
    ID2D1BitmapRenderTarget* target = nullptr;
    ID2D1Bitmap* icons[3] = {};
    ID2D1SolidColorBrush* brush = nullptr;
    IDWriteTextLayout* labels[kLabels] = {};
    HWND window = nullptr;
};

void DrawRawFrame(RawFrame& f, uint32_t phase)
{
    ID2D1BitmapRenderTarget* t = f.target;
    t->BeginDraw();
    for (int i = 0; i < kFills; ++i) {
        const RECT r = FillRectOf(i);
        f.brush->SetColor(tessary::ColourF(FillColourOf(i + phase)));
        t->FillRectangle(D2D1_RECT_F{float(r.left), float(r.top), float(r.right), float(r.bottom)}, f.brush);
    }
    for (int i = 0; i < kCopies; ++i) {
        const POINT at = CopyPointOf(i);
        const int which = i < 10 ? 0 : i < 18 ? 2 : i < 22 ? 1 : 0;
        const float w = which == 2 ? 96.0f : 64.0f, h = which == 2 ? 64.0f : 48.0f, k = i >= 22 ? 2.0f : 1.0f;
        const D2D1_RECT_F to{float(at.x), float(at.y), at.x + w * k, at.y + h * k};
        const D2D1_RECT_F from{0, 0, w, h};
        t->DrawBitmap(f.icons[which], to, i >= 10 && i < 18 ? 160.0f / 255.0f : 1.0f,
                      D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &from);
    }
    f.brush->SetColor(D2D1_COLOR_F{1, 1, 1, 1});
    for (int i = 0; i < kLabels; ++i) {
        const POINT at = LabelPointOf(i);
        t->DrawTextLayout(D2D1_POINT_2F{float(at.x), float(at.y)}, f.labels[i], f.brush, D2D1_DRAW_TEXT_OPTIONS_NONE);
    }
    t->EndDraw();
    PresentRaw(t, f.window, SIZE{kWidth, kHeight}, kClip);
}

} // namespace

void WholeFrame()
{
    const Gdiplus::Font font(L"Liberation Sans", 12, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    const int iconSizes[3][2] = {{64, 48}, {64, 48}, {96, 64}};

    TessaryFrame ours;
    ours.window = CreateWindowObject(kWidth, kHeight, L"bench frame");
    if (!ours.window) {
        std::printf("frame bench: no window\n");
        return;
    }
    for (int i = 0; i < 3; ++i) {
        ours.icons[i] = CreateSurface(ours.window, iconSizes[i][0], iconSizes[i][1]);
        const RECT all{0, 0, iconSizes[i][0], iconSizes[i][1]};
        ours.icons[i]->FillRect(0xC0F08030 + i * 0x101010, &all);
    }
    // The masked icon fades from left to right through its opacity mask.
    uint8_t* bits = nullptr;
    int32_t mw = 0, mh = 0, stride = 0;
    const RECT maskArea{0, 0, 64, 48};
    if (ours.icons[1]->LockAlphaMask(&maskArea, &bits, &mw, &mh, &stride) == 0) {
        for (int32_t y = 0; y < mh; ++y)
            for (int32_t x = 0; x < mw; ++x)
                bits[y * stride + x] = uint8_t(255 - x * 3);
        ours.icons[1]->UnlockAlphaMask();
    }
    Class_ZkRegion clip = MakeRegion(CreateRectRgn(kClip.left, kClip.top, kClip.right, kClip.bottom));
    ours.window->SetClipRegion(&clip);
    for (int i = 0; i < kLabels; ++i)
        LabelText(i, ours.labels[i]);

    GdiplusFrame gdiplus;
    gdiplus.canvas = new Gdiplus::Bitmap(kWidth, kHeight, kWidth * 4, PixelFormat32bppPARGB,
                                         reinterpret_cast<BYTE*>(gdiplus.dib.pixels));
    gdiplus.graphics = new Gdiplus::Graphics(gdiplus.canvas);
    gdiplus.graphics->SetClip(Gdiplus::Rect(kClip.left, kClip.top, kClip.right - kClip.left, kClip.bottom - kClip.top));
    for (int i = 0; i < 3; ++i) {
        gdiplus.icons[i] = new Gdiplus::Bitmap(iconSizes[i][0], iconSizes[i][1], PixelFormat32bppPARGB);
        Gdiplus::Graphics g(gdiplus.icons[i]);
        Gdiplus::SolidBrush brush(Gdiplus::Color(0xC0, 0x30, 0x80, 0xF0));
        g.FillRectangle(&brush, 0, 0, iconSizes[i][0], iconSizes[i][1]);
    }
    Gdiplus::ColorMatrix fade{{{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 160.0f / 255.0f, 0}, {0, 0, 0, 0, 1}}};
    gdiplus.faded.SetColorMatrix(&fade);
    gdiplus.window = CreatePlainLayeredWindow(kWidth, kHeight);
    for (int i = 0; i < kLabels; ++i)
        LabelText(i, gdiplus.labels[i]);

    RawFrame raw;
    raw.target = CreateRawTarget(kWidth, kHeight, &raw.device);
    for (int i = 0; i < 3; ++i)
        raw.icons[i] = BitmapOf(ours.icons[i]);
    raw.target->CreateSolidColorBrush(D2D1_COLOR_F{1, 1, 1, 1}, &raw.brush);
    const LOGFONTW logFont = tessary::LogFontOf(&font);
    for (int i = 0; i < kLabels; ++i) {
        RECT bounds;
        tessary::GraphicsLockGuard lock;
        raw.labels[i] = tessary::LayOutText(ours.labels[i], logFont, &bounds);
    }
    raw.window = CreatePlainLayeredWindow(kWidth, kHeight);

    uint32_t phase = 0;
    Case tessaryCase{"Tessary frame", [&] { DrawTessaryFrame(ours, font, ++phase); }};
    Case gdiplusCase{"GDI+ frame", [&] { DrawGdiplusFrame(gdiplus, font, ++phase); }};
    Case rawCase{"raw softd2d frame", [&] { DrawRawFrame(raw, ++phase); }};
    Measure({&tessaryCase, &gdiplusCase, &rawCase}, 3);
    // Our own side over many rounds: UpdateLayeredWindowIndirect is answered without the system.
    Case tessaryOwn = tessaryCase, gdiplusOwn = gdiplusCase, rawOwn = rawCase;
    for (Case* c : {&tessaryOwn, &gdiplusOwn, &rawOwn})
        c->best = c->bestOwn = 1e30;
    SkipUpdates(true);
    Measure({&tessaryOwn, &gdiplusOwn, &rawOwn}, 80);
    SkipUpdates(false);

    Section("Whole frame, 1280 x 800: 60 fills, 25 copies, 40 labels, a clip region, one Present");
    std::printf("  UpdateLayeredWindowIndirect calls per frame: Tessary %.0f (at most %zu), GDI+ %.0f, raw softd2d %.0f.\n"
                "  'own' answers those calls without the system.\n",
                tessaryCase.updateCalls, tessary::window::kMaxCallsPerPresent, gdiplusCase.updateCalls,
                rawCase.updateCalls);
    FactorRow("Tessary calls per frame", tessaryCase.updateCalls, double(tessary::window::kMaxCallsPerPresent),
              "the most allowed", 1.0);
    Row("Tessary frame, own", tessaryOwn.best, gdiplusOwn.best, "GDI+ frame, own", 0.2);
    Row("Tessary frame, own", tessaryOwn.best, rawOwn.best, "raw softd2d, own", 1.15);
    Row("Tessary frame, end to end", tessaryCase.best, gdiplusCase.best, "GDI+ end to end", 0.5);
    Row("Tessary frame, end to end", tessaryCase.best, rawCase.best, "raw end to end", 1.25);

    for (IDWriteTextLayout* layout : raw.labels)
        if (layout)
            layout->Release();
    for (ID2D1Bitmap* bitmap : raw.icons)
        if (bitmap)
            bitmap->Release();
    raw.brush->Release();
    raw.target->Release();
    raw.device->Release();
    DestroyWindow(raw.window);
    for (Gdiplus::Bitmap* bitmap : gdiplus.icons)
        delete bitmap;
    delete gdiplus.graphics;
    delete gdiplus.canvas;
    DestroyWindow(gdiplus.window);
    DeleteRegion(clip);
    for (Class_ZkGraphicSurface* icon : ours.icons)
        ReleaseSurface(icon);
    ReleaseWindow(ours.window);
}

} // namespace bench
