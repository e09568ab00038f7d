// End to end on the real screen: what a presented window shows over a green backdrop window,
// read back from the screen.
#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int32_t kLeft = 100, kTop = 100;
const RECT kArea{kLeft, kTop, kLeft + 300, kTop + 200};
const RECT kWhole{0, 0, 300, 200};
constexpr uint32_t kGreenScreen = 0x00FF00;

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        RECT client{};
        GetClientRect(window, &client);
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        FillRect(reinterpret_cast<HDC>(wParam), &client, green);
        DeleteObject(green);
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Pixels of `a` and `b` (both of kArea) that differ inside `rect` (window coordinates), outside `except`.
size_t CountChanged(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, const RECT& rect,
                    std::initializer_list<RECT> except = {})
{
    size_t count = 0;
    for (LONG y = rect.top; y < rect.bottom; ++y)
        for (LONG x = rect.left; x < rect.right; ++x) {
            bool skipped = false;
            for (const RECT& e : except)
                skipped = skipped || (x >= e.left && x < e.right && y >= e.top && y < e.bottom);
            const size_t i = size_t(y) * 300 + size_t(x);
            if (!skipped && (i >= a.size() || i >= b.size() || a[i] != b[i]))
                ++count;
        }
    return count;
}

} // namespace

class Screen : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        forward = true;
        WNDCLASSEXW backdropClass{};
        backdropClass.cbSize = sizeof(backdropClass);
        backdropClass.lpfnWndProc = &BackdropProc;
        backdropClass.hInstance = GetModuleHandleW(nullptr);
        backdropClass.lpszClassName = L"TessaryTestBackdrop";
        RegisterClassExW(&backdropClass);
        // An ordinary window behind the layered one, so that transparency shows as green.
        _backdrop = CreateWindowExW(0, L"TessaryTestBackdrop", L"", WS_POPUP, kLeft - 20, kTop - 20, 340, 240,
                                    nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(_backdrop, SW_SHOWNOACTIVATE);
        UpdateWindow(_backdrop);
        ASSERT_EQ(CountOtherThan(ScreenPixels(kArea), 300, kWhole, kGreenScreen), 0u) << "the backdrop shows";
    }

    void TearDown() override
    {
        WindowTest::TearDown();
        DestroyWindow(_backdrop);
    }

    Class_ZkWindowD2D* ShownWindow()
    {
        WindowParams params;
        params.x = kLeft;
        params.y = kTop;
        return NewWindow(params);
    }

private:
    HWND _backdrop = nullptr;
};

TEST_F(Screen, PresentedRectanglesAppearWhereTheyWereDrawn)
{
    Class_ZkWindowD2D* window = ShownWindow();
    const std::vector<uint32_t> before = ScreenPixels(kArea);
    EXPECT_EQ(CountOtherThan(before, 300, kWhole, kGreenScreen), 0u) << "a new window is transparent";

    const RECT red{10, 10, 50, 50}, blue{200, 100, 250, 150};
    ASSERT_EQ(window->FillRect(kOpaqueRed, &red), 0u);
    ASSERT_EQ(window->FillRect(kOpaqueBlue, &blue), 0u);
    ASSERT_EQ(window->Present(), 0u);
    const std::vector<uint32_t> after = ScreenPixels(kArea);
    EXPECT_EQ(CountOtherThan(after, 300, red, 0xFF0000), 0u);
    EXPECT_EQ(CountOtherThan(after, 300, blue, 0x0000FF), 0u);
    EXPECT_EQ(CountChanged(before, after, kWhole, {red, blue}), 0u) << "pixels outside the drawn area stay";

    ASSERT_EQ(window->Present(), 0u);
    EXPECT_EQ(CountChanged(after, ScreenPixels(kArea), kWhole), 0u)
        << "a second presentation with nothing drawn changes nothing";
}

TEST_F(Screen, ShapeCutsTheWindowAndNoShapeRestoresIt)
{
    Class_ZkWindowD2D* window = ShownWindow();
    window->SetShape(NewHostRegion({RECT{0, 0, 150, 200}}));
    ASSERT_EQ(window->FillRect(kOpaqueRed, nullptr), 0u);
    ASSERT_EQ(window->Present(), 0u);
    const std::vector<uint32_t> shaped = ScreenPixels(kArea);
    EXPECT_EQ(CountOtherThan(shaped, 300, RECT{0, 0, 150, 200}, 0xFF0000), 0u);
    EXPECT_EQ(CountOtherThan(shaped, 300, RECT{150, 0, 300, 200}, kGreenScreen), 0u)
        << "outside the shape the window is transparent although its surface is opaque";

    window->SetShape(nullptr);
    ASSERT_EQ(window->Invalidate(&kWhole), 0u);
    EXPECT_EQ(CountOtherThan(ScreenPixels(kArea), 300, kWhole, 0xFF0000), 0u);
}
