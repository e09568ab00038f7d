// DrawText and MeasureText on surfaces: bounds, the shared caches, the update region, and pixels read
// back from the own target.
#include "frame/context.h"
#include "text/text_format_cache.h"
#include "text/text_layout.h"
#include "text_test_support.h"
#include <algorithm>

using namespace surface_test;
using namespace text_test;
using tessary::TextFormatCache;

namespace {

class TextDrawing : public TextTest {
protected:
    void SetUp() override
    {
        TextTest::SetUp();
        font = HostFont(kKnownFamily, 24);
        ASSERT_EQ(font->GetLastStatus(), Gdiplus::Ok);
    }

    RECT Measure(Class_ZkGraphicSurfaceD2D* surface, const wchar_t* text, const Gdiplus::Font* with)
    {
        RECT bounds{-7, -7, -7, -7};
        EXPECT_EQ(surface->MeasureText(&bounds, text, with), ZK_OK);
        return bounds;
    }

    std::unique_ptr<Gdiplus::Font> font;
};

RECT Moved(RECT r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

} // namespace

TEST_F(TextDrawing, RefusalsAndMissingFormatsDrawNothing)
{
    Class_ZkGraphicSurfaceD2D* uncreated = NewUncreatedSurface();
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(50, 20);
    RECT bounds{-7, -7, -7, -7};
    const POINT origin{1, 1};
    for (uint32_t status : {uncreated->MeasureText(&bounds, L"x", font.get()),
                            uncreated->DrawText(&origin, 0xFF000000u, L"x", font.get(), 0, 0, &bounds),
                            surface->MeasureText(nullptr, L"x", font.get()), surface->MeasureText(&bounds, nullptr, font.get()),
                            surface->DrawText(nullptr, 0xFF000000u, L"x", font.get(), 0, 0, &bounds),
                            surface->DrawText(&origin, 0xFF000000u, nullptr, font.get(), 0, 0, &bounds)})
        EXPECT_EQ(status, ZK_FAIL);

    // No text format can be made (here: no DirectWrite at all): success, yet bounds, update region and
    // pixels stay as they were.
    surface->ClearRect(nullptr, 0);
    ForgetUpdates(surface);
    IDWriteFactory* factory = tessary::Context().dwriteFactory;
    tessary::Context().dwriteFactory = nullptr;
    const uint32_t measured = surface->MeasureText(&bounds, L"Ag", font.get());
    const uint32_t drawn = surface->DrawText(&origin, 0xFF000000u, L"Ag", font.get(), 0, 0, &bounds);
    tessary::Context().dwriteFactory = factory;
    EXPECT_EQ(std::pair(measured, drawn), std::pair(uint32_t(ZK_OK), uint32_t(ZK_OK)));
    EXPECT_EQ(bounds, (RECT{-7, -7, -7, -7}));
    EXPECT_EQ(surface->modified, 0u);
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {}));
    EXPECT_TRUE(PixelsAre(ReadPixels(surface), 50, 20, 0));
    EXPECT_TRUE(TextFormatCache().empty());
}

TEST_F(TextDrawing, UnderlineAndStrikeoutDrawLinesAcrossTheText)
{
    // "I  I" leaves a gap no glyph covers, so a row inked across most of the bounds is a decoration:
    // none for plain text, below the middle for the underline, above it for the strikeout.
    auto decorationRows = [&](int style) {
        Class_ZkGraphicSurfaceD2D* surface = NewSurface(120, 40);
        surface->ClearRect(nullptr, 0);
        auto styled = HostFont(kKnownFamily, 24, style);
        const POINT origin{0, 0};
        RECT bounds{};
        EXPECT_EQ(surface->DrawText(&origin, 0xFF000000u, L"I  I", styled.get(), 0, 0, &bounds), ZK_OK);
        const std::vector<uint32_t> pixels = ReadPixels(surface);
        std::vector<LONG> rows;
        for (LONG y = 0; y < 40; ++y) {
            int inked = 0;
            for (LONG x = 0; x < bounds.right; ++x)
                inked += At(pixels, 120, x, y) != 0;
            if (inked * 4 > bounds.right * 3)
                rows.push_back(y * 100 / bounds.bottom); // as a percentage of the line height
        }
        return rows;
    };
    EXPECT_TRUE(decorationRows(Gdiplus::FontStyleRegular).empty());
    const std::vector<LONG> underline = decorationRows(Gdiplus::FontStyleUnderline);
    const std::vector<LONG> strikeout = decorationRows(Gdiplus::FontStyleStrikeout);
    ASSERT_FALSE(underline.empty());
    ASSERT_FALSE(strikeout.empty());
    EXPECT_GT(underline.front(), 60);
    EXPECT_LT(strikeout.back(), 70);
    EXPECT_GT(strikeout.front(), 25);
    EXPECT_LT(strikeout.back(), underline.front());
}

TEST_F(TextDrawing, MeasuringFollowsTheTextAndShareFormatsAcrossDecorations)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(50, 50);
    const RECT one = Measure(surface, L"Ag", font.get());
    EXPECT_EQ(std::pair(one.left, one.top), std::pair(0L, 0L));
    EXPECT_GT(one.right, 10);
    EXPECT_GE(one.bottom, 24) << "a line is at least the em tall";
    EXPECT_EQ(TextFormatCache().size(), 1u);

    // Line breaks give more lines, one line height each; a single long line never wraps.
    const RECT two = Measure(surface, L"Ag\nAg", font.get());
    const RECT three = Measure(surface, L"Ag\r\nAg\nAg", font.get());
    EXPECT_EQ(two.right, one.right);
    EXPECT_NEAR(two.bottom, 2 * one.bottom, 2);
    EXPECT_NEAR(three.bottom, 3 * one.bottom, 3);
    const std::wstring longLine(400, L'W');
    const RECT wide = Measure(surface, longLine.c_str(), font.get());
    EXPECT_GT(wide.right, 2000) << "no wrap below 65536 DIPs";
    EXPECT_NEAR(wide.bottom, one.bottom, 1);

    // Trailing spaces widen the bounds; the empty string has none.
    const RECT spaced = Measure(surface, L"Ag   ", font.get());
    EXPECT_GT(spaced.right, one.right + 5);
    EXPECT_EQ(spaced.bottom, one.bottom);
    EXPECT_EQ(Measure(surface, L"", font.get()).right, 0);

    // No font: SYSTEM_FONT's description, cached under its key. (Wine's GDI enumerates no "System"
    // family, so there it resolves through the private collection; Windows lists it.)
    LOGFONTW system{};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof system, &system);
    Measure(surface, L"Ag", nullptr);
    EXPECT_EQ(TextFormatCache().size(), 2u);
    EXPECT_EQ(TextFormatCache().count(tessary::FormatKey(system)), 1u);

    // ReleaseTextFormats on any surface empties the process-wide cache; measuring makes it again.
    surface->ReleaseTextFormats();
    EXPECT_TRUE(TextFormatCache().empty());
    EXPECT_EQ(Measure(surface, L"Ag", font.get()).right, one.right);
    EXPECT_EQ(TextFormatCache().size(), 1u);
}

TEST_F(TextDrawing, DrawTextWritesMeasuredBoundsAndGrowsTheUpdateRegionAtTheOriginWithOrWithoutATarget)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(300, 150);
    surface->ClearRect(nullptr, 0);
    ForgetUpdates(surface);
    surface->published = 1;
    // The clip region does not limit text.
    HostRegion corner({{0, 0, 5, 5}});
    surface->SetClipRegion(&corner.region);

    const RECT measured = Measure(surface, L"Hello", font.get());
    EXPECT_EQ(surface->published, 1u) << "measuring changes nothing in the surface";
    const POINT origin{100, 50};
    RECT drawn{};
    EXPECT_EQ(surface->DrawText(&origin, kOpaqueRed, L"Hello", font.get(), 0x1234, 0x5678, &drawn), ZK_OK);
    EXPECT_EQ(drawn, measured) << "relative to the origin";
    EXPECT_EQ(FlagsOf(surface), (Flags{1, 0, 1})) << "the pass stays open";
    const RECT placed = Moved(measured, 100, 50);
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {placed}));
    EXPECT_EQ(surface->updateBox.x, float(placed.left));
    EXPECT_EQ(surface->updateBox.width, float(placed.right - placed.left));

    // Red glyphs inside the placed bounds (a pixel of antialiasing either side), nothing elsewhere.
    std::vector<uint32_t> pixels = ReadPixels(surface);
    ASSERT_EQ(pixels.size(), 300u * 150u);
    EXPECT_GT(pixels.size() - std::count(pixels.begin(), pixels.end(), 0u), 100u);
    for (uint32_t p : pixels)
        ASSERT_EQ(p & 0x00FFFFFFu, p >> 24 << 16) << std::hex << p << ": red premultiplied by coverage";
    for (LONG y = placed.top - 1; y < placed.bottom + 1; ++y)
        std::fill_n(pixels.begin() + y * 300 + placed.left - 1, placed.right - placed.left + 2, 0u);
    EXPECT_TRUE(PixelsAre(pixels, 300, 150, 0)) << "nothing outside the bounds";

    // Without a bounds pointer the region still grows.
    const POINT elsewhere{10, 100};
    EXPECT_EQ(surface->DrawText(&elsewhere, kOpaqueRed, L"Hello", font.get(), 0, 0, nullptr), ZK_OK);
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {placed, Moved(measured, 10, 100)}));

    // Without a brush or a target the bounds still count.
    REQUIRE_SOFTD2D_CONTROL();
    surface->SetClipRegion(nullptr);
    surface->ClearRect(nullptr, 0); // which empties the update region
    const POINT at{3, 4};
    const RECT refused = Measure(surface, L"Refused", font.get());

    // The brush cannot be made: nothing is drawn, nothing cached, but bounds and region are kept.
    const LONG before = Control().liveObjectCount();
    Control().failNextCreate(SOFTD2D_RESOURCE_BRUSH, 1, E_OUTOFMEMORY);
    EXPECT_EQ(surface->DrawText(&at, 0xFF0A0B0Cu, L"Refused", font.get(), 0, 0, &drawn), ZK_OK);
    EXPECT_EQ(drawn, refused);
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {Moved(refused, 3, 4)}));
    EXPECT_TRUE(PixelsAre(ReadPixels(surface), 300, 150, 0));
    EXPECT_EQ(Control().liveObjectCount(), before);
    EXPECT_EQ(surface->DrawText(&at, 0xFF0A0B0Cu, L"Refused", font.get(), 0, 0, &drawn), ZK_OK);
    EXPECT_EQ(Control().liveObjectCount(), before + 1) << "the next draw in that colour makes the brush";

    // A resize whose new target is refused leaves no own target: the text is measured and its area
    // recorded all the same.
    Control().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY);
    const SIZE bigger{320, 170};
    EXPECT_EQ(surface->Resize(&bigger), ZK_FAIL);
    ASSERT_EQ(surface->ownTarget, nullptr);
    surface->EmptyUpdateRegion();
    drawn = {};
    EXPECT_EQ(surface->DrawText(&at, 0xFF0A0B0Cu, L"Refused", font.get(), 0, 0, &drawn), ZK_OK);
    EXPECT_EQ(drawn, refused);
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {Moved(refused, 3, 4)}));
    EXPECT_EQ(surface->drawing, 0u);
}

