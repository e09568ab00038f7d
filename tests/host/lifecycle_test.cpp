// The library's whole life in one host process, loaded at run time as a host loads a plug-in: unloaded
// and loaded again, text in a private font is drawn the same after the reload. (Starts after an
// uninitialise in one process are the failure sweep's and the stress test's.)
#include "host_checks.h"
#include "support/tessary_module.h"
#include <gdiplus.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace host_checks;

namespace {

tessary_test::TessaryModule tessary;

// A copy of the font file `from` whose family and full names read `family`.
bool WriteRenamedFont(const std::wstring& from, const std::wstring& to, const char* family)
{
    std::vector<uint8_t> f;
    if (FILE* in = _wfopen(from.c_str(), L"rb")) {
        uint8_t buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, in)) > 0;)
            f.insert(f.end(), buffer, buffer + n);
        fclose(in);
    }
    const auto u16 = [&](size_t at) { return at + 1 < f.size() ? size_t(f[at] << 8 | f[at + 1]) : 0; };
    for (size_t table = 0; f.size() > 12 && table < u16(4); ++table) {
        const size_t entry = 12 + 16 * table, name = u16(entry + 8) << 16 | u16(entry + 10);
        if (entry + 16 > f.size() || memcmp(&f[entry], "name", 4) != 0)
            continue;
        for (size_t record = name + 6; record < name + 6 + 12 * u16(name + 2) && record + 12 <= f.size(); record += 12) {
            const size_t id = u16(record + 6), wide = u16(record) == 1 ? 1 : 2; // Macintosh names are bytes
            const size_t length = strlen(family) * wide, at = name + u16(name + 4) + u16(record + 10);
            if ((id != 1 && id != 4 && id != 16) || length > u16(record + 8) || at + length > f.size())
                continue;
            for (size_t i = 0; i < length; ++i) // UTF-16 big-endian: a zero high byte before each letter
                f[at + i] = wide == 2 && i % 2 == 0 ? 0 : uint8_t(family[i / wide]);
            f[record + 8] = uint8_t(length >> 8), f[record + 9] = uint8_t(length);
        }
    }
    FILE* out = f.empty() ? nullptr : _wfopen(to.c_str(), L"wb");
    const bool written = out && fwrite(f.data(), 1, f.size(), out) == f.size();
    if (out)
        fclose(out);
    return written;
}

// Text without a font, which the library draws in SYSTEM_FONT's description, with the private font
// `file` added: Wine's GDI lists no family "System", so there it comes from the private collection, and
// `file` is Liberation Mono renamed "System". It must draw as Liberation Mono drawn from the system.
std::vector<uint32_t> PrivateFontText(const std::wstring& file, const Gdiplus::Font& liberationMono)
{
    tessary_test::StartedHost host(tessary, 16, 16, L"TessaryHostLifecycle");
    Class_ZkGraphicSurface* surface = host.Surface(64, 24);
    CHECK(host.initialised && surface);
    if (!surface)
        return {};
    tessary.addPrivateFont(file.c_str());
    const POINT origin{1, 1};
    CHECK_EQ(surface->DrawText(&origin, 0xFF000000, L"Tessary", nullptr, 0, 0, nullptr), ZK_OK);
    const std::vector<uint32_t> privateText = Pixels(surface, 64, 24);
    const RECT whole{0, 0, 64, 24};
    CHECK_EQ(surface->ClearRect(&whole, 0), ZK_OK);
    CHECK_EQ(surface->DrawText(&origin, 0xFF000000, L"Tessary", &liberationMono, 0, 0, nullptr), ZK_OK);
    CHECK(privateText == Pixels(surface, 64, 24));
    CHECK(std::count(privateText.begin(), privateText.end(), 0u) < 64 * 24 - 50);
    tessary.removePrivateFont(file.c_str());
    return privateText;
}

// DirectWrite's shared factory outlives the library: after FreeLibrary it must hold nothing of it, and
// the loaders registered again after LoadLibrary read the private font as before.
void TheSamePrivateFontTextAfterAnUnload()
{
    LOGFONTW system{};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof system, &system);
    const bool bold = system.lfWeight >= FW_SEMIBOLD;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file = std::wstring(temp) + L"tessary-host-private.ttf";
    const std::wstring liberation = std::wstring(L"Z:\\usr\\share\\fonts\\truetype\\liberation\\LiberationMono-") +
                                    (bold ? L"Bold.ttf" : L"Regular.ttf");
    if (!WriteRenamedFont(liberation, file, "System")) {
        std::printf("skipped %s: Liberation Mono is not installed\n", currentCase);
        return;
    }
    const Gdiplus::Font liberationMono(L"Liberation Mono", float(std::abs(system.lfHeight)),
                                       bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    const std::vector<uint32_t> before = PrivateFontText(file, liberationMono);
    CHECK(FreeLibrary(tessary.module) && GetModuleHandleW(L"tessary.dll") == nullptr);
    CHECK(tessary.Load());
    CHECK(PrivateFontText(file, liberationMono) == before);
    DeleteFileW(file.c_str());
}

} // namespace

int wmain()
{
    tessary_test::StartGdiplusAndCom();
    if (!tessary.Load()) {
        std::printf("tessary.dll or one of its exports is missing\n");
        return 1;
    }
    RUN(TheSamePrivateFontTextAfterAnUnload);
    std::printf(failures ? "%d check(s) failed\n" : "all lifecycle checks passed\n", failures);
    return failures ? 1 : 0;
}
