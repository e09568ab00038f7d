// Text on the software targets: layouts drawn through DirectWrite's glyph coverage, read back and
// compared with where the layout says the text is.
#include <dwrite.h>

#include <algorithm>

#include "softd2d_test_support.h"

namespace softd2d_test {
namespace {

constexpr uint32_t kBlue = 0xFF0000FF;

// The pixels that differ from `background`, and their bounding box.
struct Ink {
    int count = 0;
    int full = 0;  // pixels with alpha 255
    RECT box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
};

Ink InkOf(const std::vector<uint32_t>& pixels, int width, uint32_t background = 0) {
    Ink ink;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] == background) continue;
        const int x = int(i % width), y = int(i / width);
        ++ink.count;
        if ((pixels[i] >> 24) == 255) ++ink.full;
        ink.box = {std::min<LONG>(ink.box.left, x), std::min<LONG>(ink.box.top, y), std::max<LONG>(ink.box.right, x + 1),
                   std::max<LONG>(ink.box.bottom, y + 1)};
    }
    return ink;
}

class TextTest : public SoftD2DTest {
protected:
    void SetUp() override {
        SoftD2DTest::SetUp();
        ASSERT_EQ(S_OK, DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                            reinterpret_cast<IUnknown**>(dwrite_.GetAddressOf())));
        // Wine sees the Liberation fonts of the build machine; Windows has Arial.
        ComPtr<IDWriteFontCollection> system;
        ASSERT_EQ(S_OK, dwrite_->GetSystemFontCollection(&system));
        for (const wchar_t* name : {L"Liberation Sans", L"Arial", L"DejaVu Sans"}) {
            UINT32 index = 0;
            BOOL exists = FALSE;
            if (SUCCEEDED(system->FindFamilyName(name, &index, &exists)) && exists) {
                family_ = name;
                break;
            }
        }
        if (!family_) GTEST_SKIP() << "no sans-serif family to draw with";
    }

    ComPtr<IDWriteTextFormat> Format(float size) {
        ComPtr<IDWriteTextFormat> format;
        EXPECT_EQ(S_OK, dwrite_->CreateTextFormat(family_, nullptr, DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STYLE_NORMAL,
                                                  DWRITE_FONT_STRETCH_NORMAL, size, L"en-us", &format));
        if (format) format->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
        return format;
    }

    ComPtr<IDWriteTextLayout> Layout(const wchar_t* text, float size, float width = 1000, float height = 1000) {
        ComPtr<IDWriteTextLayout> layout;
        ComPtr<IDWriteTextFormat> format = Format(size);
        if (format) {
            EXPECT_EQ(S_OK, dwrite_->CreateTextLayout(text, UINT32(wcslen(text)), format.Get(), width, height, &layout));
        }
        return layout;
    }

    // One pass drawing `layout` at `origin` on a fresh transparent target, pixels read back.
    std::vector<uint32_t> Draw(IDWriteTextLayout* layout, D2D1_POINT_2F origin, D2D1_TEXT_ANTIALIAS_MODE mode,
                               HRESULT expected = S_OK) {
        ComPtr<ID2D1BitmapRenderTarget> target = MakeTarget(device_.Get(), kWidth, kHeight);
        Fill(target.Get(), 0);
        target->SetTextAntialiasMode(mode);
        ComPtr<ID2D1SolidColorBrush> brush = MakeBrush(target.Get(), Color(1, 0, 0, 1));
        target->BeginDraw();
        target->DrawTextLayout(origin, layout, brush.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE);
        EXPECT_EQ(expected, target->EndDraw(nullptr, nullptr));
        return ReadPixels(target.Get());
    }

    static DWRITE_LINE_METRICS FirstLine(IDWriteTextLayout* layout) {
        DWRITE_LINE_METRICS line{};
        UINT32 count = 0;
        layout->GetLineMetrics(&line, 1, &count);
        return line;
    }

    static constexpr int kWidth = 200, kHeight = 80;
    ComPtr<IDWriteFactory> dwrite_;
    const wchar_t* family_ = nullptr;
};

// Runs are composed from glyphs rasterised once per factory; the coverage must be DirectWrite's own
// texture of the whole run, pixel for pixel, at fractional, negative and scaled origins, with
// offsets and right to left, drawn first and again from the cache.
TEST_F(TextTest, CachedGlyphsComposeDirectWritesOwnRunTexture) {
    ComPtr<IDWriteFontCollection> system;
    ComPtr<IDWriteFontFamily> family;
    ComPtr<IDWriteFont> font;
    ComPtr<IDWriteFontFace> face;
    UINT32 index = 0;
    BOOL exists = FALSE;
    ASSERT_EQ(S_OK, dwrite_->GetSystemFontCollection(&system));
    ASSERT_EQ(S_OK, system->FindFamilyName(family_, &index, &exists));
    ASSERT_EQ(S_OK, system->GetFontFamily(index, &family));
    ASSERT_EQ(S_OK, family->GetFont(0, &font));
    ASSERT_EQ(S_OK, font->CreateFontFace(&face));
    const UINT32 codes[6] = {'W', 'A', 'V', 'g', 'j', 'f'};
    UINT16 glyphs[6];
    ASSERT_EQ(S_OK, face->GetGlyphIndices(codes, 6, glyphs));
    const FLOAT advances[6] = {9.3f, 6.1f, -2.4f, 7.7f, 3.2f, 8};  // overlapping glyphs
    const DWRITE_GLYPH_OFFSET offsets[6] = {{0, 0}, {0.4f, -1.3f}, {0, 0}, {-0.7f, 0.6f}, {0, 0}, {1.1f, 0}};
    struct Case {
        D2D1_POINT_2F origin;
        float scale, dx, dy;
        UINT32 bidi;
    } cases[] = {{{10.3f, 30.6f}, 1, 0, 0, 0}, {{-3.7f, 20.2f}, 1.5f, 3.3f, -2.6f, 0}, {{120.5f, 40.9f}, 0.8f, 0, 0, 1}};
    for (const Case& c : cases) {
        DWRITE_GLYPH_RUN run{face.Get(), 17.5f, 6, glyphs, advances, offsets, FALSE, c.bidi};
        const D2D1_MATRIX_3X2_F m{c.scale, 0, 0, c.scale, c.dx, c.dy};
        // DirectWrite's texture of the run, averaged to grayscale, within the target.
        const DWRITE_MATRIX transform{m._11, 0, 0, m._22, m._31, m._32};
        ComPtr<IDWriteGlyphRunAnalysis> analysis;
        ASSERT_EQ(S_OK, dwrite_->CreateGlyphRunAnalysis(&run, 1, &transform, DWRITE_RENDERING_MODE_NATURAL,
                                                        DWRITE_MEASURING_MODE_NATURAL, c.origin.x, c.origin.y, &analysis));
        const RECT all{0, 0, kWidth, kHeight};
        std::vector<uint8_t> texture(size_t(kWidth) * kHeight * 3);
        ASSERT_EQ(S_OK, analysis->CreateAlphaTexture(DWRITE_TEXTURE_CLEARTYPE_3x1, &all, texture.data(), UINT32(texture.size())));
        for (int pass = 0; pass < 2; ++pass) {
            ComPtr<ID2D1BitmapRenderTarget> target = MakeTarget(device_.Get(), kWidth, kHeight);
            Fill(target.Get(), 0);
            ComPtr<ID2D1SolidColorBrush> white = MakeBrush(target.Get(), Color(1, 1, 1, 1));
            target->BeginDraw();
            target->SetTransform(&m);
            target->DrawGlyphRun(c.origin, &run, white.Get(), DWRITE_MEASURING_MODE_NATURAL);
            ASSERT_EQ(S_OK, target->EndDraw(nullptr, nullptr));
            const std::vector<uint32_t> pixels = ReadPixels(target.Get());
            int differing = 0, inked = 0;
            for (size_t i = 0; i < pixels.size(); ++i) {
                const uint32_t expected = (texture[3 * i] + texture[3 * i + 1] + texture[3 * i + 2] + 1) / 3;
                differing += (pixels[i] >> 24) != expected;
                inked += expected != 0;
            }
            EXPECT_EQ(differing, 0) << "origin " << c.origin.x << ", scale " << c.scale << ", pass " << pass;
            EXPECT_GT(inked, 100);
        }
    }
}

TEST_F(TextTest, GlyphsCoverPixelsOnlyInsideTheLayoutBoundsInTheBrushColour) {
    ComPtr<IDWriteTextLayout> layout = Layout(L"HH", 40);
    ASSERT_TRUE(layout);
    DWRITE_TEXT_METRICS metrics{};
    ASSERT_EQ(S_OK, layout->GetMetrics(&metrics));
    const D2D1_POINT_2F origin{20, 10};
    const float baseline = origin.y + FirstLine(layout.Get()).baseline;

    const std::vector<uint32_t> pixels = Draw(layout.Get(), origin, D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    const Ink ink = InkOf(pixels, kWidth);
    // Two 40-pixel capitals: four stems of some 4 x 28 pixels are fully covered, the edges partly.
    EXPECT_GE(ink.full, 60);
    EXPECT_GT(ink.count - ink.full, 0);
    EXPECT_GE(ink.box.left, LONG(origin.x + metrics.left) - 1);
    EXPECT_LE(ink.box.right, LONG(origin.x + metrics.left + metrics.widthIncludingTrailingWhitespace) + 1);
    EXPECT_GE(ink.box.top, LONG(origin.y + metrics.top) - 1);
    EXPECT_LE(ink.box.bottom, LONG(baseline) + 1) << "H has nothing below the baseline";
    EXPECT_GT(ink.box.right - ink.box.left, LONG(metrics.width / 2));
    // Red blended by coverage over transparent black stays pure premultiplied red.
    for (uint32_t p : pixels) {
        if (!p) continue;
        ASSERT_EQ((p >> 16) & 0xFF, p >> 24) << Hex(p);
        ASSERT_EQ(p & 0xFFFF, 0u) << Hex(p);
    }
    // ClearType and aliased text are not drawn.
    for (D2D1_TEXT_ANTIALIAS_MODE mode : {D2D1_TEXT_ANTIALIAS_MODE_CLEARTYPE, D2D1_TEXT_ANTIALIAS_MODE_ALIASED})
        EXPECT_EQ(InkOf(Draw(layout.Get(), origin, mode, kUnsupported), kWidth).count, 0);
}

TEST_F(TextTest, TransparentColourAndClip) {
    ComPtr<IDWriteTextLayout> layout = Layout(L"HHHHHH", 30);
    ASSERT_TRUE(layout);
    ComPtr<ID2D1BitmapRenderTarget> target = MakeTarget(device_.Get(), kWidth, kHeight);
    Fill(target.Get(), kBlue);
    target->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    ComPtr<ID2D1SolidColorBrush> clear = MakeBrush(target.Get(), Color(1, 0, 0, 0));
    ComPtr<ID2D1SolidColorBrush> red = MakeBrush(target.Get(), Color(1, 0, 0, 1));

    // Alpha 0 changes no pixel at all.
    target->BeginDraw();
    target->DrawTextLayout({10, 10}, layout.Get(), clear.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE);
    ASSERT_EQ(S_OK, target->EndDraw(nullptr, nullptr));
    EXPECT_EQ(InkOf(ReadPixels(target.Get()), kWidth, kBlue).count, 0);

    // A clip of the left 60 columns: the text runs on past it, its pixels do not.
    const D2D1_RECT_F left = Rect(0, 0, 60, kHeight);
    target->BeginDraw();
    target->PushAxisAlignedClip(&left, D2D1_ANTIALIAS_MODE_ALIASED);
    target->DrawTextLayout({10, 10}, layout.Get(), red.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE);
    target->PopAxisAlignedClip();
    ASSERT_EQ(S_OK, target->EndDraw(nullptr, nullptr));
    const Ink clipped = InkOf(ReadPixels(target.Get()), kWidth, kBlue);
    EXPECT_GT(clipped.full, 30);
    EXPECT_LE(clipped.box.right, 60);
}

}  // namespace
}  // namespace softd2d_test
