// The window operations: client size with its fitting and the surface-only flag, cursor, opacity,
// handles, activity, messages, and what the slots do before Create.
#include "window_fixture.h"

using namespace window_test;

class WindowOperations : public WindowTest {};

TEST_F(WindowOperations, ClientSizeResizesWindowAndSurfaceInPlaceOrTheSurfaceOnly)
{
    Class_ZkWindowD2D* window = NewWindow();
    ASSERT_EQ(window->FillRect(kOpaqueRed, nullptr), 0u);
    ASSERT_EQ(window->Present(), 0u);
    // The same size again keeps target and pixels.
    ID2D1RenderTarget* target = window->ownTarget;
    const SIZE same{300, 200};
    EXPECT_EQ(window->SetClientSize(&same, 0), 0u);
    EXPECT_EQ(window->ownTarget, target);
    EXPECT_TRUE(PixelsAre(ReadPixels(window), 300, 200, kRedPixel));
    RECT before{};
    GetWindowRect(window->windowHandle, &before);

    const SIZE size{400, 300};
    EXPECT_EQ(window->SetClientSize(&size, 0), 0u);
    RECT client{}, after{};
    GetClientRect(window->windowHandle, &client);
    GetWindowRect(window->windowHandle, &after);
    EXPECT_EQ(client, (RECT{0, 0, 400, 300}));
    EXPECT_EQ(after.left, before.left) << "the window does not move";
    EXPECT_EQ(after.top, before.top);
    // The surface's new size and blank pixels are the fuzzer's (Resize, geometry and pixel checks).
    EXPECT_EQ(RegionRects(window->updateRegion.handle), (std::vector<RECT>{RECT{0, 0, 400, 300}}));

    // The host redraws and presents; SetClientSize itself does not present.
    const LayeredUpdate* u = PresentOnce(window);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->windowSize.cx, 400);

    // The surface-only flag (other bits ignored) leaves the system window; the shape follows the surface.
    window->SetShape(NewHostRegion({RECT{0, 0, 10, 10}}));
    GetWindowRect(window->windowHandle, &before);
    const SIZE surfaceOnly{120, 90};
    EXPECT_EQ(window->SetClientSize(&surfaceOnly, ZK_CLIENT_SIZE_SURFACE_ONLY | 0xF0), 0u);
    GetWindowRect(window->windowHandle, &after);
    GetClientRect(window->windowHandle, &client);
    EXPECT_EQ(after, before);
    EXPECT_EQ(client, (RECT{0, 0, 400, 300}));
    ASSERT_NE(window->shapeMask, nullptr);
    EXPECT_EQ(window->shapeMask[9 * 120 + 9], 255);
    EXPECT_EQ(window->shapeMask[89 * 120 + 119], 0) << "the mask has the new size";
}

// An uncreated window's code is the failure sweep's.
TEST_F(WindowOperations, ClientSizeFailuresAndGuard)
{
    const SIZE size{50, 50};
    Class_ZkWindowD2D* window = NewWindow();
    EXPECT_EQ(window->SetClientSize(nullptr, 0), ZK_FAIL);
    // Refused while the host writes into the opacity buffer: the fuzzer's (mask), with the buffer's
    // values read back afterwards.
    Quillon().refuseLocks(1);
    EXPECT_EQ(window->SetClientSize(&size, 0), ZK_FAIL);
    EXPECT_EQ(LastLockLine(), 646u);
    EXPECT_EQ(window->clientWidth, 300);
    if (SoftD2D().Present()) {
        const uint32_t held = Quillon().heldLocks();
        ASSERT_EQ(SoftD2D().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
        EXPECT_EQ(window->SetClientSize(&size, 0), ZK_FAIL);
        EXPECT_EQ(window->IsCreated(), 0u) << "only ResetData and Create bring it back";
        EXPECT_TRUE(IsWindow(window->windowHandle));
        EXPECT_EQ(Quillon().heldLocks(), held);
        EXPECT_EQ(window->Present(), ZK_E_WINDOW_NOT_CREATED);
        HWND old = window->windowHandle;
        EXPECT_EQ(window->ResetData(), 0u);
        DestroyWindow(old);
        WindowRecord record(WindowParams{});
        EXPECT_EQ(window->Create(&record.info), 0u);
    }
}

// The cursor is stored, set only when it changes, and WM_SETCURSOR never reaches a host handler.
TEST_F(WindowOperations, CursorHandlesActivityMessagesAndReservedSlot)
{
    Class_ZkWindowD2D* unready = NewWindowObject();
    HCURSOR cross = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
    HCURSOR wait = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
    ASSERT_NE(cross, wait);
    EXPECT_EQ(unready->SetWindowCursor(cross), nullptr);
    EXPECT_EQ(unready->cursor, nullptr) << "not created: nothing stored";
    EXPECT_EQ(unready->GetInstanceHandle(), nullptr); // the window handle and opacity are the host test's
    SetActiveWindow(nullptr);
    if (GetActiveWindow() == nullptr) {
        EXPECT_TRUE(unready->IsActive()) << "no handle, and no active window either";
    }
    EXPECT_EQ(unready->SendWindowMessage(WM_APP, 0, 0), 0);
    EXPECT_EQ(unready->SetOpacity(10), 0u);
    unready->Reserved15();

    Class_ZkWindowD2D* window = NewWindow({.cursor = wait});
    EXPECT_EQ(window->SetWindowCursor(cross), wait);
    EXPECT_EQ(GetCursor(), cross) << "a new cursor is set at once";
    SetCursor(wait);
    EXPECT_EQ(window->SetWindowCursor(cross), cross) << "the same cursor again is only stored";
    EXPECT_EQ(GetCursor(), wait);

    static bool handled;
    handled = false;
    window->SetMessageHandler(WM_SETCURSOR, [](HWND, UINT, WPARAM, LPARAM, Class_ZkWindow*) -> LRESULT {
        return handled = true;
    });
    EXPECT_EQ(window->SendWindowMessage(WM_SETCURSOR, WPARAM(window->windowHandle), MAKELPARAM(HTCAPTION, 0)),
              TRUE);
    EXPECT_EQ(GetCursor(), cross);
    EXPECT_FALSE(handled);

    // Created, the handles and activity are the host test's; a message the window leaves to the system
    // comes back with the system's answer.
    wchar_t title[32] = {};
    EXPECT_EQ(window->SendWindowMessage(WM_GETTEXT, 32, reinterpret_cast<LPARAM>(title)), 12);
    EXPECT_STREQ(title, L"Tessary test");
}
