// End to end on the real screen: what a presented window shows over a green backdrop window,
// read back from the screen.
#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int32_t kLeft = 100, kTop = 100;
const RECT kArea{kLeft, kTop, kLeft + 300, kTop + 200};
const RECT kWhole{0, 0, 300, 200};
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
        _backdrop = CreateWindowExW(0, L"TessaryTestBackdrop", L"", WS_POPUP, kLeft - 20, kTop - 20, 340, 240,
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

    Class_ZkWindowD2D* ShownWindow() { return NewWindow({.x = kLeft, .y = kTop}); }

private:
    HWND _backdrop = nullptr;
};

TEST_F(Screen, PresentedRectanglesAppearWhereTheyWereDrawn)
{
    Class_ZkWindowD2D* window = ShownWindow();
    EXPECT_TRUE(PixelsAre(ScreenPixels(kArea), 300, 200, kGreenScreen)) << "a new window is transparent";

    const RECT red{10, 10, 50, 50}, blue{200, 100, 250, 150};
    ASSERT_EQ(window->FillRect(kOpaqueRed, &red), 0u);
    ASSERT_EQ(window->FillRect(kOpaqueBlue, &blue), 0u);
    ASSERT_EQ(window->Present(), 0u);
    EXPECT_TRUE(PixelsAre(ScreenPixels(kArea), 300, 200, kGreenScreen, {{red, 0xFF0000}, {blue, 0x0000FF}}));
}

TEST_F(Screen, ShapeCutsTheWindowAndNoShapeRestoresIt)
{
    Class_ZkWindowD2D* window = ShownWindow();
    window->SetShape(NewHostRegion({RECT{0, 0, 150, 200}}));
    ASSERT_EQ(window->FillRect(kOpaqueRed, nullptr), 0u);
    ASSERT_EQ(window->Present(), 0u);
    EXPECT_TRUE(PixelsAre(ScreenPixels(kArea), 300, 200, kGreenScreen, {{{0, 0, 150, 200}, 0xFF0000}}))
        << "outside the shape the window is transparent although its surface is opaque";

    window->SetShape(nullptr);
    ASSERT_EQ(window->Invalidate(&kWhole), 0u);
    EXPECT_TRUE(PixelsAre(ScreenPixels(kArea), 300, 200, 0xFF0000));
}
