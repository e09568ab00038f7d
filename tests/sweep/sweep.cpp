// The failure sweep, in the manner of SQLite's out-of-memory and I/O-error tests. A clean run of the
// host scenario, without reading pixels back, counts the fallible softd2d calls the library makes.
// Then, in four phases, one run per call N: the Nth fallible call fails (E_OUTOFMEMORY: a creation
// gives no object, any other call an error); the Nth EndDraw reports D2DERR_RECREATE_TARGET; every
// fallible call from the Nth on fails (SQLite's persistent failure); every EndDraw from the Nth on
// reports the lost device. After every such run: no crash, only documented status codes, no softd2d
// object alive once the host has released everything and uninitialised, the graphics lock free, no
// library window left, no heap growth that repeats; after a single failure, the pixels of a clean run
// once the host has drawn its frame again or rebuilt and redrawn (see RunScenario); and the same
// library then runs the scenario clean, with the pixels of the first clean run.
//
//   tessary_sweep [--every K] [--phase fail|lost|persist|gone] [--first N] [--last N]
//
// sweeps every Kth call from N (default: every call, every phase). Exit status 0: no fault; 1: faults;
// 2: a crash, after a line "resume: ..." naming the arguments that go on after it.
#include "host/bitmap_file.h"
#include "sweep/scenario.h"
#include <gdiplus.h>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

using tessary_test::SoftD2D;

namespace {

struct Phase {
    const char* name;
    const wchar_t* option;
    SoftD2DCallSet calls;
    uint64_t count; // calls failing from the Nth on
    HRESULT failure;
    const char* what;
};
constexpr Phase kPhases[] = {
    {"fail", L"fail", SOFTD2D_CALLS_FALLIBLE, 1, E_OUTOFMEMORY, "E_OUTOFMEMORY at fallible call"},
    {"lost", L"lost", SOFTD2D_CALLS_END_DRAW, 1, HRESULT(D2DERR_RECREATE_TARGET), "D2DERR_RECREATE_TARGET at EndDraw"},
    {"persist", L"persist", SOFTD2D_CALLS_FALLIBLE, UINT64_MAX, E_OUTOFMEMORY,
     "E_OUTOFMEMORY at every fallible call from"},
    {"gone", L"gone", SOFTD2D_CALLS_END_DRAW, UINT64_MAX, HRESULT(D2DERR_RECREATE_TARGET),
     "D2DERR_RECREATE_TARGET at every EndDraw from"},
};

const Phase* g_phase = nullptr;
uint64_t g_call = 0, g_every = 1;

LONG WINAPI OnCrash(EXCEPTION_POINTERS* e)
{
    std::printf("CRASH 0x%08lx at %p, %s %s %llu\n", e->ExceptionRecord->ExceptionCode,
                e->ExceptionRecord->ExceptionAddress, g_phase ? g_phase->name : "in a clean run",
                g_phase ? g_phase->what : "before call", (unsigned long long)g_call);
    if (g_phase)
        std::printf("resume: --phase %s --first %llu --every %llu\n", g_phase->name,
                    (unsigned long long)(g_call + g_every), (unsigned long long)g_every);
    std::fflush(stdout);
    ExitProcess(2);
}

// Bytes in use on every heap of the process. Once the platform's caches are filled, a clean run leaves
// exactly as much as the one before it.
size_t HeapInUse()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    size_t bytes = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry{};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                bytes += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return bytes;
}

struct Sweep {
    const tessary_test::TessaryModule& tessary;
    const sweep::HostSetting& host;
    sweep::RunResult counted;  // the counting run
    sweep::RunResult reference; // the first clean run
    int compared = 0;          // failing runs whose pixels were compared
    size_t heapAfterCleanRun = 0; // 0 until the platform's caches are filled
    LONG liveLeaked = 0;          // softd2d objects leaked by earlier runs
    int faults = 0;

    // Prints the faults found and drops them; their count.
    int Report(const std::string& label, std::vector<std::string>& found)
    {
        for (const std::string& fault : found)
            std::printf("FAULT %s: %s\n", label.c_str(), fault.c_str());
        const int count = int(found.size());
        faults += count;
        std::vector<std::string>().swap(found); // no memory of the sweep's own is left to count as the library's
        return count;
    }

    // What must hold after any run once the host has released everything and uninitialised.
    std::vector<std::string> AfterRun()
    {
        std::vector<std::string> found;
        SoftD2D().clearFailures();
        MSG message;
        while (PeekMessageW(&message, host.deviceLostWindow, 0, 0, PM_REMOVE)) {
        }
        // None should be alive; one a run leaked is reported after that run alone.
        const LONG live = SoftD2D().liveObjectCount();
        if (live > liveLeaked)
            found.push_back("softd2d objects alive after uninitialise: " + std::to_string(live - liveLeaked));
        liveLeaked = live;
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"TessarySweepWindow", nullptr));) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId()) {
                found.emplace_back("a library window outlived its object");
                break;
            }
        }
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
    // Its faults are reported under `label`; `grown`: the bytes it left on the heaps beyond the clean
    // run before it.
    int CleanRun(const std::string& label, size_t* grown = nullptr)
    {
        sweep::RunResult run =
            sweep::RunScenario(tessary, host, sweep::Injection::kNone, sweep::kReadFrame | sweep::kReadEnd);
        if (reference.pixels.empty())
            reference = run;
        else if (run.frame != reference.frame || run.pixels != reference.pixels)
            run.faults.emplace_back("a clean run gives other pixels than the first clean run");
        for (std::string& fault : AfterRun())
            run.faults.push_back("after a clean run: " + fault);
        const int found = Report(label, run.faults);
        run = sweep::RunResult{};
        const size_t heap = HeapInUse();
        if (grown)
            *grown = heap > heapAfterCleanRun ? heap - heapAfterCleanRun : 0;
        heapAfterCleanRun = heap;
        return found;
    }

    // The failing run of call `n` and the clean run after it; the faults found, and the heap's growth.
    // A single failure before the scenario's device loss is read back after the rebuild, and compared
    // when the run recovered.
    int Case(const Phase& phase, uint64_t n, size_t* grown)
    {
        g_call = n;
        char label[96];
        std::snprintf(label, sizeof label, "%s %s %llu", phase.name, phase.what, (unsigned long long)n);
        // Pixels are read only after the failing call, where they shift no call of the library's.
        const bool end = phase.calls == SOFTD2D_CALLS_END_DRAW, once = phase.count == 1;
        // An image whose pixels failed to copy in Create stays blank until a rebuild: the frame is
        // compared after failures in its own first drawing only.
        const bool inFirstFrame = once && counted.firstFrame.Of(end) < n && n <= counted.firstFrameEnd.Of(end);
        const bool beforeLoss = once && n <= counted.beforeLoss.Of(end);
        SoftD2D().failNthCall(phase.calls, n, phase.count, phase.failure);
        sweep::RunResult run =
            sweep::RunScenario(tessary, host, once ? sweep::Injection::kOnce : sweep::Injection::kPersistent,
                               (inFirstFrame ? unsigned(sweep::kReadFrame) : 0u) |
                                   (beforeLoss ? unsigned(sweep::kReadEnd) : 0u));
        if (run.made.Of(end) < n)
            run.faults.emplace_back("the call to fail was never made: the scenario is not deterministic");
        if (inFirstFrame && run.drawnTwice && run.frame != reference.frame)
            run.faults.emplace_back("the frame drawn again shows other pixels than a clean run's");
        if (beforeLoss && run.recovered && run.pixels != reference.pixels)
            run.faults.emplace_back("after the rebuild and the redraw the pixels differ from a clean run's");
        compared += (inFirstFrame && run.drawnTwice) || (beforeLoss && run.recovered);
        for (std::string& fault : AfterRun())
            run.faults.push_back("after the failing run: " + fault);
        int found = Report(label, run.faults);
        run = sweep::RunResult{};
        return found + CleanRun(std::string(label) + ", clean run after it", grown);
    }

    // Sweeps calls first, first + every, ... up to last of `phase`; the count of cases with faults. The
    // platform's allocator grows now and then by itself, so a case after which the heap grew is run
    // twice more, and it leaks only when the heap grows again each time.
    int Run(const Phase& phase, uint64_t first, uint64_t last)
    {
        g_phase = &phase;
        int faulty = 0;
        std::vector<uint64_t> grew;
        grew.reserve(first <= last ? size_t((last - first) / g_every + 1) : 0);
        for (uint64_t n = first; n <= last; n += g_every) {
            size_t grown = 0;
            faulty += Case(phase, n, &grown) ? 1 : 0;
            if (grown)
                grew.push_back(n);
        }
        const int comparedFirstTime = compared;
        for (uint64_t n : grew) {
            size_t again = 0, third = 0;
            const int found = Case(phase, n, &again) + Case(phase, n, &third);
            if (again && third) {
                std::printf("FAULT %s %s %llu: the heap grows by %zu bytes each time\n", phase.name, phase.what,
                            (unsigned long long)n, third);
                ++faults;
            }
            faulty += (found || (again && third)) ? 1 : 0;
        }
        compared = comparedFirstTime;
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
    // A font file the host carries with it, known to the library through Tessary_AddPrivateFont and to
    // GDI+ through a private collection. Where GDI does not know the family (Windows without it
    // installed), the library takes it from its private collection; under Wine GDI+ makes it known to
    // GDI (fonts of AddFontMemResourceEx are enumerable there), and it comes from the system collection.
    host.fontPath = L"Z:\\usr\\share\\fonts\\truetype\\liberation\\LiberationMono-Regular.ttf";
    Gdiplus::PrivateFontCollection collection;
    if (collection.AddFontFile(host.fontPath.c_str()) != Gdiplus::Ok)
        host.fontPath.clear();
    const Gdiplus::FontFamily family(L"Liberation Mono", &collection);
    const Gdiplus::Font privateFont(&family, 11.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    const Gdiplus::Font systemFont(L"Liberation Sans", 11.0f, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
    host.privateFont = privateFont.GetLastStatus() == Gdiplus::Ok ? &privateFont : nullptr;
    host.systemFont = &systemFont;
    host.deviceLostWindow = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!host.privateFont)
        std::printf("Liberation Mono is not installed: text is drawn in the system's fonts only\n");

    Sweep sweep{tessary, host, sweep::RunScenario(tessary, host, sweep::Injection::kNone, sweep::kReadNothing),
                {}, 0, 0, 0, 0};
    for (std::string& fault : sweep.AfterRun())
        sweep.counted.faults.push_back("after it: " + fault);
    sweep.Report("counting run", sweep.counted.faults);
    const uint64_t fallible = sweep.counted.made.fallible, endDraws = sweep.counted.made.endDraws;
    for (const char* run : {"first clean run", "second clean run", "third clean run"}) {
        sweep.heapAfterCleanRun = 0; // the platform fills caches of its own over the first few runs
        sweep.CleanRun(run);
    }
    std::printf("scenario: %llu fallible softd2d calls (its first frame up to %llu, its device loss from %llu), "
                "%llu of them EndDraw (%llu, %llu); %zu values read back\n",
                (unsigned long long)fallible, (unsigned long long)sweep.counted.firstFrameEnd.fallible,
                (unsigned long long)sweep.counted.beforeLoss.fallible, (unsigned long long)endDraws,
                (unsigned long long)sweep.counted.firstFrameEnd.endDraws,
                (unsigned long long)sweep.counted.beforeLoss.endDraws,
                sweep.reference.frame.size() + sweep.reference.pixels.size());
    for (const Phase& phase : kPhases) {
        if (only && std::wcscmp(only, phase.option))
            continue;
        const uint64_t count = phase.calls == SOFTD2D_CALLS_END_DRAW ? endDraws : fallible;
        const uint64_t end = last < count ? last : count;
        const uint64_t runs = first <= end ? 1 + (end - first) / g_every : 0;
        sweep.compared = 0;
        const int faulty = sweep.Run(phase, first, end);
        std::printf("%s: %s N, N = %llu..%llu every %llu: %llu runs, %d compared with a clean run, %d with faults\n",
                    phase.name, phase.what, (unsigned long long)first, (unsigned long long)end,
                    (unsigned long long)g_every, (unsigned long long)runs, sweep.compared, faulty);
    }
    DestroyWindow(host.deviceLostWindow);
    DeleteFileW(host.imagePath.c_str());
    std::printf(sweep.faults ? "%d faults\n" : "no fault\n", sweep.faults);
    return sweep.faults ? 1 : 0;
}
