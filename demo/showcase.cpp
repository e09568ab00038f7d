// The showcase panel and the window's shape: what a host does with images, scaled and faded copies,
// GDI+ drawing, private fonts and alpha regions.
#include "interface.h"
#include "screenshot.h"
#include <gdiplus.h>
#include <string>
#include <vector>

namespace demo {

namespace {

constexpr uint32_t kCaption = 0xFF3A3530; // 0xAABBGGRR
constexpr uint32_t kLight = 0xFFFFFFFF;
constexpr int32_t kPicture = 64;

bool Caption(Class_ZkGraphicSurface* s, POINT at, uint32_t colour, const wchar_t* text, const Gdiplus::Font& font)
{
    return s->DrawText(&at, colour, text, &font, 0, 0, nullptr) == 0;
}

// A pie and a curve drawn by GDI+ into a surface's bitmap; the surface takes the pixels at its next pass.
bool DrawWithGdiplus(Class_ZkWindow* w, POINT at)
{
    Class_ZkGraphicSurface* canvas = NewSurface(w, 96, kPicture);
    Gdiplus::Bitmap* bitmap = canvas ? canvas->GetGdiplusBitmap() : nullptr;
    bool ok = bitmap != nullptr;
    if (ok) {
        Gdiplus::Graphics graphics(bitmap);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        graphics.Clear(Gdiplus::Color(255, 0xEE, 0xF0, 0xF2)); // opaque, so straight and premultiplied agree
        Gdiplus::SolidBrush orange(Gdiplus::Color(255, 0xF0, 0x8A, 0x3A)), blue(Gdiplus::Color(255, 0x3A, 0x6E, 0xD0));
        graphics.FillPie(&orange, 4, 4, 56, 56, -90.0f, 250.0f);
        graphics.FillPie(&blue, 4, 4, 56, 56, 160.0f, 110.0f);
        Gdiplus::Pen pen(Gdiplus::Color(255, 0x5A, 0xC2, 0x7A), 4.0f);
        const Gdiplus::Point curve[] = {{62, 56}, {72, 20}, {82, 44}, {92, 8}};
        graphics.DrawCurve(&pen, curve, 4);
        ok = graphics.GetLastStatus() == Gdiplus::Ok;
    }
    ok = ok && canvas->DrawTo(w, &at, nullptr, nullptr) == 0;
    if (canvas)
        canvas->Release();
    return ok;
}

} // namespace

bool DrawShowcase(Class_ZkWindow* w, const Scene& scene)
{
    const Gdiplus::Font caption(L"Liberation Sans", 11, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    bool ok = true;
    // The PNG decoded through WIC, then a half-size thumbnail and a faded copy of it.
    Class_ZkGraphicSurface* picture = NewSurface(w, 0, 0, scene.picture.c_str());
    const POINT image{148, 330}, thumbnail{226, 346}, faded{272, 330};
    ok &= picture && picture->DrawTo(w, &image, nullptr, nullptr) == 0;
    ok &= picture && picture->DrawToScaled(w, &thumbnail, 0.5, 0.5, nullptr, nullptr) == 0;
    ok &= picture && picture->DrawToAlpha(80, w, &faded, nullptr, nullptr) == 0;
    if (picture)
        picture->Release();
    ok &= DrawWithGdiplus(w, POINT{352, 330});
    ok &= Caption(w, POINT{148, 404}, kCaption, L"WIC PNG", caption);
    ok &= Caption(w, POINT{222, 404}, kCaption, L"0.5\u00D7", caption);
    ok &= Caption(w, POINT{280, 404}, kCaption, L"faded", caption);
    ok &= Caption(w, POINT{378, 404}, kCaption, L"GDI+", caption);

    // The private font's label, in the family the host registered; Liberation Sans says when it is absent.
    const Gdiplus::Font serif(L"Liberation Serif", 17, Gdiplus::FontStyleBoldItalic, Gdiplus::UnitPixel);
    ok &= Caption(w, POINT{14, 330}, kLight, scene.privateFont.empty() ? L"(no font)" : L"Private font", serif);
    const std::wstring recovered = L"Device lost " + std::to_wstring(scene.recoveries) + L"\u00D7,";
    ok &= Caption(w, POINT{14, 392}, kLight, recovered.c_str(), caption);
    ok &= Caption(w, POINT{14, 406}, kLight, L"rebuilt and redrawn", caption);
    return ok;
}

HRGN ShapeFromAlpha(Class_ZkWindow* w)
{
    Class_ZkGraphicSurface* mask = NewSurface(w, kWidth, kHeight);
    Gdiplus::Bitmap* bitmap = mask ? mask->GetGdiplusBitmap() : nullptr;
    HRGN region = nullptr;
    if (bitmap) {
        Gdiplus::Graphics graphics(bitmap);
        graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
        Gdiplus::GraphicsPath outline;
        const int r = 24;
        outline.AddArc(0, 0, 2 * r, 2 * r, 180.0f, 90.0f);
        outline.AddArc(kWidth - 2 * r, 0, 2 * r, 2 * r, 270.0f, 90.0f);
        outline.AddArc(kWidth - 2 * r, kHeight - 2 * r, 2 * r, 2 * r, 0.0f, 90.0f);
        outline.AddArc(0, kHeight - 2 * r, 2 * r, 2 * r, 90.0f, 90.0f);
        outline.CloseFigure();
        Gdiplus::SolidBrush opaque(Gdiplus::Color(255, 255, 255, 255));
        graphics.FillPath(&opaque, &outline);
        // A round bite out of the bottom-right corner, so the shape is plainly not a rectangle.
        graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        Gdiplus::SolidBrush clear(Gdiplus::Color(0, 0, 0, 0));
        graphics.FillEllipse(&clear, kWidth - 60, kHeight - 60, 120, 120);
        region = mask->CreateAlphaRegion(127, nullptr);
    }
    if (mask)
        mask->Release();
    return region;
}

HRESULT WriteSamplePicture(const wchar_t* path)
{
    // A colour gradient crossed by a white ring: easy to recognise at full size, halved and faded.
    std::vector<BYTE> pixels(size_t(kPicture) * kPicture * 4);
    for (int y = 0; y < kPicture; ++y)
        for (int x = 0; x < kPicture; ++x) {
            BYTE* p = &pixels[(size_t(y) * kPicture + x) * 4];
            const int dx = x - 32, dy = y - 32, distance = dx * dx + dy * dy;
            const bool ring = distance >= 18 * 18 && distance < 24 * 24;
            p[0] = ring ? 255 : BYTE(200 - y * 2); // blue
            p[1] = ring ? 255 : BYTE(x * 3);       // green
            p[2] = ring ? 255 : BYTE(60 + y * 3);  // red
            p[3] = 255;
        }
    return WritePng(path, kPicture, kPicture, pixels.data());
}

std::wstring FindPrivateFontFile()
{
    // Debian's fonts-liberation, seen through Wine's Z: drive; on Windows a host ships its own file.
    const wchar_t* path = L"Z:\\usr\\share\\fonts\\truetype\\liberation\\LiberationSerif-BoldItalic.ttf";
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES ? path : std::wstring();
}

} // namespace demo
