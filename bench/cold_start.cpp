// Cold start, as a user waits for it: from LoadLibrary("tessary.dll") to the first presented frame of
// a small application window like the demo's (fills, a translucent shade, labels in two fonts and a
// badge composed off screen through an opacity mask), each run in a fresh process. Beside it, GDI+
// drawing and presenting the same first frame in a fresh process, and DirectWrite's own start-up
// (shared factory, a text format, a layout and one glyph run rasterised) measured alone, which the
// library's first frame pays and GDI+'s does not, and GDI+ presenting the still transparent window
// once before its frame, as a Tessary window's Create does. Exit code 2 when Tessary's first frame is
// slower than GDI+'s.
#include "window_record.h"
#include <ZkGraphicSurface.h>
#include <ZkWindow.h>
#include <dwrite.h>
#include <gdiplus.h>
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

constexpr int kWidth = 480, kHeight = 448;
constexpr int kRounds = 5;

double Seconds()
{
    LARGE_INTEGER f, now;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(f.QuadPart);
}

// The first frame, shared by both sides. Colours are 0xAABBGGRR, straight alpha.
struct Fill {
    RECT rect;
    uint32_t colour;
};
constexpr Fill kFills[] = {
    {{0, 0, kWidth, kHeight}, 0xFF2B2622},   {{0, 0, kWidth, 36}, 0xFF8A4F1E},       {{kWidth - 36, 8, kWidth - 12, 28}, 0xFF3C3CE0},
    {{0, 36, 120, kHeight}, 0xFF3A3530},     {{12, 52, 108, 78}, 0xFF554E47},        {{12, 86, 108, 112}, 0xFFD08A3A},
    {{12, 120, 108, 146}, 0xFF554E47},       {{12, 154, 108, 180}, 0xFF554E47},      {{136, 52, 464, 150}, 0xFFF2F0EE},
    {{152, 112, 448, 128}, 0xFFD6D2CE},      {{152, 112, 340, 128}, 0xFF5AC27A},     {{136, 166, 292, 304}, 0xFF3AA6F0},
    {{308, 166, 464, 304}, 0xFFD08A3A},      {{136, 240, 464, 304}, 0x60000000},     {{136, 320, 464, 436}, 0xFFF2F0EE},
};
struct Label {
    int x, y;
    bool title;
    uint32_t colour;
    const wchar_t* text;
};
constexpr Label kLabels[] = {
    {14, 9, true, 0xFFFFFFFF, L"Tessary"},          {22, 57, false, 0xFFFFFFFF, L"Inbox"},
    {22, 91, false, 0xFFFFFFFF, L"Projects"},       {22, 125, false, 0xFFFFFFFF, L"Archive"},
    {22, 159, false, 0xFFFFFFFF, L"Settings"},      {152, 94, false, 0xFF3A3530, L"Uploading assets"},
    {152, 330, false, 0xFF3A3530, L"Recent activity"},
};
constexpr int kBadgeWidth = 112, kBadgeHeight = 28, kBadgeX = 336, kBadgeY = 66;
constexpr uint32_t kBadgeColour = 0xFF3AA6F0;
uint8_t BadgeMask(int x) { return uint8_t(255 - x * 160 / kBadgeWidth); }

Gdiplus::Color GdiplusColour(uint32_t c) { return Gdiplus::Color(c >> 24, c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

ULONG_PTR StartGdiplus()
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    return token;
}

template <class T>
T Export(HMODULE library, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Seconds to Tessary's first presented frame, or a negative value when a step failed.
double TessaryFirstFrame()
{
    const double start = Seconds();
    HMODULE library = LoadLibraryW(L"tessary.dll");
    if (!library)
        return -1;
    const auto initialize = Export<uint32_t (*)()>(library, "InitializeTessaryInternal");
    const auto createWindow = Export<uint32_t (*)(void**)>(library, "CreateInstance_ZkWindowD2D");
    const auto createSurface = Export<uint32_t (*)(void**)>(library, "CreateInstance_ZkGraphicSurfaceD2D");
    const ULONG_PTR gdiplus = StartGdiplus();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (!initialize || !createWindow || !createSurface || initialize() != 1)
        return -1;

    void* object = nullptr;
    Class_ZkWindow* window = nullptr;
    if (createWindow(&object) != 0 ||
        static_cast<Class_QUOR*>(object)->QueryInterface(ZK_FOURCC_WINDOW, reinterpret_cast<void**>(&window)) != 0)
        return -1;
    static_cast<Class_QUOR*>(object)->Release();
    const bench::WindowRecord windowRecord(40, 40, kWidth, kHeight, L"cold start", L"TessaryColdStart");
    if (window->Create(&windowRecord.info) != 0)
        return -1;

    bool ok = true;
    for (const Fill& f : kFills)
        ok &= window->FillRect(f.colour, &f.rect) == 0;
    const Gdiplus::Font title(L"Liberation Sans", 15, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
    const Gdiplus::Font label(L"Liberation Sans", 13, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    for (const Label& l : kLabels) {
        const POINT at{l.x, l.y};
        ok &= window->DrawText(&at, l.colour, l.text, l.title ? &title : &label, 0, 0, nullptr) == 0;
    }
    // The badge: drawn off screen, faded through its opacity mask, copied in.
    Class_ZkGraphicSurface* badge = nullptr;
    ok &= createSurface(&object) == 0 &&
          static_cast<Class_QUOR*>(object)->QueryInterface(ZK_FOURCC_SURFACE, reinterpret_cast<void**>(&badge)) == 0;
    static_cast<Class_QUOR*>(object)->Release();
    const ZkSurfaceCreateInfo record{ZK_FOURCC_SURFACE, sizeof(ZkSurfaceCreateInfo), 0, kBadgeWidth, kBadgeHeight,
                                     reinterpret_cast<uint64_t>(window->GetWindowHandle())};
    ok = ok && badge->Create(&record) == 0;
    const RECT all{0, 0, kBadgeWidth, kBadgeHeight};
    const POINT inBadge{10, 6}, at{kBadgeX, kBadgeY};
    ok = ok && badge->FillRect(kBadgeColour, &all) == 0 &&
         badge->DrawText(&inBadge, 0xFFFFFFFF, L"Composed", &label, 0, 0, nullptr) == 0;
    uint8_t* bits = nullptr;
    int32_t maskWidth = 0, maskHeight = 0, stride = 0;
    if (ok && badge->LockAlphaMask(&all, &bits, &maskWidth, &maskHeight, &stride) == 0) {
        for (int32_t y = 0; y < maskHeight; ++y)
            for (int32_t x = 0; x < maskWidth; ++x)
                bits[y * stride + x] = BadgeMask(x);
        ok &= badge->UnlockAlphaMask() == 0;
    }
    ok = ok && badge->DrawTo(window, &at, nullptr, nullptr) == 0 && window->Present() == 0;
    const double elapsed = Seconds() - start;
    // The process ends here; what a host would release on exit is not part of the first frame.
    (void)gdiplus;
    return ok ? elapsed : -1;
}

// Seconds to GDI+'s first presented frame: the same picture on a PARGB DIB, one
// UpdateLayeredWindowIndirect of the whole window; with `likeCreate`, the still transparent window is
// presented once before, as a Tessary window's Create does.
double GdiplusFirstFrame(bool likeCreate)
{
    const double start = Seconds();
    const ULONG_PTR gdiplus = StartGdiplus();
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"GdiplusColdStart";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(WS_EX_LAYERED, L"GdiplusColdStart", L"cold start", WS_POPUP, 40, 40, kWidth, kHeight,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);

    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, dib);
    SIZE size{kWidth, kHeight};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UPDATELAYEREDWINDOWINFO update{sizeof(update), nullptr, nullptr, &size, dc, &source, 0, &blend, ULW_ALPHA, nullptr};
    if (likeCreate)
        UpdateLayeredWindowIndirect(window, &update);
    Gdiplus::Bitmap canvas(kWidth, kHeight, kWidth * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits));
    Gdiplus::Graphics g(&canvas);
    g.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    for (const Fill& f : kFills) {
        Gdiplus::SolidBrush brush(GdiplusColour(f.colour));
        g.FillRectangle(&brush, int(f.rect.left), int(f.rect.top), int(f.rect.right - f.rect.left),
                        int(f.rect.bottom - f.rect.top));
    }
    const Gdiplus::Font title(L"Liberation Sans", 15, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
    const Gdiplus::Font label(L"Liberation Sans", 13, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    for (const Label& l : kLabels) {
        Gdiplus::SolidBrush brush(GdiplusColour(l.colour));
        g.DrawString(l.text, -1, l.title ? &title : &label, Gdiplus::PointF(float(l.x), float(l.y)), &brush);
    }
    Gdiplus::Bitmap badge(kBadgeWidth, kBadgeHeight, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics b(&badge);
        Gdiplus::SolidBrush fill(GdiplusColour(kBadgeColour)), white(Gdiplus::Color(255, 255, 255, 255));
        b.FillRectangle(&fill, 0, 0, kBadgeWidth, kBadgeHeight);
        b.DrawString(L"Composed", -1, &label, Gdiplus::PointF(10, 6), &white);
    }
    Gdiplus::BitmapData locked{};
    const Gdiplus::Rect whole(0, 0, kBadgeWidth, kBadgeHeight);
    if (badge.LockBits(&whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB,
                       &locked) == Gdiplus::Ok) {
        for (int y = 0; y < kBadgeHeight; ++y) {
            auto* row = reinterpret_cast<uint8_t*>(locked.Scan0) + ptrdiff_t(y) * locked.Stride;
            for (int x = 0; x < kBadgeWidth; ++x)
                row[x * 4 + 3] = uint8_t(row[x * 4 + 3] * BadgeMask(x) / 255);
        }
        badge.UnlockBits(&locked);
    }
    g.DrawImage(&badge, kBadgeX, kBadgeY);
    g.Flush(Gdiplus::FlushIntentionSync);
    const bool ok = UpdateLayeredWindowIndirect(window, &update);
    const double elapsed = Seconds() - start;
    (void)gdiplus;
    return ok ? elapsed : -1;
}

// Seconds for DirectWrite alone to reach its first rasterised glyph run: what Tessary's first label
// costs before any of the library's own work.
double DirectWriteStart()
{
    const double start = Seconds();
    HMODULE library = LoadLibraryW(L"dwrite.dll");
    using CreateFactory = HRESULT(WINAPI*)(DWRITE_FACTORY_TYPE, REFIID, IUnknown**);
    const auto create = library ? Export<CreateFactory>(library, "DWriteCreateFactory") : nullptr;
    IDWriteFactory* factory = nullptr;
    if (!create || FAILED(create(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                 reinterpret_cast<IUnknown**>(&factory))))
        return -1;
    IDWriteTextFormat* format = nullptr;
    IDWriteTextLayout* layout = nullptr;
    factory->CreateTextFormat(L"Liberation Sans", nullptr, DWRITE_FONT_WEIGHT_REGULAR, DWRITE_FONT_STYLE_NORMAL,
                              DWRITE_FONT_STRETCH_NORMAL, 13.0f, L"en-us", &format);
    if (!format || FAILED(factory->CreateTextLayout(L"Inbox", 5, format, 1000, 100, &layout)))
        return -1;
    DWRITE_TEXT_METRICS metrics{};
    layout->GetMetrics(&metrics);
    // One glyph run rasterised, as the first label's glyphs are.
    IDWriteFontCollection* fonts = nullptr;
    IDWriteFontFamily* family = nullptr;
    IDWriteFont* font = nullptr;
    IDWriteFontFace* face = nullptr;
    UINT32 index = 0;
    BOOL exists = FALSE;
    factory->GetSystemFontCollection(&fonts);
    bool ok = fonts && SUCCEEDED(fonts->FindFamilyName(L"Liberation Sans", &index, &exists)) && exists &&
              SUCCEEDED(fonts->GetFontFamily(index, &family)) &&
              SUCCEEDED(family->GetFirstMatchingFont(DWRITE_FONT_WEIGHT_REGULAR, DWRITE_FONT_STRETCH_NORMAL,
                                                     DWRITE_FONT_STYLE_NORMAL, &font)) &&
              SUCCEEDED(font->CreateFontFace(&face));
    if (ok) {
        const UINT32 codePoints[] = {'I', 'n', 'b', 'o', 'x'};
        UINT16 glyphs[5] = {};
        face->GetGlyphIndices(codePoints, 5, glyphs);
        const DWRITE_GLYPH_RUN run{face, 13.0f, 5, glyphs, nullptr, nullptr, FALSE, 0};
        IDWriteGlyphRunAnalysis* analysis = nullptr;
        ok = SUCCEEDED(factory->CreateGlyphRunAnalysis(&run, 1.0f, nullptr, DWRITE_RENDERING_MODE_NATURAL,
                                                       DWRITE_MEASURING_MODE_NATURAL, 0, 20, &analysis));
        RECT bounds{};
        if (ok && SUCCEEDED(analysis->GetAlphaTextureBounds(DWRITE_TEXTURE_CLEARTYPE_3x1, &bounds))) {
            std::vector<BYTE> alpha(size_t(bounds.right - bounds.left) * (bounds.bottom - bounds.top) * 3 + 1);
            analysis->CreateAlphaTexture(DWRITE_TEXTURE_CLEARTYPE_3x1, &bounds, alpha.data(), UINT32(alpha.size()));
        }
        if (analysis)
            analysis->Release();
    }
    return ok ? Seconds() - start : -1;
}

// Runs this program again with `kind` and returns what the fresh process measured, in seconds.
double InFreshProcess(const wchar_t* kind)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t command[MAX_PATH + 32];
    swprintf(command, MAX_PATH + 32, L"\"%ls\" %ls", path, kind);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0 ? -1 : double(code) * 1e-6; // microseconds; 0 says the child failed
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // In a fresh process: measure one kind, report it as the exit code in microseconds.
    if (argc > 1) {
        double seconds = -1;
        if (std::wcscmp(argv[1], L"tessary") == 0)
            seconds = TessaryFirstFrame();
        else if (std::wcscmp(argv[1], L"gdiplus") == 0)
            seconds = GdiplusFirstFrame(false);
        else if (std::wcscmp(argv[1], L"gdiplus-twice") == 0)
            seconds = GdiplusFirstFrame(true);
        else if (std::wcscmp(argv[1], L"dwrite") == 0)
            seconds = DirectWriteStart();
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), seconds > 0 ? UINT(seconds * 1e6) : 0);
    }

    const wchar_t* kinds[] = {L"tessary", L"gdiplus", L"dwrite", L"gdiplus-twice"};
    constexpr int kKinds = 4;
    std::vector<double> times[kKinds];
    for (int round = 0; round < kRounds; ++round)
        for (int k = 0; k < kKinds; ++k)
            times[k].push_back(InFreshProcess(kinds[k]));
    double best[kKinds], median[kKinds];
    for (int k = 0; k < kKinds; ++k) {
        if (std::count_if(times[k].begin(), times[k].end(), [](double t) { return t < 0; }) > 0) {
            std::printf("cold start: the %ls run failed\n", kinds[k]);
            return 1;
        }
        std::sort(times[k].begin(), times[k].end());
        best[k] = times[k].front();
        median[k] = times[k][times[k].size() / 2];
    }
    std::printf("\nCold start, a fresh process each, best and median of %d (ratio = Tessary / reference)\n", kRounds);
    std::printf("  LoadLibrary to Tessary's first presented frame   best %8.1f ms  median %8.1f ms\n", best[0] * 1e3,
                median[0] * 1e3);
    std::printf("  GDI+ drawing and presenting the same frame        best %8.1f ms  median %8.1f ms\n", best[1] * 1e3,
                median[1] * 1e3);
    std::printf("  DirectWrite alone to its first glyph run          best %8.1f ms  median %8.1f ms\n", best[2] * 1e3,
                median[2] * 1e3);
    std::printf("  GDI+ presenting twice, as a window's Create does  best %8.1f ms  median %8.1f ms\n", best[3] * 1e3,
                median[3] * 1e3);
    const double ratio = best[0] / best[1];
    std::printf("  Tessary / GDI+ %.3f (target <= 1: %s); DirectWrite's start-up is %.0f%% of Tessary's first frame\n",
                ratio, ratio <= 1 ? "met" : "MISSED", 100 * best[2] / best[0]);
    std::printf("  Tessary without DirectWrite's start-up / GDI+ presenting twice %.3f\n", (best[0] - best[2]) / best[3]);
    return ratio <= 1 ? 0 : 2;
}
