// From the host's GDI+ font and string to a DirectWrite layout and its pixel bounds, through the
// process-wide TextFormatCache. Everything here runs with GraphicsLock held and throws nothing.
#pragma once

#include <windows.h>
#include <dwrite.h>
#include <string>

namespace Gdiplus {
class Font;
}

namespace tessary {

// The font as the font graphics sees it, or SYSTEM_FONT's for no font. A GDI+ failure is recorded in
// the font object's status and the SYSTEM_FONT description is used instead.
LOGFONTW LogFontOf(const Gdiplus::Font* font) noexcept;

// The face name directly followed by "height,weight,italic". Underline and strikeout are left out: they
// are applied per layout, so fonts differing only in them share a format.
std::wstring FormatKey(const LOGFONTW& font);
// The same key written over `key`, whose storage is reused: no allocation once it has grown.
void WriteFormatKey(const LOGFONTW& font, std::wstring& key);

// The format for the font from TextFormatCache, created and cached on a miss, with one reference for
// the caller; null when DirectWrite refuses the font (nothing is cached then).
IDWriteTextFormat* AcquireTextFormat(const LOGFONTW& font) noexcept;

// floor of left and top, ceiling of right and bottom; trailing white space counts toward the width.
RECT TextBoundsOf(const DWRITE_TEXT_METRICS& metrics) noexcept;

// A layout of `text` in a 65536 x 65536 box with the font's strikeout and underline, and its bounds;
// null (bounds untouched) when no format or no layout can be had.
IDWriteTextLayout* LayOutText(const wchar_t* text, const LOGFONTW& font, RECT* bounds) noexcept;

} // namespace tessary
