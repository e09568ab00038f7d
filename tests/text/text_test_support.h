// Shared by the text tests: the library initialised on softd2d (the surface tests' fixture), the font
// file the build machine provides, and GDI+ fonts as a host builds them.
#pragma once

#include "surface/surface_fixture.h"
#include <dwrite.h>
#include <gdiplus.h>
#include <memory>
#include <string>
#include <vector>

namespace text_test {

// The surface tests' fixture with the format and layout caches and the private fonts emptied before and
// after each test, since they are process-wide.
class TextTest : public surface_test::SurfaceTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Liberation Mono from the build machine's fonts, through Wine's Z: drive; empty when it is absent.
std::wstring LiberationMonoPath();

// The bytes of a file; empty when it cannot be read.
std::vector<uint8_t> FileBytes(const std::wstring& path);

// A family both GDI and DirectWrite know on this machine, for text that must render.
inline constexpr const wchar_t* kKnownFamily = L"Liberation Sans";

// A GDI+ font of `pixels` em height, as a host makes one.
std::unique_ptr<Gdiplus::Font> HostFont(const wchar_t* family, float pixels, int style = Gdiplus::FontStyleRegular);

// A LOGFONTW with the fields text formats depend on.
LOGFONTW Described(const wchar_t* face, LONG height, LONG weight = FW_NORMAL, BYTE italic = 0);

// Families in a text format's collection, or -1 without one.
int FamilyCount(IDWriteTextFormat* format);
bool HasFamily(IDWriteFontCollection* collection, const wchar_t* family);

} // namespace text_test
