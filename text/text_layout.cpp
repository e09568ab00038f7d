#include "text/text_layout.h"
#include "frame/context.h"
#include "surface/geometry.h"
#include "text/font_resolution.h"
#include "text/layout_cache.h"
#include "text/text_format_cache.h"
#include <gdiplus.h>
#include <cmath>
#include <cstdlib>
#include <cwchar>

namespace tessary {

namespace {

// The GDI+ wrapper classes hold the native pointer first and the last status second; the library reads
// and writes them as the wrappers' own inline methods do.
struct GdiplusWrapperFields {
    void* native;
    Gdiplus::Status lastStatus;
};
static_assert(sizeof(Gdiplus::Font) == sizeof(GdiplusWrapperFields));
static_assert(sizeof(Gdiplus::Graphics) == sizeof(GdiplusWrapperFields));

GdiplusWrapperFields& FieldsOf(const void* wrapper)
{
    return *const_cast<GdiplusWrapperFields*>(static_cast<const GdiplusWrapperFields*>(wrapper));
}

LOGFONTW SystemFontDescription()
{
    LOGFONTW font{};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(LOGFONTW), &font);
    return font;
}

constexpr float kLayoutBox = 65536.0f;

} // namespace

LOGFONTW LogFontOf(const Gdiplus::Font* font) noexcept
{
    if (!font)
        return SystemFontDescription();
    const Gdiplus::Graphics* graphics = Context().fontGraphics;
    auto* nativeGraphics = graphics ? static_cast<Gdiplus::GpGraphics*>(FieldsOf(graphics).native) : nullptr;
    LOGFONTW description{};
    const Gdiplus::Status status = Gdiplus::DllExports::GdipGetLogFontW(
        static_cast<Gdiplus::GpFont*>(FieldsOf(font).native), nativeGraphics, &description);
    if (status == Gdiplus::Ok)
        return description;
    FieldsOf(font).lastStatus = status;
    return SystemFontDescription();
}

std::wstring FormatKey(const LOGFONTW& font)
{
    std::wstring key;
    WriteFormatKey(font, key);
    return key;
}

void WriteFormatKey(const LOGFONTW& font, std::wstring& key)
{
    // Written out by hand: this runs for every string drawn or measured, and swprintf costs more
    // than the rest of the cache lookup.
    const auto append = [](std::wstring& to, long long value) {
        wchar_t digits[24];
        int count = 0;
        unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value) : value;
        do {
            digits[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
        if (value < 0)
            to += L'-';
        while (count)
            to += digits[--count];
    };
    const size_t faceLength = wcsnlen(font.lfFaceName, LF_FACESIZE);
    key.reserve(faceLength + 24);
    key.assign(font.lfFaceName, faceLength);
    append(key, font.lfHeight);
    key += L',';
    append(key, font.lfWeight);
    key += L',';
    append(key, static_cast<uint8_t>(font.lfItalic));
}

IDWriteTextFormat* AcquireTextFormat(const LOGFONTW& font) noexcept
{
    IDWriteFactory* factory = Context().dwriteFactory;
    if (!factory)
        return nullptr;
    try {
        // Under GraphicsLock: one key buffer serves every lookup, and only a new format copies it.
        static std::wstring key;
        WriteFormatKey(font, key);
        TextFormatMap& cache = TextFormatCache();
        if (auto found = cache.find(key); found != cache.end()) {
            found->second->AddRef();
            return found->second;
        }
        // The face name must be NUL-terminated for DirectWrite even when all 32 characters are used.
        wchar_t family[LF_FACESIZE + 1] = {};
        wmemcpy(family, font.lfFaceName, wcsnlen(font.lfFaceName, LF_FACESIZE));
        IDWriteFontCollection* collection = nullptr;
        if (IsFontFamilyMissingFromGdi(family))
            CreatePrivateFontCollection(&collection); // on failure the system collection is used
        IDWriteTextFormat* format = nullptr;
        const HRESULT hr = factory->CreateTextFormat(
            family, collection, static_cast<DWRITE_FONT_WEIGHT>(font.lfWeight),
            font.lfItalic ? DWRITE_FONT_STYLE_ITALIC : DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
            static_cast<float>(std::abs(static_cast<long long>(font.lfHeight))), Context().userLocale, &format);
        if (collection)
            collection->Release(); // the format holds its own reference
        if (FAILED(hr) || !format)
            return nullptr;
        try {
            cache.emplace(key, format);
        } catch (...) {
            format->Release();
            return nullptr;
        }
        format->AddRef(); // the cache keeps one reference, the caller gets the other
        return format;
    } catch (...) {
        return nullptr;
    }
}

RECT TextBoundsOf(const DWRITE_TEXT_METRICS& metrics) noexcept
{
    return RECT{TruncateToI32(std::floor(metrics.left)), TruncateToI32(std::floor(metrics.top)),
                TruncateToI32(std::ceil(metrics.left + metrics.widthIncludingTrailingWhitespace)),
                TruncateToI32(std::ceil(metrics.top + metrics.height))};
}

IDWriteTextLayout* LayOutText(const wchar_t* text, const LOGFONTW& font, RECT* bounds) noexcept
{
    IDWriteTextFormat* format = AcquireTextFormat(font);
    if (!format)
        return nullptr;
    const UINT32 length = static_cast<UINT32>(wcslen(text));
    const LayoutKey key{format, font.lfUnderline != 0, font.lfStrikeOut != 0, text, length};
    IDWriteTextLayout* layout = FindCachedLayout(key, bounds);
    if (!layout) {
        const HRESULT hr =
            Context().dwriteFactory->CreateTextLayout(text, length, format, kLayoutBox, kLayoutBox, &layout);
        if (SUCCEEDED(hr) && layout) {
            const DWRITE_TEXT_RANGE whole{0, length};
            if (key.strikeout)
                layout->SetStrikethrough(TRUE, whole);
            if (key.underline)
                layout->SetUnderline(TRUE, whole);
            DWRITE_TEXT_METRICS metrics{};
            layout->GetMetrics(&metrics);
            *bounds = TextBoundsOf(metrics);
            CacheLayout(key, layout, *bounds);
        } else {
            layout = nullptr;
        }
    }
    format->Release(); // the layout keeps what it needs of the format; the format cache keeps the format
    return layout;
}

} // namespace tessary
