// The failure sweep, in the manner of SQLite's out-of-memory and I/O-error tests. A clean run of the
// host scenario, without reading pixels back, counts the fallible softd2d calls the library makes; then, for each call N, one run
// with the Nth failing (E_OUTOFMEMORY: a creation gives no object, any other call an error), and for
// each EndDraw N one run with the Nth reporting D2DERR_RECREATE_TARGET. After every such run: no
// crash, only documented status codes, no softd2d object alive once the host has released everything
// and uninitialised, the graphics lock free, no library window left; and the same library then runs
// the scenario clean, with the pixels of the first clean run.
//
//   tessary_sweep [--every K] [--phase fail|lost] [--first N] [--last N]
//
// sweeps every Kth call from N (default: every call, both phases). Exit status 0: no fault; 1: faults;
// 2: a crash, after a line "resume: ..." naming the arguments that go on after it.
#include "host/bitmap_file.h"
#include "sweep/scenario.h"
#include <gdiplus.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

using tessary_test::SoftD2D;

namespace {

struct Phase {
    const char* name;
    const wchar_t* option;
    SoftD2DCallSet calls;
    HRESULT failure;
    const char* what;
};
constexpr Phase kPhases[] = {
    {"fail", L"fail", SOFTD2D_CALLS_FALLIBLE, E_OUTOFMEMORY, "E_OUTOFMEMORY at fallible call"},
    {"lost", L"lost", SOFTD2D_CALLS_END_DRAW, HRESULT(D2DERR_RECREATE_TARGET), "D2DERR_RECREATE_TARGET at EndDraw"},
};

const Phase* g_phase = nullptr;
uint64_t g_call = 0, g_every = 1;

LONG WINAPI OnCrash(EXCEPTION_POINTERS* e)
{
    std::printf("CRASH 0x%08lx at %p, %s %s %llu\n", e->ExceptionRecord->ExceptionCode,
                e->ExceptionRecord->ExceptionAddress, g_phase ? g_phase->name : "clean run", g_phase ? "call" : "",
                (unsigned long long)g_call);
    if (g_phase)
        std::printf("resume: --phase %s --first %llu --every %llu\n", g_phase->name,
                    (unsigned long long)(g_call + g_every), (unsigned long long)g_every);
    std::fflush(stdout);
    ExitProcess(2);
}

// A copy of Liberation Mono whose family is "Sweepfaces Mono": GDI does not know it, so the library
// takes it from its private collection. Empty when the font is not installed.
std::wstring WritePrivateFont(const std::wstring& folder)
{
    std::vector<uint8_t> font;
    if (FILE* in = _wfopen(L"Z:\\usr\\share\\fonts\\truetype\\liberation\\LiberationMono-Regular.ttf", L"rb")) {
        uint8_t buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, in)) > 0;)
            font.insert(font.end(), buffer, buffer + n);
        fclose(in);
    }
    const auto u16 = [&](size_t at) { return size_t(font[at]) << 8 | font[at + 1]; };
    const auto u32 = [&](size_t at) { return u16(at) << 16 | u16(at + 2); };
    if (font.size() < 12)
        return {};
    // Every "Liberation" in the name table, in one-byte and UTF-16BE records alike, becomes "Sweepfaces".
    for (size_t table = 12; table + 16 <= font.size() && table < 12 + 16 * u16(4); table += 16) {
        if (std::memcmp(&font[table], "name", 4) != 0)
            continue;
        const size_t begin = u32(table + 8), end = std::min(font.size(), begin + u32(table + 12));
        for (int width = 1; width <= 2; ++width)
            for (size_t at = begin; at + 10 * width <= end; ++at) {
                bool match = true;
                for (int k = 0; k < 10 && match; ++k)
                    match = font[at + k * width + width - 1] == uint8_t("Liberation"[k]) &&
                            (width == 1 || font[at + k * width] == 0);
                for (int k = 0; k < 10 && match; ++k)
                    font[at + k * width + width - 1] = uint8_t("Sweepfaces"[k]);
            }
    }
    const std::wstring path = folder + L"tessary-sweep-font.ttf";
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out)
        return {};
    fwrite(font.data(), 1, font.size(), out);
    fclose(out);
    return path;
}

struct Sweep {
    const tessary_test::TessaryModule& tessary;
    const sweep::HostSetting& host;
    std::vector<uint32_t> reference;
    int faults = 0;

    void Report(const char* label, const std::vector<std::string>& found)
    {
        for (const std::string& fault : found)
            std::printf("FAULT %s: %s\n", label, fault.c_str());
        faults += int(found.size());
    }

    // What must hold after any run once the host has released everything and uninitialised.
    std::vector<std::string> AfterRun()
    {
        std::vector<std::string> found;
        SoftD2D().clearFailures();
        MSG message;
        while (PeekMessageW(&message, host.deviceLostWindow, 0, 0, PM_REMOVE)) {
        }
        if (const LONG live = SoftD2D().liveObjectCount())
            found.push_back("softd2d objects alive after uninitialise: " + std::to_string(live));
        if (FindWindowW(L"TessarySweepWindow", nullptr))
            found.emplace_back("a library window outlived its object");
        // Another thread must get the graphics lock: the walk takes it, and finds nothing to rebuild.
        const auto probe = [](void* module) -> DWORD {
            return static_cast<const tessary_test::TessaryModule*>(module)->onDeviceLost();
        };
        HANDLE thread = CreateThread(nullptr, 0, probe, const_cast<tessary_test::TessaryModule*>(&tessary), 0, nullptr);
        DWORD rebuilt = 0;
        if (WaitForSingleObject(thread, 10000) != WAIT_OBJECT_0 || !GetExitCodeThread(thread, &rebuilt) || rebuilt != 1)
            found.emplace_back("the graphics lock is still held, or the empty rebuild failed");
        CloseHandle(thread);
        return found;
    }

    // A clean run with its pixels read back; it must show the reference pixels when there are some.
    std::vector<std::string> CleanRun()
    {
        sweep::RunResult run = sweep::RunScenario(tessary, host, true, true);
        if (reference.empty())
            reference = run.pixels;
        else if (run.pixels != reference)
            run.faults.emplace_back("a clean run gives other pixels than the first clean run");
        for (std::string& fault : AfterRun())
            run.faults.push_back("after a clean run: " + fault);
        return run.faults;
    }

    // Runs 1 + (last - first) / every failing runs of `phase`; the count of faulty ones.
    int Run(const Phase& phase, uint64_t first, uint64_t last)
    {
        g_phase = &phase;
        int faulty = 0;
        for (g_call = first; g_call <= last; g_call += g_every) {
            SoftD2D().failNthCall(phase.calls, g_call, phase.failure);
            sweep::RunResult run = sweep::RunScenario(tessary, host, false, false);
            const uint64_t made = phase.calls == SOFTD2D_CALLS_END_DRAW ? run.endDraws : run.fallible;
            if (made < g_call)
                run.faults.emplace_back("the call to fail was never made: the scenario is not deterministic");
            for (std::string& fault : AfterRun())
                run.faults.push_back("after the failing run: " + fault);
            for (std::string& fault : CleanRun())
                run.faults.push_back("clean run after it: " + fault);
            char label[96];
            std::snprintf(label, sizeof label, "%s %s %llu", phase.name, phase.what, (unsigned long long)g_call);
            Report(label, run.faults);
            faulty += !run.faults.empty();
        }
        g_phase = nullptr;
        return faulty;
    }
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    tessary_test::StartGdiplusAndCom();
    SetUnhandledExceptionFilter(OnCrash);
    const wchar_t* only = nullptr;
    uint64_t first = 1, last = UINT64_MAX;
    for (int i = 1; i + 1 < argc; i += 2) {
        const uint64_t value = std::wcstoull(argv[i + 1], nullptr, 10);
        if (!std::wcscmp(argv[i], L"--every"))
            g_every = value ? value : 1;
        else if (!std::wcscmp(argv[i], L"--phase"))
            only = argv[i + 1];
        else if (!std::wcscmp(argv[i], L"--first"))
            first = value ? value : 1;
        else if (!std::wcscmp(argv[i], L"--last"))
            last = value;
    }
    tessary_test::TessaryModule tessary;
    if (!tessary.Load()) {
        std::printf("tessary.dll or one of its exports is missing\n");
        return 2;
    }
    if (!SoftD2D().Present()) {
        std::printf("softd2d's test control is not loaded: nothing to sweep\n");
        return 0;
    }

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::vector<uint32_t> picture(8 * 6);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = i % 3 ? 0xFF5A5A5Au + uint32_t(i) * 0x030201u : 0x80FF8000u;
    sweep::HostSetting host;
    host.imagePath = WriteBitmapFile((std::wstring(folder) + L"tessary-sweep.bmp").c_str(), 8, 6, picture.data());
    host.fontPath = WritePrivateFont(folder);
    Gdiplus::PrivateFontCollection collection;
    collection.AddFontFile(host.fontPath.c_str());
    const Gdiplus::FontFamily family(L"Sweepfaces Mono", &collection);
    const Gdiplus::Font privateFont(&family, 11.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    const Gdiplus::Font systemFont(L"Liberation Sans", 11.0f, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
    host.privateFont = privateFont.GetLastStatus() == Gdiplus::Ok ? &privateFont : nullptr;
    host.systemFont = &systemFont;
    host.deviceLostWindow = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!host.privateFont)
        std::printf("Liberation Mono is not installed: text is drawn in the system's fonts only\n");

    Sweep sweep{tessary, host, {}, 0};
    sweep::RunResult counted = sweep::RunScenario(tessary, host, true, false);
    for (std::string& fault : sweep.AfterRun())
        counted.faults.push_back("after it: " + fault);
    sweep.Report("counting run", counted.faults);
    const uint64_t fallible = counted.fallible, endDraws = counted.endDraws;
    sweep.Report("first clean run", sweep.CleanRun());
    sweep.Report("second clean run", sweep.CleanRun());
    std::printf("scenario: %llu fallible softd2d calls, %llu of them EndDraw; %zu values read back\n",
                (unsigned long long)fallible, (unsigned long long)endDraws, sweep.reference.size());
    for (const Phase& phase : kPhases) {
        if (only && std::wcscmp(only, phase.option))
            continue;
        const uint64_t count = phase.calls == SOFTD2D_CALLS_END_DRAW ? endDraws : fallible;
        const uint64_t end = last < count ? last : count;
        const uint64_t runs = first <= end ? 1 + (end - first) / g_every : 0;
        const int faulty = sweep.Run(phase, first, end);
        std::printf("%s: %s N, N = %llu..%llu every %llu: %llu runs, %d with faults\n", phase.name, phase.what,
                    (unsigned long long)first, (unsigned long long)end, (unsigned long long)g_every,
                    (unsigned long long)runs, faulty);
    }
    DestroyWindow(host.deviceLostWindow);
    DeleteFileW(host.imagePath.c_str());
    if (!host.fontPath.empty())
        DeleteFileW(host.fontPath.c_str());
    std::printf(sweep.faults ? "%d faults\n" : "no fault\n", sweep.faults);
    return sweep.faults ? 1 : 0;
}
