// LayoutCache: the layouts of recently drawn or measured strings, so that a label drawn every frame
// is laid out once. DrawText and MeasureText lay out in the same fixed box, at no origin and with no
// clip, so a layout is decided by its format, its text and the font's underline and strikeout alone:
// those make the key. Bounded, least recently used first out; emptied with the text formats. Under
// GraphicsLock.
#pragma once

#include <windows.h>
#include <dwrite.h>
#include <cstddef>

namespace tessary {

struct LayoutKey {
    IDWriteTextFormat* format; // from TextFormatCache, alive while the layout cache holds it
    bool underline;
    bool strikeout;
    const wchar_t* text;
    size_t length;
};

// How many layouts are kept.
constexpr size_t kCachedLayouts = 256;

// The cached layout with one reference for the caller and its bounds in *bounds, or null.
IDWriteTextLayout* FindCachedLayout(const LayoutKey& key, RECT* bounds) noexcept;
// Keeps `layout` (adding a reference) and its bounds under the key; a failure only skips the caching.
void CacheLayout(const LayoutKey& key, IDWriteTextLayout* layout, const RECT& bounds) noexcept;
// Releases every cached layout.
void ReleaseCachedLayouts() noexcept;
size_t CachedLayoutCount() noexcept;

} // namespace tessary
