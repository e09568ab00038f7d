// The demo's picture: a small application window composed from fills, clears, text and an
// off-screen surface copied in through an opacity mask, over a showcase of the other capabilities.
#pragma once

#include <Tessary.h>
#include <string>

namespace demo {

inline constexpr int32_t kWidth = 480;
inline constexpr int32_t kHeight = 448;

// What the picture shows beyond the window's own drawing.
struct Scene {
    std::wstring picture;     // the PNG the showcase decodes through WIC
    std::wstring privateFont; // the font file registered with Tessary_AddPrivateFont; empty when absent
    int recoveries = 0;       // device losses the host has recovered from
};

// Draws the interface in steps, presenting after each, so every step sends only what it changed.
// Returns false when a drawing call failed.
bool ComposeInterface(Class_ZkWindow* window, const Scene& scene);

// The showcase panel below the interface: a decoded image, its thumbnail and a faded copy, GDI+
// drawing, a label in the private font and the count of device-loss recoveries.
bool DrawShowcase(Class_ZkWindow* window, const Scene& scene);

// The window's shape: rounded corners and a round bite out of the bottom right, drawn with GDI+ on an
// off-screen surface and taken from its alpha; null on failure.
HRGN ShapeFromAlpha(Class_ZkWindow* window);

// Writes the showcase's picture, a 64 x 64 PNG, to `path` with WIC.
HRESULT WriteSamplePicture(const wchar_t* path);

// A font file of the fonts-liberation package that the host registers as a private font; empty when
// the package is not installed.
std::wstring FindPrivateFontFile();

// An off-screen surface of the window's device, or an image decoded from `path` when one is given;
// null on failure. The caller releases it.
Class_ZkGraphicSurface* NewSurface(Class_ZkWindow* window, int32_t width, int32_t height,
                                   const wchar_t* path = nullptr);

} // namespace demo
