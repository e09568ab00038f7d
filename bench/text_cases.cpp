// Text and the small operations against GDI+ doing the same on a 320 x 240 PARGB bitmap, one run:
// DrawText of a repeated label, of labels never drawn before, and cold (text formats released);
// MeasureText cold and warm; FillRect of 100 x 30 translucent; DrawTo of a 64 x 48 surface.
#include "bench_host.h"
#include "frame/context.h"
#include "surface/geometry.h"
#include "text/text_format_cache.h"
#include "text/text_layout.h"
#include <cwchar>

namespace bench {

namespace {

constexpr int kWidth = 320, kHeight = 240;
constexpr int kRounds = 30;

void ReleaseTextFormats()
{
    tessary::GraphicsLockGuard lock;
    tessary::ReleaseAllTextFormats();
}

} // namespace

void TextAndSmallOperations()
{
    Class_ZkWindow* window = CreateWindowObject(kWidth, kHeight, L"bench text");
    Class_ZkGraphicSurface* surface = window ? CreateSurface(window, kWidth, kHeight) : nullptr;
    Class_ZkGraphicSurface* icon = window ? CreateSurface(window, 64, 48) : nullptr;
    if (!surface || !icon) {
        std::printf("text bench: no surface\n");
        return;
    }
    const RECT iconArea{0, 0, 64, 48};
    icon->FillRect(0xC0F08030, &iconArea);

    Gdiplus::Bitmap canvas(kWidth, kHeight, PixelFormat32bppPARGB);
    Gdiplus::Graphics graphics(&canvas);
    Gdiplus::Bitmap iconBitmap(64, 48, PixelFormat32bppPARGB);
    {
        Gdiplus::Graphics g(&iconBitmap);
        Gdiplus::SolidBrush brush(Gdiplus::Color(0xC0, 0x30, 0x80, 0xF0));
        g.FillRectangle(&brush, 0, 0, 64, 48);
    }
    const Gdiplus::Font font(L"Liberation Sans", 12, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    Gdiplus::SolidBrush textBrush(Gdiplus::Color(255, 20, 20, 20));
    Gdiplus::SolidBrush halfBrush(Gdiplus::Color(0x80, 0x40, 0x80, 0xFF));
    const wchar_t* label = L"Settings and privacy"; // 20 characters
    const POINT at{10, 10};
    const Gdiplus::PointF atF(10, 10);
    RECT bounds{};

    // Labels never drawn before: a fresh 20-character string for each call, on both sides.
    wchar_t fresh[32];
    unsigned counter = 0, gdiplusCounter = 0;

    Case drawWarm{"DrawText, repeated label", [&] { surface->DrawText(&at, 0xFF141414, label, &font, 0, 0, &bounds); }, 20};
    Case drawFresh{"DrawText, first-time label", [&] {
                       swprintf(fresh, 32, L"Label number %07u", counter++);
                       surface->DrawText(&at, 0xFF141414, fresh, &font, 0, 0, &bounds);
                   }, 10};
    Case drawCold{"DrawText, cold (after ReleaseTextFormats)", [&] {
                      ReleaseTextFormats();
                      surface->DrawText(&at, 0xFF141414, label, &font, 0, 0, &bounds);
                  }, 5};
    Case gdiplusDraw{"GDI+ DrawString", [&] { graphics.DrawString(label, -1, &font, atF, &textBrush); }, 10};
    Case gdiplusFresh{"GDI+ DrawString, first-time label", [&] {
                          swprintf(fresh, 32, L"Label number %07u", gdiplusCounter++);
                          graphics.DrawString(fresh, -1, &font, atF, &textBrush);
                      }, 10};
    Case measureWarm{"MeasureText, warm", [&] { surface->MeasureText(&bounds, label, &font); }, 20};
    Case measureCold{"MeasureText, cold", [&] {
                         ReleaseTextFormats();
                         surface->MeasureText(&bounds, label, &font);
                     }, 5};
    Gdiplus::RectF measured;
    Case gdiplusMeasure{"GDI+ MeasureString", [&] { graphics.MeasureString(label, -1, &font, atF, &measured); }, 10};

    const RECT fillArea{40, 60, 140, 90};
    Case fill{"FillRect 100 x 30, translucent", [&] { surface->FillRect(0x80FF8040, &fillArea); }, 200};
    Case gdiplusFill{"GDI+ FillRectangle", [&] { graphics.FillRectangle(&halfBrush, 40, 60, 100, 30); }, 50};
    const POINT iconAt{100, 100};
    Case drawTo{"DrawTo 64 x 48", [&] { icon->DrawTo(surface, &iconAt, nullptr, nullptr); }, 200};
    Case gdiplusImage{"GDI+ DrawImage 64 x 48", [&] { graphics.DrawImage(&iconBitmap, 100, 100); }, 100};

    // The softd2d calls the library makes for the same operations, on a target of the same kind whose
    // pass stays open as the surface's does: the library's own cost per call is the difference.
    ID2D1DCRenderTarget* rawDevice = nullptr;
    ID2D1BitmapRenderTarget* raw = CreateRawTarget(kWidth, kHeight, &rawDevice);
    ID2D1SolidColorBrush *rawText = nullptr, *rawHalf = nullptr;
    raw->CreateSolidColorBrush(tessary::ColourF(0xFF141414), &rawText);
    raw->CreateSolidColorBrush(tessary::ColourF(0x80FF8040), &rawHalf);
    ID2D1Bitmap* iconPicture = BitmapOf(icon);
    IDWriteTextLayout* layout = nullptr;
    {
        tessary::GraphicsLockGuard lock;
        layout = tessary::LayOutText(label, tessary::LogFontOf(&font), &bounds);
    }
    raw->BeginDraw();
    Case rawDraw{"raw DrawTextLayout", [&] { raw->DrawTextLayout(D2D1_POINT_2F{10, 10}, layout, rawText); }, 20};
    Case rawFill{"raw FillRectangle", [&] { raw->FillRectangle(D2D1_RECT_F{40, 60, 140, 90}, rawHalf); }, 200};
    const D2D1_RECT_F iconTo{100, 100, 164, 148}, iconFrom{0, 0, 64, 48};
    Case rawBitmap{"raw DrawBitmap", [&] {
                       raw->DrawBitmap(iconPicture, iconTo, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &iconFrom);
                   }, 200};

    Measure({&rawDraw, &rawFill, &rawBitmap, &drawWarm, &drawFresh, &drawCold, &gdiplusDraw, &gdiplusFresh, &measureWarm, &measureCold,
             &gdiplusMeasure, &fill, &gdiplusFill, &drawTo, &gdiplusImage},
            kRounds);

    Section("Text and small operations (320 x 240 surface, 12 px Liberation Sans; GDI+ on a PARGB bitmap)");
    Row(drawWarm.name.c_str(), drawWarm.best, gdiplusDraw.best, "GDI+ DrawString", 1.0 / 3.0);
    Row(drawFresh.name.c_str(), drawFresh.best, gdiplusFresh.best, "GDI+ DrawString", 1.0);
    Row(drawCold.name.c_str(), drawCold.best, gdiplusDraw.best, "GDI+ DrawString", 0);
    Row(measureWarm.name.c_str(), measureWarm.best, gdiplusMeasure.best, "GDI+ MeasureStr.", 0);
    Row(measureCold.name.c_str(), measureCold.best, gdiplusMeasure.best, "GDI+ MeasureStr.", 0);
    Row(fill.name.c_str(), fill.best, gdiplusFill.best, "GDI+ FillRect.", 0.1);
    Row(drawTo.name.c_str(), drawTo.best, gdiplusImage.best, "GDI+ DrawImage", 0.6);
    Section("The same calls against the raw softd2d calls the library makes for them");
    Row(drawWarm.name.c_str(), drawWarm.best, rawDraw.best, rawDraw.name.c_str(), 0);
    Row(fill.name.c_str(), fill.best, rawFill.best, rawFill.name.c_str(), 0);
    Row(drawTo.name.c_str(), drawTo.best, rawBitmap.best, rawBitmap.name.c_str(), 0);

    raw->EndDraw();
    layout->Release();
    iconPicture->Release();
    rawText->Release();
    rawHalf->Release();
    raw->Release();
    rawDevice->Release();

    ReleaseSurface(icon);
    ReleaseSurface(surface);
    ReleaseWindow(window);
}

} // namespace bench
