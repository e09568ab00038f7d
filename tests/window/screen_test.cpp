// End to end on the real screen: what a presented window shows over a green backdrop window,
// read back from the screen.
#include "window_fixture.h"
#include <algorithm>

using namespace window_test;

namespace {

constexpr int32_t kLeft = 40, kTop = 40;
const RECT kArea{kLeft, kTop, kLeft + 300, kTop + 200};
const RECT kLargeArea{kLeft, kTop, kLeft + 1200, kTop + 900};
constexpr uint32_t kGreenScreen = 0x00FF00;

} // namespace

class Screen : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        forward = true;
        WNDCLASSEXW backdropClass{};
        backdropClass.cbSize = sizeof(backdropClass);
        backdropClass.lpfnWndProc = &DefWindowProcW;
        backdropClass.hbrBackground = CreateSolidBrush(RGB(0, 255, 0)); // the class's, for the whole run
        backdropClass.hInstance = GetModuleHandleW(nullptr);
        backdropClass.lpszClassName = L"TessaryTestBackdrop";
        RegisterClassExW(&backdropClass);
        // An ordinary window behind the layered one, so that transparency shows as green.
        _backdrop = CreateWindowExW(0, L"TessaryTestBackdrop", L"", WS_POPUP, kLeft - 20, kTop - 20, 1240, 940,
                                    nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(_backdrop, SW_SHOWNOACTIVATE);
        UpdateWindow(_backdrop);
        ASSERT_TRUE(PixelsAre(ScreenPixels(kArea), 300, 200, kGreenScreen)) << "the backdrop shows";
    }

    void TearDown() override
    {
        WindowTest::TearDown();
        DestroyWindow(_backdrop);
    }

private:
    HWND _backdrop = nullptr;
};

TEST_F(Screen, EveryChangeOfABusyFrameShowsAndTheShapesCutOutStaysClear)
{
    constexpr int32_t cx = 1200, cy = 900;
    const RECT hole{400, 300, 800, 600};
    Class_ZkWindowD2D* window = NewWindow({.x = kLeft, .y = kTop, .cx = cx, .cy = cy});
    EXPECT_TRUE(PixelsAre(ScreenPixels(kLargeArea), cx, cy, kGreenScreen)) << "a new window is transparent";
    // Shaped before its first presentation: under Wine a layered pixel that turns transparent later
    // keeps its old colour on screen, where Windows clears it.
    window->SetShape(NewHostRegion({RECT{0, 0, cx, hole.top}, RECT{0, hole.top, hole.left, hole.bottom},
                                    RECT{hole.right, hole.top, cx, hole.bottom}, RECT{0, hole.bottom, cx, cy}}));
    ASSERT_EQ(window->FillRect(0xFF404040, nullptr), 0u);
    ASSERT_EQ(window->Present(), 0u);

    // 120 small changes in three clusters: the top left and bottom right corners, up to the window's
    // edges, and inside the cut-out; they go in more than one call.
    std::vector<uint32_t> expected(size_t(cx) * cy, 0x404040);
    for (int i = 0; i < 120; ++i) {
        const int32_t dx = i % 9 == 0 ? 0 : (i * 37) % 193, dy = i % 7 == 0 ? 0 : (i * 23) % 143;
        const int32_t x = i % 3 == 0 ? dx : i % 3 == 1 ? 450 + dx : cx - 7 - dx;
        const int32_t y = i % 3 == 0 ? dy : i % 3 == 1 ? 350 + dy : cy - 7 - dy;
        const RECT r{x, y, x + 7, y + 7};
        ASSERT_EQ(window->FillRect((i & 1) ? kOpaqueRed : kOpaqueBlue, &r), 0u);
        for (int32_t row = y; row < y + 7; ++row)
            std::fill_n(expected.begin() + ptrdiff_t(row) * cx + x, 7, (i & 1) ? 0xFF0000u : 0x0000FFu);
    }
    for (int32_t row = hole.top; row < hole.bottom; ++row)
        std::fill_n(expected.begin() + ptrdiff_t(row) * cx + hole.left, hole.right - hole.left, kGreenScreen);
    ClearUpdates();
    ASSERT_EQ(window->Present(), 0u);
    EXPECT_TRUE(Updates().size() >= 2 && Updates().size() <= 4) << Updates().size() << " calls";
    EXPECT_TRUE(tessary_test::PixelsMatch(ScreenPixels(kLargeArea), expected, cx));
}
