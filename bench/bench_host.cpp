#include "bench_host.h"
#include "frame/context.h"
#include "surface/surface.h"
#include "window_record.h"
#include <algorithm>

namespace bench {

namespace {
bool allMet = true;
tessary::UpdateLayeredWindowIndirectFn realUpdate = nullptr;
double insideUpdate = 0;
long updateCalls = 0;
bool skipUpdates = false;
double timerCost = 0; // one reading of the timer: the wrapper's own cost outside its interval
} // namespace

BOOL WINAPI TimedUpdateLayeredWindowIndirect(HWND window, const UPDATELAYEREDWINDOWINFO* info)
{
    if (skipUpdates) {
        ++updateCalls;
        return TRUE;
    }
    const double start = Seconds();
    const BOOL result = realUpdate ? realUpdate(window, info) : FALSE;
    insideUpdate += Seconds() - start;
    ++updateCalls;
    return result;
}

void ResetUpdateTiming()
{
    insideUpdate = 0;
    updateCalls = 0;
}

void SkipUpdates(bool skip) { skipUpdates = skip; }

double UpdateSeconds() { return insideUpdate + double(updateCalls) * timerCost; }
long UpdateCalls() { return updateCalls; }

double Seconds()
{
    static const double period = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return 1.0 / double(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * period;
}

void Measure(std::vector<Case*> cases, int rounds)
{
    for (Case* c : cases)
        c->run(); // warm: first-use costs belong to the cold cases, which measure them on purpose
    for (int round = 0; round < rounds; ++round) {
        for (Case* c : cases) {
            ResetUpdateTiming();
            const double start = Seconds();
            for (int i = 0; i < c->repeats; ++i)
                c->run();
            const double total = (Seconds() - start) / c->repeats;
            c->best = std::min(c->best, total);
            c->bestOwn = std::min(c->bestOwn, total - UpdateSeconds() / c->repeats);
            c->updateCalls = double(UpdateCalls()) / c->repeats;
        }
    }
}

void Section(const char* title) { std::printf("\n%s\n", title); }

void Figure(const char* what, double seconds) { std::printf("  %-46s %10.1f us\n", what, seconds * 1e6); }

namespace {

void PrintRow(const char* what, double ours, double reference, const char* referenceName, double target,
              double scale, const char* unit)
{
    const double ratio = ours / reference;
    std::printf("  %-46s %10.1f %-2s  %-18s %10.1f %-2s  ratio %6.3f", what, ours * scale, unit, referenceName,
                reference * scale, unit, ratio);
    if (target > 0) {
        const bool met = ratio <= target;
        allMet = allMet && met;
        std::printf("  (target <= %.3f: %s)", target, met ? "met" : "MISSED");
    }
    std::printf("\n");
}

} // namespace

void Row(const char* what, double ours, double reference, const char* referenceName, double target)
{
    PrintRow(what, ours, reference, referenceName, target, 1e6, "us");
}

void FactorRow(const char* what, double ours, double reference, const char* referenceName, double target)
{
    PrintRow(what, ours, reference, referenceName, target, 1, "x");
}

bool AllMet() { return allMet; }

void StartHost()
{
    tessary::ProcessAttach(nullptr);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InitializeTessaryInternal();
    constexpr int kReadings = 100000;
    const double start = Seconds();
    for (int i = 0; i < kReadings; ++i)
        Seconds();
    timerCost = (Seconds() - start) / kReadings;
    realUpdate = tessary::Context().updateLayeredWindowIndirect;
    tessary::Context().updateLayeredWindowIndirect = &TimedUpdateLayeredWindowIndirect;
}

Class_ZkWindow* CreateWindowObject(int width, int height, const wchar_t* title)
{
    void* object = nullptr;
    if (CreateInstance_ZkWindowD2D(&object) != 0)
        return nullptr;
    auto* base = static_cast<Class_QUOR*>(object);
    Class_ZkWindow* window = nullptr;
    const bool found = base->QueryInterface(ZK_FOURCC_WINDOW, reinterpret_cast<void**>(&window)) == 0;
    base->Release();
    if (!found)
        return nullptr;
    const WindowRecord record(0, 0, width, height, title, L"TessaryBenchWindow");
    if (window->Create(&record.info) != 0) {
        window->Release();
        return nullptr;
    }
    return window;
}

void ReleaseWindow(Class_ZkWindow* window)
{
    if (window)
        window->Release();
}

Class_ZkGraphicSurface* CreateSurface(Class_ZkWindow* window, int width, int height)
{
    void* raw = nullptr;
    if (CreateInstance_ZkGraphicSurfaceD2D(&raw) != 0)
        return nullptr;
    auto* object = static_cast<Class_QUOR*>(raw);
    Class_ZkGraphicSurface* surface = nullptr;
    const bool found = object->QueryInterface(ZK_FOURCC_SURFACE, reinterpret_cast<void**>(&surface)) == 0;
    const ZkSurfaceCreateInfo record{ZK_FOURCC_SURFACE, sizeof(ZkSurfaceCreateInfo), 0, uint32_t(width), uint32_t(height),
                                     reinterpret_cast<uint64_t>(window->GetWindowHandle())};
    const bool created = found && object->Create(&record) == 0;
    object->Release();
    if (!created) {
        if (surface)
            surface->Release();
        return nullptr;
    }
    return surface;
}

void ReleaseSurface(Class_ZkGraphicSurface* surface)
{
    if (surface)
        surface->Release();
}

ID2D1BitmapRenderTarget* CreateRawTarget(int width, int height, ID2D1DCRenderTarget** device)
{
    const D2D1_RENDER_TARGET_PROPERTIES properties{D2D1_RENDER_TARGET_TYPE_HARDWARE,
                                                   {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED},
                                                   0, 0, D2D1_RENDER_TARGET_USAGE_GDI_COMPATIBLE,
                                                   D2D1_FEATURE_LEVEL_DEFAULT};
    *device = nullptr;
    if (FAILED(tessary::Context().d2dFactory->CreateDCRenderTarget(&properties, device)) || !*device)
        return nullptr;
    const D2D1_SIZE_F size{float(width), float(height)};
    const D2D1_SIZE_U pixels{UINT32(width), UINT32(height)};
    ID2D1BitmapRenderTarget* target = nullptr;
    (*device)->CreateCompatibleRenderTarget(&size, &pixels, &properties.pixelFormat,
                                            D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE, &target);
    if (target)
        target->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    return target;
}

void PresentRaw(ID2D1RenderTarget* target, HWND window, SIZE size, const RECT& dirty)
{
    ID2D1GdiInteropRenderTarget* interop = nullptr;
    target->QueryInterface(__uuidof(ID2D1GdiInteropRenderTarget), reinterpret_cast<void**>(&interop));
    target->BeginDraw();
    HDC dc = nullptr;
    if (interop && SUCCEEDED(interop->GetDC(D2D1_DC_INITIALIZE_MODE_COPY, &dc))) {
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UPDATELAYEREDWINDOWINFO info{sizeof(info), nullptr, nullptr, &size, dc, &source, 0, &blend, ULW_ALPHA, &dirty};
        TimedUpdateLayeredWindowIndirect(window, &info);
        const RECT nothing{0, 0, 0, 0};
        interop->ReleaseDC(&nothing);
    }
    target->EndDraw();
    if (interop)
        interop->Release();
}

ID2D1Bitmap* BitmapOf(Class_ZkGraphicSurface* surface)
{
    void* part = nullptr;
    if (surface->QueryInterface(ZK_FOURCC_SURFACE_IMPL, &part) != 0 || !part)
        return nullptr;
    auto* impl = static_cast<Class_ZkGraphicSurfaceD2D*>(part);
    ID2D1Bitmap* bitmap = nullptr;
    if (ID2D1RenderTarget* picture = impl->GetRenderTarget()) {
        ID2D1BitmapRenderTarget* bitmapTarget = nullptr;
        picture->QueryInterface(__uuidof(ID2D1BitmapRenderTarget), reinterpret_cast<void**>(&bitmapTarget));
        if (bitmapTarget) {
            bitmapTarget->GetBitmap(&bitmap);
            bitmapTarget->Release();
        }
        picture->Release();
    }
    impl->Release();
    return bitmap;
}

Class_ZkRegion MakeRegion(HRGN shape) { return Class_ZkRegion{shape, nullptr, CreateRectRgn(0, 0, 0, 0)}; }

void DeleteRegion(Class_ZkRegion& region)
{
    DeleteObject(region.handle);
    DeleteObject(region.scratch);
    delete region.gdiplusRegion;
}

Dib::Dib(int w, int h) : width(w), height(h)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<uint32_t*>(bits);
    previous = SelectObject(dc, bitmap);
}

Dib::~Dib()
{
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

HWND CreatePlainLayeredWindow(int width, int height)
{
    static const ATOM registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TessaryBenchPlain";
        return RegisterClassW(&windowClass);
    }();
    (void)registered;
    HWND window = CreateWindowExW(WS_EX_LAYERED, L"TessaryBenchPlain", L"GDI+", WS_POPUP, 0, 0, width, height,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

} // namespace bench
