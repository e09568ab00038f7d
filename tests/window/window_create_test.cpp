// Window creation: record checks, the system window and its class, the device, the surface, the
// first presentation, the clean-up of every failure, and reset.
#include "frame/registries.h"
#include "window_fixture.h"
#include <cstring>

using namespace window_test;

class WindowCreate : public WindowTest {};

// Create's guard is taken at its line with the build stamp; reset releases everything even when its guard
// is refused.
TEST_F(WindowCreate, GuardsOfCreateAndResetAndCreateFailuresResetTheObjectLeakNothingAndMayBeRetried)
{
    Class_ZkWindowD2D* window = NewWindowObject();
    WindowRecord record(WindowParams{});

    Quillon().refuseLocks(1);
    EXPECT_EQ(window->Create(&record.info), ZK_FAIL);
    QuillonLockSite site{};
    Quillon().lastLockSite(&site);
    EXPECT_EQ(site.object, static_cast<Class_QUOR*>(window));
    EXPECT_STREQ(site.file, L".\\ZkWindow");
    EXPECT_EQ(site.line, 136u);
    // "Mmm dd yyyy" with the day padded by a space, and "hh:mm:ss".
    EXPECT_TRUE(std::wcslen(site.date) == 11 && site.date[3] == L' ' && site.date[6] == L' ') << site.date;
    EXPECT_TRUE(std::wcslen(site.time) == 8 && site.time[2] == L':' && site.time[5] == L':') << site.time;
    EXPECT_EQ(window->windowHandle, nullptr) << "a refused guard touches nothing";

    const uint32_t held = Quillon().heldLocks();
    const LONG live = SoftD2D().Present() ? SoftD2D().liveObjectCount() : 0;
    ASSERT_EQ(window->Create(&record.info), 0u);
    EXPECT_EQ(Quillon().heldLocks(), held) << "every guard taken is given back";

    // Reset, shaped, with its guard refused: every Direct2D object of the window is released, the system
    // window stays for the host to destroy, and its messages go to the system's defaults.
    window->SetShape(NewHostRegion({RECT{0, 0, 10, 10}}));
    HWND handle = window->windowHandle;
    ASSERT_EQ(LockObjectAt(window, L"", 0, L"", L""), 0u); // held further out by the host
    Quillon().refuseLocks(1);
    EXPECT_EQ(window->ResetData(), 0u);
    EXPECT_TRUE(!window->IsCreated() && !window->windowHandle && !window->windowTarget);
    EXPECT_EQ(tessary::FindWindowTarget(reinterpret_cast<uint64_t>(handle)), nullptr);
    if (SoftD2D().Present()) {
        EXPECT_EQ(SoftD2D().liveObjectCount(), live);
    }
    EXPECT_EQ(Quillon().heldLocks(), held + 1) << "the unlock after the refusal releases nothing";
    EXPECT_EQ(LastLockLine(), 163u);
    UnlockObjectAt(window);
    EXPECT_EQ(Quillon().heldLocks(), held) << "the reset's unlock settled the refusal: this one is real";
    EXPECT_EQ(window->ResetData(), 0u) << "a second reset has nothing left to do";
    EXPECT_EQ(GetPropW(handle, L"ZkWindow::this"), static_cast<HANDLE>(window));
    EXPECT_EQ(SendMessageW(handle, WM_APP, 0, 0), 0);
    DestroyWindow(handle);

    // Failures of the system window and of the device: each resets the object, leaves no window, target
    // or lock behind, and Create may be tried again.
    const wchar_t* kClass = L"TessaryTestFailingCreate"; // no other test makes windows of it
    const size_t registered = tessary::WindowTargets().size();
    auto expectReset = [&] {
        EXPECT_TRUE(!window->IsCreated() && !window->windowHandle && !window->windowTarget && !window->handlers);
        EXPECT_EQ(FindWindowW(kClass, nullptr), nullptr);
        EXPECT_EQ(tessary::WindowTargets().size(), registered);
        if (SoftD2D().Present()) {
            EXPECT_EQ(SoftD2D().liveObjectCount(), live);
        }
        EXPECT_EQ(Quillon().heldLocks(), held);
    };
    const HWND noWindow = reinterpret_cast<HWND>(uintptr_t(0x7FFFFFF0));
    WindowRecord orphan({.style = WS_CHILD, .className = kClass, .parent = noWindow});
    WindowRecord nameless({.className = nullptr}), noBlock({.className = kClass});
    noBlock.info.creation = nullptr;
    for (WindowRecord* record : {&orphan, &nameless, &noBlock}) {
        EXPECT_EQ(window->Create(&record->info), ZK_E_CREATE_WINDOW_FAILED);
        expectReset();
    }
    // No window target; then a window target but no surface: the target is unregistered and released
    // again, and the system window made for the attempt does not outlive it.
    WindowRecord good({.className = kClass});
    for (SoftD2DResourceKind kind : {SOFTD2D_RESOURCE_DC_TARGET, SOFTD2D_RESOURCE_COMPATIBLE_TARGET}) {
        if (!SoftD2D().Present())
            break;
        ASSERT_EQ(SoftD2D().failNextCreate(kind, 1, E_OUTOFMEMORY), S_OK);
        EXPECT_EQ(window->Create(&good.info), ZK_FAIL) << kind;
        expectReset();
    }
    EXPECT_EQ(window->Create(&good.info), 0u);
    EXPECT_EQ(window->IsCreated(), 1u);
}

TEST_F(WindowCreate, SystemWindowIsLayeredWithTheAdjustedOuterSizeAndPresentedWhole)
{
    HCURSOR cross = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
    WindowRecord record({.style = WS_OVERLAPPEDWINDOW, .cursor = cross, .reserved = 0x1234});
    const CREATESTRUCTW before = record.block;
    Class_ZkWindowD2D* window = NewWindowObject();
    ASSERT_EQ(window->Create(&record.info), 0u);
    HWND handle = window->windowHandle;
    ASSERT_TRUE(IsWindow(handle));

    EXPECT_EQ(std::memcmp(&before, &record.block, sizeof(before)), 0) << "the host's block is not modified";
    EXPECT_TRUE(GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(GetPropW(handle, L"ZkWindow::this"), static_cast<HANDLE>(window));
    // The first presentation sent the whole transparent surface and consumed the update region.
    ASSERT_EQ(Updates().size(), 1u);
    const LayeredUpdate& u = Updates()[0];
    EXPECT_TRUE(u.window == handle && u.info.prcDirty != nullptr);
    EXPECT_EQ(u.dirty, (RECT{0, 0, 300, 200}));
    EXPECT_TRUE(PixelsAre(u.pixels, 300, 200, 0));
    EXPECT_TRUE(window->modified == 0 && RegionRects(window->updateRegion.handle).empty());

    // The recorder did not forward the first presentation, which would have sized the window to it.
    RECT expected{0, 0, 300, 200}, outer{}, client{};
    AdjustWindowRectEx(&expected, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_LAYERED);
    GetWindowRect(handle, &outer);
    EXPECT_EQ((RECT{0, 0, outer.right - outer.left, outer.bottom - outer.top}),
              (RECT{0, 0, expected.right - expected.left, expected.bottom - expected.top}));

    EXPECT_EQ(window->GetOpacity(), 255);
    EXPECT_EQ(window->reservedValue, 0x1234u);
    ASSERT_NE(window->windowTarget, nullptr);
    EXPECT_EQ(tessary::WindowTargets().at(reinterpret_cast<uint64_t>(handle)).window, window);
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_EQ(window->Create(&record.info), ZK_E_WINDOW_ALREADY_CREATED);
    EXPECT_EQ(window->windowHandle, handle) << "a created window stays as it is";

    // A new client size is fitted inside the frame.
    const SIZE size{420, 260};
    EXPECT_EQ(window->SetClientSize(&size, 0), 0u);
    GetClientRect(handle, &client);
    EXPECT_EQ(client, (RECT{0, 0, 420, 260}));

    // SW_HIDE: the window exists, hidden, and was presented all the same.
    ClearUpdates();
    EXPECT_FALSE(IsWindowVisible(NewWindow({.show = SW_HIDE})->windowHandle));
    EXPECT_EQ(Updates().size(), 1u);
}

TEST_F(WindowCreate, WindowsOfOneClassShareTheFirstRegistration)
{
    HICON first = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    HICON second = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_ERROR));
    ASSERT_NE(first, second);
    Class_ZkWindowD2D* a = NewWindow({.className = L"TessaryTestSharedClass", .icon = first});
    Class_ZkWindowD2D* b = NewWindow({.className = L"TessaryTestSharedClass", .icon = second});
    ASSERT_NE(a->windowHandle, b->windowHandle);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(b->windowHandle, GCLP_HICON)), first);
    EXPECT_EQ(GetPropW(b->windowHandle, L"ZkWindow::this"), static_cast<HANDLE>(b));
    EXPECT_EQ(b->IsCreated(), 1u);

    // A window the host creates itself with a library class is left to the system.
    HWND direct = CreateWindowExW(0, L"TessaryTestSharedClass", L"direct", WS_POPUP, -4000, -4000, 50, 50, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), reinterpret_cast<void*>(uintptr_t(0xBAD)));
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(GetPropW(direct, L"ZkWindow::this"), nullptr);
    EXPECT_EQ(SendMessageW(direct, WM_APP, 0, 0), 0);
    DestroyWindow(direct);
}
