// From the host's font to a cached DirectWrite format and a layout's pixel bounds.
#include "text/layout_cache.h"
#include "text/text_format_cache.h"
#include "text/text_layout.h"
#include "text_test_support.h"
#include <string>

using namespace text_test;
using tessary::TextFormatCache;

namespace {

using TextLayout = TextTest;

} // namespace

TEST(TextKeysAndBounds, KeyIsFaceThenHeightWeightItalic)
{
    EXPECT_EQ(tessary::FormatKey(Described(L"Arial", 13, 700, 255)), L"Arial13,700,255") << "italic as its byte";
    // Decorations are drawn per layout, so they share the format.
    LOGFONTW decorated = Described(L"Arial", -13, 400);
    decorated.lfUnderline = decorated.lfStrikeOut = 1;
    EXPECT_EQ(tessary::FormatKey(decorated), L"Arial-13,400,0");
    // A face name that fills all 32 characters has no NUL of its own.
    LOGFONTW full = Described(L"", 1);
    std::fill(std::begin(full.lfFaceName), std::end(full.lfFaceName), L'F');
    EXPECT_EQ(tessary::FormatKey(full), std::wstring(32, L'F') + L"1,400,0");
}

TEST_F(TextLayout, HostFontsBecomeLogFontsAndFailuresAreRecorded)
{
    LOGFONTW system{};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof system, &system);

    auto bold = HostFont(kKnownFamily, 20, Gdiplus::FontStyleBoldItalic);
    ASSERT_EQ(bold->GetLastStatus(), Gdiplus::Ok);
    const LOGFONTW described = tessary::LogFontOf(bold.get());
    EXPECT_STREQ(described.lfFaceName, kKnownFamily);
    EXPECT_EQ(std::tuple(described.lfHeight, described.lfWeight, described.lfItalic != 0), std::tuple(-20L, 700L, true))
        << "a 20-pixel em is a character height of 20, bold, italic";

    // A font object whose creation failed has no native font: its status records GDI+'s refusal
    // and SYSTEM_FONT stands in, as for no font at all (checked through MeasureText).
    Gdiplus::Font broken(L"Tessary No Such Family", 20, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    ASSERT_FALSE(broken.IsAvailable());
    const LOGFONTW fallback = tessary::LogFontOf(&broken);
    EXPECT_EQ(broken.GetLastStatus(), Gdiplus::InvalidParameter);
    EXPECT_STREQ(fallback.lfFaceName, system.lfFaceName);
}

TEST_F(TextLayout, FormatsAreCachedPerKeyAndSizedByAbsoluteHeightAndLayoutsPerFormatAndText)
{
    IDWriteTextFormat* negative = tessary::AcquireTextFormat(Described(kKnownFamily, -20));
    IDWriteTextFormat* positive = tessary::AcquireTextFormat(Described(kKnownFamily, 20));
    ASSERT_TRUE(negative && positive);
    EXPECT_NE(negative, positive);
    EXPECT_EQ(TextFormatCache().size(), 2u) << "two keys";
    EXPECT_TRUE(negative->GetFontSize() == 20.0f && positive->GetFontSize() == 20.0f);

    LOGFONTW italic = Described(kKnownFamily, -20, 700, 1);
    IDWriteTextFormat* boldItalic = tessary::AcquireTextFormat(italic);
    ASSERT_NE(boldItalic, nullptr);
    EXPECT_EQ(std::pair(boldItalic->GetFontWeight(), boldItalic->GetFontStyle()),
              std::pair(DWRITE_FONT_WEIGHT_BOLD, DWRITE_FONT_STYLE_ITALIC));
    wchar_t locale[256] = {};
    boldItalic->GetLocaleName(locale, 256);
    // Wine's DirectWrite lowercases the locale name it keeps; Windows keeps it as given.
    EXPECT_EQ(_wcsicmp(locale, tessary::Context().userLocale), 0) << locale;

    // A hit hands out another reference to the same format; the cache keeps its own.
    italic.lfUnderline = 1;
    IDWriteTextFormat* again = tessary::AcquireTextFormat(italic);
    EXPECT_EQ(again, boldItalic);
    EXPECT_EQ(TextFormatCache().size(), 3u);
    for (IDWriteTextFormat* format : {negative, positive, boldItalic, again})
        format->Release();
    EXPECT_EQ(TextFormatCache().begin()->second->AddRef(), 2u);
    TextFormatCache().begin()->second->Release();

    // DirectWrite refuses a size of 0: nothing is cached.
    EXPECT_EQ(tessary::AcquireTextFormat(Described(kKnownFamily, 0)), nullptr);
    EXPECT_EQ(TextFormatCache().size(), 3u);

    // Layouts are reused per format, text and decorations until the formats are released.
    const LOGFONTW plain = Described(kKnownFamily, -20);
    LOGFONTW underlined = plain;
    underlined.lfUnderline = 1;
    RECT first{}, repeated{}, decorated{};
    IDWriteTextLayout* a = tessary::LayOutText(L"Label", plain, &first);
    IDWriteTextLayout* b = tessary::LayOutText(L"Label", plain, &repeated);
    IDWriteTextLayout* c = tessary::LayOutText(L"Label", underlined, &decorated);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a, b) << "the same text in the same format is laid out once";
    EXPECT_TRUE(EqualRect(&first, &repeated));
    BOOL hasUnderline = FALSE;
    c->GetUnderline(0, &hasUnderline, nullptr);
    EXPECT_TRUE(hasUnderline) << "underline is part of the key";
    EXPECT_EQ(tessary::CachedLayoutCount(), 2u);
    for (IDWriteTextLayout* layout : {a, b, c})
        layout->Release();

    // At most kCachedLayouts are kept, the least recently used going first; a key cached again keeps
    // its one entry and reference.
    IDWriteTextFormat* format = tessary::AcquireTextFormat(plain);
    ASSERT_NE(format, nullptr);
    for (size_t i = 0; i <= tessary::kCachedLayouts; ++i) {
        if (IDWriteTextLayout* layout = tessary::LayOutText(std::to_wstring(i).c_str(), plain, &first))
            layout->Release();
    }
    EXPECT_EQ(tessary::CachedLayoutCount(), tessary::kCachedLayouts);
    EXPECT_EQ(tessary::FindCachedLayout({format, false, false, L"0", 1}, &first), nullptr) << "the oldest went";
    IDWriteTextLayout* newest = tessary::FindCachedLayout({format, false, false, L"256", 3}, &first);
    ASSERT_NE(newest, nullptr);
    tessary::CacheLayout({format, false, false, L"256", 3}, newest, first);
    EXPECT_EQ(tessary::CachedLayoutCount(), tessary::kCachedLayouts);
    EXPECT_EQ(newest->Release(), 1u) << "only the cache's reference is left";
    format->Release();
    tessary::ReleaseAllTextFormats();
    EXPECT_EQ(tessary::CachedLayoutCount(), 0u);
}
