// Text on the software targets: layouts drawn through DirectWrite's glyph coverage, read back and
// compared with where the layout says the text is.
#include <dwrite.h>

#include <functional>

#include "softd2d_test_support.h"

namespace softd2d_test {
namespace {

constexpr uint32_t kBlue = 0xFF0000FF;

class TextTest : public SoftD2DTest {
protected:
    void SetUp() override {
        SoftD2DTest::SetUp();
        ASSERT_EQ(S_OK, DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                            reinterpret_cast<IUnknown**>(dwrite_.GetAddressOf())));
        // Wine sees the Liberation fonts of the build machine; Windows has Arial.
        ASSERT_EQ(S_OK, dwrite_->GetSystemFontCollection(&system_));
        for (const wchar_t* name : {L"Liberation Sans", L"Arial", L"DejaVu Sans"}) {
            BOOL exists = FALSE;
            if (SUCCEEDED(system_->FindFamilyName(name, &familyIndex_, &exists)) && exists) {
                family_ = name;
                break;
            }
        }
        if (!family_) GTEST_SKIP() << "no sans-serif family to draw with";
    }

    ComPtr<IDWriteTextLayout> Layout(const wchar_t* text, float size) {
        ComPtr<IDWriteTextFormat> format;
        ComPtr<IDWriteTextLayout> layout;
        EXPECT_EQ(S_OK, dwrite_->CreateTextFormat(family_, nullptr, DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STYLE_NORMAL,
                                                  DWRITE_FONT_STRETCH_NORMAL, size, L"en-us", &format));
        if (format) {
            format->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
            EXPECT_EQ(S_OK, dwrite_->CreateTextLayout(text, UINT32(wcslen(text)), format.Get(), 1000, 1000, &layout));
        }
        return layout;
    }

    static constexpr int kWidth = 200, kHeight = 80;
    ComPtr<IDWriteFactory> dwrite_;
    ComPtr<IDWriteFontCollection> system_;
    UINT32 familyIndex_ = 0;
    const wchar_t* family_ = nullptr;
};

// DirectWrite's texture of `run` at `origin`, averaged to grayscale, within a kWidth x kHeight target.
std::vector<uint32_t> RunTexture(IDWriteFactory* dwrite, const DWRITE_GLYPH_RUN& run, D2D1_POINT_2F origin, int width,
                                 int height) {
    ComPtr<IDWriteGlyphRunAnalysis> analysis;
    EXPECT_EQ(S_OK, dwrite->CreateGlyphRunAnalysis(&run, 1, nullptr, DWRITE_RENDERING_MODE_NATURAL,
                                                   DWRITE_MEASURING_MODE_NATURAL, origin.x, origin.y, &analysis));
    const RECT all{0, 0, width, height};
    std::vector<uint8_t> texture(size_t(width) * height * 3);
    if (analysis) {
        EXPECT_EQ(S_OK, analysis->CreateAlphaTexture(DWRITE_TEXTURE_CLEARTYPE_3x1, &all, texture.data(), UINT32(texture.size())));
    }
    std::vector<uint32_t> alpha(size_t(width) * height);
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = (texture[3 * i] + texture[3 * i + 1] + texture[3 * i + 2] + 1) / 3;
    return alpha;
}

// Runs are composed from glyphs rasterised once per factory; the coverage must be DirectWrite's own
// texture of the whole run, pixel for pixel, at fractional and negative origins, with offsets and right
// to left, drawn first, again from the cache, and again after the cache has let the glyphs go.
TEST_F(TextTest, CachedGlyphsComposeDirectWritesOwnRunTexture) {
    ComPtr<IDWriteFontFamily> family;
    ComPtr<IDWriteFont> font;
    ComPtr<IDWriteFontFace> face;
    ASSERT_EQ(S_OK, system_->GetFontFamily(familyIndex_, &family));
    ASSERT_EQ(S_OK, family->GetFont(0, &font));
    ASSERT_EQ(S_OK, font->CreateFontFace(&face));
    const UINT32 codes[6] = {'W', 'A', 'V', 'g', 'j', 'f'};
    UINT16 glyphs[6];
    ASSERT_EQ(S_OK, face->GetGlyphIndices(codes, 6, glyphs));
    const FLOAT advances[6] = {9.3f, 6.1f, -2.4f, 7.7f, 3.2f, 8};  // overlapping glyphs
    const DWRITE_GLYPH_OFFSET offsets[6] = {{0, 0}, {0.4f, -1.3f}, {0, 0}, {-0.7f, 0.6f}, {0, 0}, {1.1f, 0}};
    // More than 4 MB of glyphs at 400 pixels, below the target: every cached glyph goes.
    std::vector<UINT16> many(200);
    for (size_t i = 0; i < many.size(); ++i) many[i] = UINT16(glyphs[0] + i);
    const DWRITE_GLYPH_RUN flood{face.Get(), 400, UINT32(many.size()), many.data(), nullptr, nullptr, FALSE, 0};
    struct Case {
        D2D1_POINT_2F origin;
        UINT32 bidi;
    } cases[] = {{{10.3f, 30.6f}, 0}, {{-3.7f, 20.2f}, 0}, {{120.5f, 40.9f}, 1}};
    for (const Case& c : cases) {
        const DWRITE_GLYPH_RUN run{face.Get(), 17.5f, 6, glyphs, advances, offsets, FALSE, c.bidi};
        const std::vector<uint32_t> texture = RunTexture(dwrite_.Get(), run, c.origin, kWidth, kHeight);
        for (int pass = 0; pass < 3; ++pass) {
            ComPtr<ID2D1BitmapRenderTarget> target = MakeTarget(device_.Get(), kWidth, kHeight);
            Fill(target.Get(), 0);
            ComPtr<ID2D1SolidColorBrush> white = MakeBrush(target.Get(), Color(1, 1, 1, 1));
            ASSERT_EQ(S_OK, Pass(target.Get(), [&] {
                if (pass == 2) target->DrawGlyphRun({0, 500}, &flood, white.Get(), DWRITE_MEASURING_MODE_NATURAL);
                target->DrawGlyphRun(c.origin, &run, white.Get(), DWRITE_MEASURING_MODE_NATURAL);
            }));
            const std::vector<uint32_t> pixels = ReadPixels(target.Get());
            int differing = 0, inked = 0;
            for (size_t i = 0; i < pixels.size(); ++i) {
                differing += (pixels[i] >> 24) != texture[i];
                inked += texture[i] != 0;
            }
            EXPECT_EQ(differing, 0) << "origin " << c.origin.x << ", pass " << pass;
            EXPECT_GT(inked, 100);
        }
    }
}

TEST_F(TextTest, TransparentColourAndRefusedFormsLeaveThePixels) {
    ComPtr<IDWriteTextLayout> layout = Layout(L"HHHHHH", 30);
    ASSERT_TRUE(layout);
    ComPtr<ID2D1BitmapRenderTarget> target = MakeTarget(device_.Get(), kWidth, kHeight);
    Fill(target.Get(), kBlue);
    const std::vector<uint32_t> blue(size_t(kWidth) * kHeight, kBlue);
    ComPtr<ID2D1SolidColorBrush> clear = MakeBrush(target.Get(), Color(1, 0, 0, 0));
    ComPtr<ID2D1SolidColorBrush> red = MakeBrush(target.Get(), Color(1, 0, 0, 1));

    // Alpha 0 changes no pixel at all, and glyphs millions of pixels away reach none.
    target->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    ASSERT_EQ(S_OK, Pass(target.Get(), [&] {
        target->DrawTextLayout({10, 10}, layout.Get(), clear.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE);
        target->DrawTextLayout({2e7f, 10}, layout.Get(), red.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE);
    }));
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), blue, kWidth));

    // Tessary draws grayscale text without a clip, options, drawing effects or inline objects; the rest
    // is not drawn. Grayscale text in the brush colour is checked through the library's DrawText.
    ComPtr<IDWriteTextLayout> effect = Layout(L"HHHHHH", 30), inlined = Layout(L"HHHHHH", 30);
    ComPtr<IDWriteInlineObject> sign;
    ASSERT_TRUE(effect && inlined);
    ASSERT_EQ(S_OK, effect->SetDrawingEffect(red.Get(), {0, 6}));
    ComPtr<IDWriteTextFormat> format;
    ASSERT_EQ(S_OK, dwrite_->CreateTextFormat(family_, nullptr, DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STYLE_NORMAL,
                                              DWRITE_FONT_STRETCH_NORMAL, 30, L"en-us", &format));
    ASSERT_EQ(S_OK, dwrite_->CreateEllipsisTrimmingSign(format.Get(), &sign));
    ASSERT_EQ(S_OK, inlined->SetInlineObject(sign.Get(), {0, 6}));
    const D2D1_RECT_F all = Rect(0, 0, kWidth, kHeight);
    const std::function<void()> refused[] = {
        [&] { target->DrawTextLayout({10, 10}, layout.Get(), red.Get(), D2D1_DRAW_TEXT_OPTIONS_CLIP); },
        [&] { target->DrawTextLayout({10, 10}, effect.Get(), red.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE); },
        [&] { target->DrawTextLayout({10, 10}, inlined.Get(), red.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE); },
        [&] {
            target->PushAxisAlignedClip(&all, D2D1_ANTIALIAS_MODE_ALIASED);
            target->DrawTextLayout({10, 10}, layout.Get(), red.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE);
            target->PopAxisAlignedClip();
        },
        [&] {
            target->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_CLEARTYPE);
            target->DrawTextLayout({10, 10}, layout.Get(), red.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE);
        },
        [&] {
            target->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_ALIASED);
            target->DrawTextLayout({10, 10}, layout.Get(), red.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE);
        },
    };
    for (size_t i = 0; i < std::size(refused); ++i) EXPECT_EQ(kUnsupported, Pass(target.Get(), refused[i])) << "form " << i;
    EXPECT_TRUE(PixelsMatch(ReadPixels(target.Get()), blue, kWidth));
}

}  // namespace
}  // namespace softd2d_test
