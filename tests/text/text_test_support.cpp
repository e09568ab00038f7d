#include "text_test_support.h"
#include "text/font_resolution.h"
#include "text/text_format_cache.h"
#include <cstdio>
#include <cwchar>

namespace text_test {

void TextTest::SetUp()
{
    SurfaceTest::SetUp();
    tessary::PrivateFontRegistry().clear();
    tessary::ReleaseAllTextFormats();
}

void TextTest::TearDown()
{
    tessary::PrivateFontRegistry().clear();
    tessary::ReleaseAllTextFormats();
    SurfaceTest::TearDown();
}

std::wstring LiberationMonoPath()
{
    const std::wstring path = L"Z:\\usr\\share\\fonts\\truetype\\liberation\\LiberationMono-Regular.ttf";
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? std::wstring() : path;
}

std::vector<uint8_t> FileBytes(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        uint8_t buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.insert(bytes.end(), buffer, buffer + n);
        fclose(file);
    }
    return bytes;
}

std::unique_ptr<Gdiplus::Font> HostFont(const wchar_t* family, float pixels, int style)
{
    return std::make_unique<Gdiplus::Font>(family, pixels, style, Gdiplus::UnitPixel);
}

LOGFONTW Described(const wchar_t* face, LONG height, LONG weight, BYTE italic)
{
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfItalic = italic;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return font;
}

int FamilyCount(IDWriteTextFormat* format)
{
    IDWriteFontCollection* collection = nullptr;
    if (!format || FAILED(format->GetFontCollection(&collection)) || !collection)
        return -1;
    const int count = static_cast<int>(collection->GetFontFamilyCount());
    collection->Release();
    return count;
}

bool HasFamily(IDWriteFontCollection* collection, const wchar_t* family)
{
    UINT32 index = 0;
    BOOL exists = FALSE;
    return collection && SUCCEEDED(collection->FindFamilyName(family, &index, &exists)) && exists;
}

} // namespace text_test
