// Window creation: record checks, the system window and its class, the device, the surface, the
// first presentation, the clean-up of every failure, and reset.
#include "frame/registries.h"
#include "window_fixture.h"
#include <cstring>

using namespace window_test;

class WindowCreate : public WindowTest {};

TEST_F(WindowCreate, GuardIsTakenAtTheCreateLineWithTheBuildStamp)
{
    ASSERT_TRUE(Quillon().refuseLocks && Quillon().lastLockSite && Quillon().heldLocks);
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

    const uint32_t heldBefore = Quillon().heldLocks();
    ASSERT_EQ(window->Create(&record.info), 0u);
    EXPECT_EQ(Quillon().heldLocks(), heldBefore) << "every guard taken is given back";
}

TEST_F(WindowCreate, SystemWindowIsLayeredWithTheAdjustedOuterSize)
{
    WindowParams params;
    params.style = WS_OVERLAPPEDWINDOW;
    params.exStyle = 0;
    params.cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
    params.reserved = 0x1234;
    WindowRecord record(params);
    const CREATESTRUCTW before = record.block;
    Class_ZkWindowD2D* window = NewWindowObject();
    ASSERT_EQ(window->Create(&record.info), 0u);
    HWND handle = window->windowHandle;
    ASSERT_TRUE(IsWindow(handle));

    EXPECT_EQ(std::memcmp(&before, &record.block, sizeof(before)), 0) << "the host's block is not modified";
    EXPECT_TRUE(GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(GetPropW(handle, L"ZkWindow::this"), static_cast<HANDLE>(window));

    // The recorder did not forward the first presentation, which would have sized the window to it.
    RECT expected{0, 0, 300, 200};
    AdjustWindowRectEx(&expected, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_LAYERED);
    RECT outer{};
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
}

TEST_F(WindowCreate, FirstPresentationSendsTheWholeTransparentSurface)
{
    Class_ZkWindowD2D* window = NewWindow();
    ASSERT_EQ(Updates().size(), 1u);
    const LayeredUpdate& u = Updates()[0];
    EXPECT_EQ(u.window, window->windowHandle);
    EXPECT_NE(u.info.prcDirty, nullptr);
    EXPECT_EQ(u.dirty, (RECT{0, 0, 300, 200}));
    EXPECT_TRUE(PixelsAre(u.pixels, 300, 200, 0));
    EXPECT_EQ(window->modified, 0u);
    EXPECT_TRUE(RegionRects(window->updateRegion.handle).empty());

    // SW_HIDE: the window exists, hidden, and was presented all the same.
    ClearUpdates();
    WindowParams hidden;
    hidden.show = SW_HIDE;
    Class_ZkWindowD2D* second = NewWindow(hidden);
    EXPECT_FALSE(IsWindowVisible(second->windowHandle));
    EXPECT_EQ(Updates().size(), 1u);
}

TEST_F(WindowCreate, WindowsOfOneClassShareTheFirstRegistration)
{
    HICON first = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    HICON second = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_ERROR));
    ASSERT_NE(first, second);
    WindowParams params;
    params.className = L"TessaryTestSharedClass";
    params.icon = first;
    Class_ZkWindowD2D* a = NewWindow(params);
    params.icon = second;
    Class_ZkWindowD2D* b = NewWindow(params);
    ASSERT_NE(a->windowHandle, b->windowHandle);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(b->windowHandle, GCLP_HICON)), first);
    EXPECT_EQ(GetPropW(b->windowHandle, L"ZkWindow::this"), static_cast<HANDLE>(b));
    EXPECT_EQ(b->IsCreated(), 1u);
}

TEST_F(WindowCreate, SystemWindowFailureIsReportedAndCreateMayBeTriedAgain)
{
    Class_ZkWindowD2D* window = NewWindowObject();
    const uint32_t heldBefore = Quillon().heldLocks ? Quillon().heldLocks() : 0;

    WindowParams badParent;
    badParent.style = WS_CHILD;
    badParent.parent = reinterpret_cast<HWND>(uintptr_t(0x7FFFFFF0));
    WindowRecord orphan(badParent);
    EXPECT_EQ(window->Create(&orphan.info), ZK_E_CREATE_WINDOW_FAILED);
    EXPECT_EQ(window->IsCreated(), 0u);
    EXPECT_EQ(window->windowHandle, nullptr);
    EXPECT_EQ(window->handlers, nullptr) << "the failure path resets the object";

    WindowParams noClass;
    noClass.className = nullptr;
    WindowRecord nameless(noClass);
    EXPECT_EQ(window->Create(&nameless.info), ZK_E_CREATE_WINDOW_FAILED);

    WindowRecord noBlock(WindowParams{});
    noBlock.info.creation = nullptr;
    EXPECT_EQ(window->Create(&noBlock.info), ZK_E_CREATE_WINDOW_FAILED);
    if (Quillon().heldLocks) {
        EXPECT_EQ(Quillon().heldLocks(), heldBefore);
    }

    WindowRecord good(WindowParams{});
    EXPECT_EQ(window->Create(&good.info), 0u);
    EXPECT_EQ(window->IsCreated(), 1u);
}

TEST_F(WindowCreate, DeviceFailuresResetTheObjectAndLeakNothing)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkWindowD2D* window = NewWindowObject();
    WindowRecord record(WindowParams{});
    const LONG live = SoftD2D().liveObjectCount();

    // No window target; then a window target but no surface: the target is unregistered and released
    // again, and the system window made for the attempt does not outlive it.
    const size_t registered = tessary::WindowTargets().size();
    for (SoftD2DResourceKind kind : {SOFTD2D_RESOURCE_DC_TARGET, SOFTD2D_RESOURCE_COMPATIBLE_TARGET}) {
        ASSERT_EQ(SoftD2D().failNextCreate(kind, 1, E_OUTOFMEMORY), S_OK);
        EXPECT_EQ(window->Create(&record.info), ZK_FAIL) << kind;
        EXPECT_EQ(FindWindowW(L"TessaryTestWindow", nullptr), nullptr);
        EXPECT_TRUE(!window->IsCreated() && !window->windowHandle && !window->windowTarget);
        EXPECT_EQ(tessary::WindowTargets().size(), registered);
        EXPECT_EQ(SoftD2D().liveObjectCount(), live);
    }

    ASSERT_EQ(window->Create(&record.info), 0u);
    EXPECT_GT(SoftD2D().liveObjectCount(), live);
}

TEST_F(WindowCreate, ResetReleasesEveryDeviceObjectAndLeavesTheSystemWindow)
{
    REQUIRE_SOFTD2D_CONTROL();
    const LONG live = SoftD2D().liveObjectCount();
    Class_ZkWindowD2D* window = NewWindow();
    window->SetShape(NewHostRegion({RECT{0, 0, 10, 10}}));
    ASSERT_NE(window->compositionTarget, nullptr);
    HWND handle = window->windowHandle;

    EXPECT_EQ(window->ResetData(), 0u);
    EXPECT_EQ(window->IsCreated(), 0u);
    EXPECT_EQ(tessary::FindWindowTarget(reinterpret_cast<uint64_t>(handle)), nullptr);
    EXPECT_EQ(window->windowHandle, nullptr);
    EXPECT_EQ(SoftD2D().liveObjectCount(), live) << "every Direct2D object of the window is released";
    EXPECT_TRUE(IsWindow(handle)) << "the system window is the host's to destroy";
    EXPECT_EQ(GetPropW(handle, L"ZkWindow::this"), static_cast<HANDLE>(window));
    // Without a handler table, messages of a reset window go to the system's defaults.
    EXPECT_EQ(SendMessageW(handle, WM_APP, 0, 0), 0);
    DestroyWindow(handle);

    WindowRecord again(WindowParams{});
    EXPECT_EQ(window->Create(&again.info), 0u);
    EXPECT_EQ(window->ResetData(), 0u);
    EXPECT_EQ(window->ResetData(), 0u) << "a second reset has nothing left to do";
}

TEST_F(WindowCreate, ResetGoesOnWhenTheGuardIsRefused)
{
    ASSERT_TRUE(Quillon().refuseLocks && Quillon().heldLocks);
    Class_ZkWindowD2D* window = NewWindow();
    const uint32_t held = Quillon().heldLocks();
    ASSERT_EQ(LockObjectAt(window, L"", 0, L"", L""), 0u); // held further out by the host
    Quillon().refuseLocks(1);
    EXPECT_EQ(window->ResetData(), 0u);
    EXPECT_EQ(window->IsCreated(), 0u);
    EXPECT_EQ(window->windowTarget, nullptr);
    EXPECT_EQ(Quillon().heldLocks(), held + 1) << "the unlock after the refusal releases nothing";
    QuillonLockSite site{};
    Quillon().lastLockSite(&site);
    EXPECT_EQ(site.line, 163u);
    UnlockObjectAt(window);
    EXPECT_EQ(Quillon().heldLocks(), held) << "the reset's unlock settled the refusal: this one is real";
}

TEST_F(WindowCreate, AWindowTheHostCreatesWithALibraryClassIsLeftToTheSystem)
{
    NewWindow(); // registers TessaryTestWindow with the library's procedure
    HWND direct = CreateWindowExW(0, L"TessaryTestWindow", L"direct", WS_POPUP, -4000, -4000, 50, 50, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), reinterpret_cast<void*>(uintptr_t(0xBAD)));
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(GetPropW(direct, L"ZkWindow::this"), nullptr);
    EXPECT_EQ(SendMessageW(direct, WM_APP, 0, 0), 0);
    DestroyWindow(direct);
}
