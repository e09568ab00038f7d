// Families GDI knows come from the system collection; any other from a collection of the private fonts
// registered when its format was first made.
#include "text/font_resolution.h"
#include "text/text_format_cache.h"
#include "text/text_layout.h"
#include "text_test_support.h"
#include <Tessary.h>

using namespace text_test;
using tessary::PrivateFontRegistry;

namespace {

using FontResolution = TextTest;

std::wstring KeyText(const std::vector<wchar_t>& key) { return std::wstring(key.begin(), key.end()); }

} // namespace

TEST_F(FontResolution, GdiDecidesWhichFamiliesAreMissing)
{
    EXPECT_FALSE(tessary::IsFontFamilyMissingFromGdi(kKnownFamily));
    EXPECT_FALSE(tessary::IsFontFamilyMissingFromGdi(L"lIBERATION sANS")) << "GDI ignores case";
    EXPECT_TRUE(tessary::IsFontFamilyMissingFromGdi(L"Tessary No Such Family"));
    // Only the first 31 characters reach GDI: a longer name answers as its prefix does, without harm.
    const std::wstring longName(200, L'Q');
    EXPECT_TRUE(tessary::IsFontFamilyMissingFromGdi(longName.c_str()));
    std::wstring padded = kKnownFamily;
    padded.resize(31, L' ');
    padded += L"ignored tail";
    EXPECT_EQ(tessary::IsFontFamilyMissingFromGdi(padded.c_str()),
              tessary::IsFontFamilyMissingFromGdi(padded.substr(0, 31).c_str()));
    // An empty name enumerates every family, so it is not missing.
    EXPECT_FALSE(tessary::IsFontFamilyMissingFromGdi(L""));
}

TEST_F(FontResolution, CollectionKeyListsEveryPathThenOneMoreNulAndDamagedFilesAreLeftOut)
{
    EXPECT_EQ(KeyText(tessary::PrivateCollectionKey(PrivateFontRegistry())), std::wstring(1, L'\0'))
        << "an empty registry gives one NUL, 2 bytes";

    Tessary_AddPrivateFont(L"B.ttf");
    Tessary_AddPrivateFont(L"A-first.ttf");
    Tessary_AddPrivateFont(L"B.ttf"); // counted twice, listed once
    const std::vector<wchar_t> key = tessary::PrivateCollectionKey(PrivateFontRegistry());
    EXPECT_EQ(key.size(), wcslen(L"A-first.ttf") + wcslen(L"B.ttf") + 3);
    EXPECT_EQ(KeyText(key), std::wstring(L"A-first.ttf\0B.ttf\0\0", 19));

    // An empty path sorts first and so ends the list before any file.
    Tessary_AddPrivateFont(L"");
    const std::vector<wchar_t> withEmpty = tessary::PrivateCollectionKey(PrivateFontRegistry());
    EXPECT_EQ(withEmpty.front(), L'\0');
    IDWriteFontCollection* collection = nullptr;
    ASSERT_EQ(tessary::CreatePrivateFontCollection(&collection), S_OK);
    EXPECT_EQ(collection->GetFontFamilyCount(), 0u);
    collection->Release();

    // Damaged font files are left out (the empty path, which would end the list, goes first).
    Tessary_RemovePrivateFont(L"");
    const std::wstring mono = LiberationMonoPath();
    if (mono.empty())
        GTEST_SKIP() << "Liberation Mono is not installed";

    // A truncated font file, one of garbage from the table directory on and an empty one are left out
    // the same way, without harm.
    std::vector<uint8_t> bytes = FileBytes(mono);
    ASSERT_GT(bytes.size(), 12u);
    bytes.resize(bytes.size() / 3);
    std::vector<uint8_t> garbage = bytes;
    for (size_t at = 12; at < garbage.size(); at += 7)
        garbage[at] = uint8_t(at * 31);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::pair<std::wstring, std::vector<uint8_t>> bad[] = {{std::wstring(folder) + L"truncated.ttf", bytes},
                                                              {std::wstring(folder) + L"garbage.ttf", garbage},
                                                              {std::wstring(folder) + L"empty.ttf", {}}};
    for (const auto& [path, content] : bad) {
        FILE* out = _wfopen(path.c_str(), L"wb");
        ASSERT_NE(out, nullptr);
        fwrite(content.data(), 1, content.size(), out);
        fclose(out);
        Tessary_AddPrivateFont(path.c_str());
    }
    Tessary_AddPrivateFont(mono.c_str());
    collection = nullptr;
    ASSERT_EQ(tessary::CreatePrivateFontCollection(&collection), S_OK);
    EXPECT_EQ(collection->GetFontFamilyCount(), 1u) << "only the whole font";
    EXPECT_TRUE(HasFamily(collection, L"Liberation Mono"));
    collection->Release();
    for (const auto& file : bad)
        DeleteFileW(file.first.c_str());
}

TEST_F(FontResolution, FormatsKeepTheCollectionChosenWhenTheyWereMade)
{
    const std::wstring mono = LiberationMonoPath();
    if (mono.empty())
        GTEST_SKIP() << "Liberation Mono is not installed";

    // A family GDI knows is taken from the system collection even when a private font provides it.
    Tessary_AddPrivateFont(mono.c_str());
    IDWriteTextFormat* known = tessary::AcquireTextFormat(Described(L"Liberation Mono", -16));
    ASSERT_NE(known, nullptr);
    EXPECT_GT(FamilyCount(known), 1) << "the system collection";
    known->Release();
    Tessary_RemovePrivateFont(mono.c_str());

    // An unknown family first used with no private fonts gets an empty private collection, and keeps
    // it after a font is added, until the cache is emptied.
    const LOGFONTW unknown = Described(L"Tessary Private Face", -16);
    IDWriteTextFormat* before = tessary::AcquireTextFormat(unknown);
    ASSERT_NE(before, nullptr) << "a format is made even when no font has the family";
    EXPECT_EQ(FamilyCount(before), 0);
    Tessary_AddPrivateFont(mono.c_str());
    IDWriteTextFormat* cached = tessary::AcquireTextFormat(unknown);
    EXPECT_EQ(cached, before);
    EXPECT_EQ(FamilyCount(cached), 0);
    cached->Release();
    before->Release();

    // A missing file enumerates but is left out when DirectWrite cannot read it.
    Tessary_AddPrivateFont(L"Z:\\tessary\\no-such-font.ttf");
    tessary::ReleaseAllTextFormats();
    IDWriteTextFormat* after = tessary::AcquireTextFormat(unknown);
    ASSERT_NE(after, nullptr);
    IDWriteFontCollection* collection = nullptr;
    ASSERT_EQ(after->GetFontCollection(&collection), S_OK);
    EXPECT_EQ(collection->GetFontFamilyCount(), 1u);
    EXPECT_TRUE(HasFamily(collection, L"Liberation Mono"));
    collection->Release();
    after->Release();
}
