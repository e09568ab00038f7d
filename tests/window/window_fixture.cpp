#include "window_fixture.h"
#include "frame/context.h"
#include <Tessary.h>

namespace window_test {

namespace {

tessary::UpdateLayeredWindowIndirectFn g_system = nullptr;

BOOL WINAPI RecordLayeredUpdate(HWND window, const UPDATELAYEREDWINDOWINFO* info)
{
    LayeredUpdate u{window, *info, info->psize ? *info->psize : SIZE{}, info->pptSrc ? *info->pptSrc : POINT{},
                    info->pblend ? *info->pblend : BLENDFUNCTION{}, info->prcDirty ? *info->prcDirty : RECT{}};
    if (info->psize)
        u.pixels = CopyDC(info->hdcSrc, info->psize->cx, info->psize->cy);
    WindowTest::Updates().push_back(std::move(u));
    return WindowTest::forward && g_system ? g_system(window, info) : TRUE;
}

} // namespace

bool WindowTest::forward = false;

WindowRecord::WindowRecord(const WindowParams& p)
    : block{nullptr, GetModuleHandleW(nullptr), nullptr, p.parent, p.cy, p.cx, p.y, p.x, 0 /* class style */,
            L"Tessary test", p.className, p.exStyle},
      info{ZK_FOURCC_WINDOW, sizeof(ZkWindowCreateInfo), p.reserved, &block, p.style, 0, 0, p.icon, p.icon, p.cursor,
           nullptr, uint32_t(p.show), 0}
{
}

std::vector<LayeredUpdate>& WindowTest::Updates()
{
    static std::vector<LayeredUpdate> updates;
    return updates;
}

void WindowTest::SetUp()
{
    tessary_test::StartHostEnvironment();
    ASSERT_EQ(InitializeTessaryInternal(), 1u);
    ASSERT_TRUE(Quillon().refuseLocks && Quillon().lastLockSite && Quillon().heldLocks) << "our Quillon build";
    _system = tessary::Context().updateLayeredWindowIndirect;
    g_system = _system;
    tessary::Context().updateLayeredWindowIndirect = &RecordLayeredUpdate;
    forward = false;
    ClearUpdates();

}

void WindowTest::TearDown()
{
    for (Class_ZkWindowD2D* window : _windows) {
        // Windows go before their objects: the property names the object until the end.
        HWND handle = window->windowHandle;
        if (handle && IsWindow(handle))
            DestroyWindow(handle);
        static_cast<Class_QUOR*>(window)->Release();
    }
    _windows.clear();
    SetDeviceLostHandlerTessaryInternal(nullptr, 0);
    if (SoftD2D().clearFailures)
        SoftD2D().clearFailures();
    if (Quillon().refuseLocks)
        Quillon().refuseLocks(0);
    tessary::Context().updateLayeredWindowIndirect = _system;
    ClearUpdates();
}

Class_ZkWindowD2D* WindowTest::NewWindowObject()
{
    void* base = nullptr;
    EXPECT_EQ(CreateInstance_ZkWindowD2D(&base), 0u);
    if (!base)
        return nullptr;
    void* implementation = nullptr;
    EXPECT_EQ(static_cast<Class_QUOR*>(base)->QueryInterface(ZK_FOURCC_WINDOW_IMPL, &implementation), 0u);
    static_cast<Class_QUOR*>(base)->Release(); // the query's reference stays
    auto* window = static_cast<Class_ZkWindowD2D*>(implementation);
    _windows.push_back(window);
    return window;
}

Class_ZkWindowD2D* WindowTest::NewWindow(const WindowParams& params)
{
    Class_ZkWindowD2D* window = NewWindowObject();
    if (!window)
        return nullptr;
    WindowRecord record(params);
    EXPECT_EQ(window->Create(&record.info), 0u);
    return window;
}

const LayeredUpdate* WindowTest::PresentOnce(Class_ZkWindowD2D* window)
{
    ClearUpdates();
    EXPECT_EQ(window->Present(), 0u);
    EXPECT_EQ(Updates().size(), 1u);
    return Updates().size() == 1 ? &Updates()[0] : nullptr;
}

uint32_t WindowTest::LastLockLine()
{
    QuillonLockSite site{};
    Quillon().lastLockSite(&site);
    return site.line;
}

std::vector<uint32_t> ScreenPixels(const RECT& area)
{
    HDC screen = GetDC(nullptr);
    std::vector<uint32_t> pixels =
        CopyDC(screen, area.right - area.left, area.bottom - area.top, area.left, area.top);
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : pixels)
        p &= 0x00FFFFFF; // the screen has no alpha to speak of
    return pixels;
}

Class_ZkRegion* NewHostRegion(std::initializer_list<RECT> rects)
{
    return new Class_ZkRegion{tessary_test::WithRects(CreateRectRgn(0, 0, 0, 0), rects), nullptr,
                              CreateRectRgn(0, 0, 0, 0)};
}

} // namespace window_test
