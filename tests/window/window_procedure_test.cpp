// The window procedure and the host's message handlers: the handler table's states and codes,
// painting, and the window property at destruction.
#include "window_fixture.h"
#include <tuple>

using namespace window_test;

namespace {

using Call = std::tuple<HWND, UINT, WPARAM, LPARAM, Class_ZkWindow*>; // as the handler received them
std::vector<Call> g_calls;

// Handlers that record the call and answer `Result`.
template <LRESULT Result>
LRESULT Recorded(HWND w, UINT m, WPARAM wp, LPARAM lp, Class_ZkWindow* z)
{
    g_calls.push_back(Call{w, m, wp, lp, z});
    return Result;
}
constexpr auto First = &Recorded<111>;
constexpr auto Second = &Recorded<222>;

} // namespace

class WindowProcedure : public WindowTest {};

// The table's state machine on a created window is the fuzzer's (WindowOp); here what it cannot reach:
// an uncreated window, an empty table, and the arguments a handler receives.
TEST_F(WindowProcedure, HandlersNeedACreatedWindowReceiveTheMessageRunAfterPaintingAndOutliveTheProperty)
{
    const UINT m = WM_APP + 7;
    g_calls.clear();
    Class_ZkWindowD2D* window = NewWindowObject();
    EXPECT_EQ(window->SetMessageHandler(m, First), nullptr) << "not created: nothing stored";
    EXPECT_EQ(window->SuspendMessageHandler(m), ZK_E_WINDOW_NOT_CREATED);
    EXPECT_EQ(window->ResumeMessageHandler(m), ZK_E_WINDOW_NOT_CREATED);
    EXPECT_EQ(window->RemoveMessageHandler(m), nullptr);

    WindowRecord record(WindowParams{});
    ASSERT_EQ(window->Create(&record.info), 0u);
    EXPECT_TRUE(window->handlers->empty());
    EXPECT_EQ(window->SetMessageHandler(m, Second), nullptr);
    EXPECT_EQ(window->SendWindowMessage(m, 5, 6), 222);
    EXPECT_EQ(g_calls, (std::vector<Call>{{window->windowHandle, m, 5, 6, static_cast<Class_ZkWindow*>(window)}}));
    EXPECT_EQ(window->RemoveMessageHandler(m), Second);
    EXPECT_TRUE(window->handlers->empty());

    // A WM_PAINT handler runs after the library presented what was drawn.
    static size_t updatesAtHandler;
    static uint32_t modifiedAtHandler;
    static Class_ZkWindowD2D* painted;
    painted = window;
    updatesAtHandler = 99;
    modifiedAtHandler = 99;
    window->SetMessageHandler(WM_PAINT, [](HWND, UINT, WPARAM, LPARAM, Class_ZkWindow*) -> LRESULT {
        updatesAtHandler = WindowTest::Updates().size();
        modifiedAtHandler = painted->modified;
        return 5;
    });
    const RECT drawn{10, 10, 20, 20};
    ASSERT_EQ(window->FillRect(kOpaqueRed, &drawn), 0u);
    ClearUpdates();
    EXPECT_EQ(window->SendWindowMessage(WM_PAINT, 0, 0), 5);
    EXPECT_EQ(updatesAtHandler, 1u) << "the drawn rectangle was presented before the handler ran";
    EXPECT_EQ(modifiedAtHandler, 0u);
    ASSERT_EQ(Updates().size(), 1u);
    EXPECT_EQ(Updates()[0].dirty, drawn);

    // A WM_DESTROY handler runs, then the property goes.
    static HANDLE propertyDuringDestroy;
    g_calls.clear();
    HWND handle = window->windowHandle;
    window->SetMessageHandler(WM_DESTROY, [](HWND w, UINT, WPARAM, LPARAM, Class_ZkWindow*) -> LRESULT {
        propertyDuringDestroy = GetPropW(w, L"ZkWindow::this");
        return 0;
    });
    window->SetMessageHandler(WM_NCDESTROY, First);
    DestroyWindow(handle);
    EXPECT_EQ(propertyDuringDestroy, static_cast<HANDLE>(window));
    EXPECT_TRUE(g_calls.empty()) << "after WM_DESTROY the property is gone, so WM_NCDESTROY is the system's";

    // Without a WM_DESTROY handler the property stays until the window is gone.
    Class_ZkWindowD2D* unhandled = NewWindow();
    unhandled->SetMessageHandler(WM_NCDESTROY, First);
    DestroyWindow(unhandled->windowHandle);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(std::get<UINT>(g_calls[0]), UINT(WM_NCDESTROY));
}
