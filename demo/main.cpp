// The Tessary demo: a host that loads tessary.dll, composes a small interface in a layered window,
// recovers from one lost device, saves a screenshot of it as a PNG, and reports how long presentations
// take.
#include "interface.h"
#include "screenshot.h"
#include <d2d1.h>
#include <gdiplus.h>
#include <cstdio>
#include <string>

namespace {

constexpr UINT kDeviceLost = WM_APP + 1;
demo::Scene g_scene;

// The library posts kDeviceLost to the window when the device is lost: rebuild, then draw again.
LRESULT OnDeviceLost(HWND, UINT, WPARAM, LPARAM, Class_ZkWindow* window)
{
    if (OnDeviceLostTessaryInternal()) {
        ++g_scene.recoveries;
        demo::ComposeInterface(window, g_scene);
    }
    return 0;
}

// One lost device, made on purpose: softd2d, our software d2d1.dll, can fail the next EndDraw the way
// a removed graphics adapter does. With the system's Direct2D the entry is absent and nothing happens.
void LoseTheDeviceOnce(Class_ZkWindow* window)
{
    using FailNextEndDraw = HRESULT(WINAPI*)(IUnknown* target, UINT32 count, HRESULT result);
    const auto fail = reinterpret_cast<FailNextEndDraw>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"d2d1.dll"), "SoftD2D_FailNextEndDraw")));
    if (!fail || FAILED(fail(nullptr, 1, D2DERR_RECREATE_TARGET)))
        return;
    const RECT corner{0, 0, 8, 8};
    window->FillRect(0xFF8A4F1E, &corner); // any drawing, so that the next presentation ends a pass
    window->Present();
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Average microseconds of one Present after changing `dirty` (null: the whole window).
double MeasurePresent(Class_ZkWindow* window, const RECT* dirty, int rounds)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < rounds; ++i) {
        const uint32_t colour = (i & 1) ? 0xFF3AA6F0 : 0xFFD08A3A;
        window->FillRect(colour, dirty);
        window->Present();
    }
    QueryPerformanceCounter(&end);
    return double(end.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart) / rounds;
}

int Run(const wchar_t* path)
{
    // The showcase's inputs: a PNG written beside the screenshot, and a private font file.
    g_scene.picture = std::wstring(path) + L".sample.png";
    if (FAILED(demo::WriteSamplePicture(g_scene.picture.c_str())))
        std::fprintf(stderr, "the sample picture could not be written\n");
    g_scene.privateFont = demo::FindPrivateFontFile();
    if (!g_scene.privateFont.empty())
        Tessary_AddPrivateFont(g_scene.privateFont.c_str());
    if (!InitializeTessaryInternal()) {
        std::fprintf(stderr, "InitializeTessaryInternal failed\n");
        return 1;
    }
    void* object = nullptr;
    if (CreateInstance_ZkWindowD2D(&object) != 0) {
        std::fprintf(stderr, "no window object\n");
        return 1;
    }
    auto* base = static_cast<Class_QUOR*>(object);
    Class_ZkWindow* window = nullptr;
    if (base->QueryInterface(ZK_FOURCC_WINDOW, reinterpret_cast<void**>(&window)) != 0) {
        base->Release();
        return 1;
    }

    CREATESTRUCTW block{};
    block.hInstance = GetModuleHandleW(nullptr);
    block.x = 60;
    block.y = 60;
    block.cx = demo::kWidth;
    block.cy = demo::kHeight;
    block.lpszName = L"Tessary demo";
    block.lpszClass = L"TessaryDemoWindow";
    ZkWindowCreateInfo info{};
    info.fourcc = ZK_FOURCC_WINDOW;
    info.size = sizeof(info);
    info.creation = &block;
    info.style = WS_POPUP;
    info.cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    info.showCommand = SW_SHOWNORMAL;

    int result = 1;
    const uint32_t created = window->Create(&info);
    if (created != 0) {
        std::fprintf(stderr, "Create failed: 0x%X\n", created);
    } else {
        HWND handle = window->GetWindowHandle();
        window->SetMessageHandler(kDeviceLost, &OnDeviceLost);
        SetDeviceLostHandlerTessaryInternal(handle, kDeviceLost);
        // The shape comes from an alpha channel; the window takes the region object over.
        if (HRGN shape = demo::ShapeFromAlpha(window))
            window->SetShape(new Class_ZkRegion{shape, nullptr, CreateRectRgn(0, 0, 0, 0)});
        const bool drawn = demo::ComposeInterface(window, g_scene);
        PumpMessages();
        LoseTheDeviceOnce(window);
        PumpMessages(); // the handler rebuilds and redraws
        const HRESULT saved = demo::SaveWindowScreenshot(handle, path);
        if (!drawn)
            std::fprintf(stderr, "a drawing call failed\n");
        else if (FAILED(saved))
            std::fprintf(stderr, "screenshot failed: 0x%08lX\n", static_cast<unsigned long>(saved));
        else {
            std::wprintf(L"screenshot: %ls\n", path);
            std::printf("device losses recovered from: %d\n", g_scene.recoveries);
            result = 0;
        }

        const RECT small{12, 52, 108, 78};
        std::printf("Present of one %dx%d rectangle: %.0f us\n", int(small.right - small.left),
                    int(small.bottom - small.top), MeasurePresent(window, &small, 200));
        std::printf("Present of the whole %dx%d window: %.0f us\n", demo::kWidth, demo::kHeight,
                    MeasurePresent(window, nullptr, 50));
        window->SetShape(nullptr);
        std::printf("The same without a shape: %.0f us and %.0f us\n", MeasurePresent(window, &small, 200),
                    MeasurePresent(window, nullptr, 50));

        SetDeviceLostHandlerTessaryInternal(nullptr, 0);
        DestroyWindow(handle);
    }
    // Every object goes before the library is uninitialised.
    window->Release();
    base->Release();
    UninitializeTessaryInternal();
    if (!g_scene.privateFont.empty())
        Tessary_RemovePrivateFont(g_scene.privateFont.c_str());
    DeleteFileW(g_scene.picture.c_str());
    return result;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const wchar_t* path = argc > 1 ? argv[1] : L"tessary-demo.png";
    // A host starts GDI+ and COM before it initialises Tessary; the library does neither.
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return 1;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = Run(path);
    CoUninitialize();
    Gdiplus::GdiplusShutdown(token);
    return result;
}
