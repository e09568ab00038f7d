// Shared set-up of the window tests: white-box windows made through the factory, a recorder in
// place of UpdateLayeredWindowIndirect, softd2d's and Quillon's test controls, and pixel readback.
#pragma once

#include "support/library_fixture.h"
#include "support/readback.h"
#include "support/softd2d_control.h"
#include "window/window.h"
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace window_test {

using tessary_test::SoftD2D, tessary_test::Quillon;

// One UpdateLayeredWindowIndirect call as the library made it: the record as passed (its pointers only
// compared with null), what they pointed at, and the source pixels at that moment.
struct LayeredUpdate {
    HWND window = nullptr;
    UPDATELAYEREDWINDOWINFO info{};
    SIZE windowSize{};
    POINT sourcePoint{};
    BLENDFUNCTION blend{};
    RECT dirty{};
    std::vector<uint32_t> pixels{}; // the source DC's windowSize pixels, 0xAARRGGBB, rows top down
};

struct WindowParams {
    int32_t x = -4000, y = -4000; // off every screen unless a test wants to see it
    int32_t cx = 300, cy = 200;
    DWORD style = WS_POPUP;
    DWORD exStyle = 0;
    int show = SW_SHOWNOACTIVATE;
    const wchar_t* className = L"TessaryTestWindow";
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HWND parent = nullptr;
    uint32_t reserved = 0;
};

// The record and creation block a host would pass; the block lives in the returned object.
struct WindowRecord {
    explicit WindowRecord(const WindowParams& params);
    WindowRecord(const WindowRecord&) = delete;
    CREATESTRUCTW block{};
    ZkWindowCreateInfo info{};
};

// The library stays initialised for the whole run, as a host keeps it.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Constructed through the factory, not created; destroyed (window and object) in TearDown.
    Class_ZkWindowD2D* NewWindowObject();
    // Created from the params; the test fails when Create does not return 0.
    Class_ZkWindowD2D* NewWindow(const WindowParams& params = {});
    // Presents after clearing the record; the one update it made, or null (and a failure) otherwise.
    const LayeredUpdate* PresentOnce(Class_ZkWindowD2D* window);
    // The source line of the last guard taken or refused.
    static uint32_t LastLockLine();

public:
    // Calls made since the last ClearUpdates; forwarded to the system when `forward` is set.
    static std::vector<LayeredUpdate>& Updates();
    static void ClearUpdates() { Updates().clear(); }
    static bool forward;

private:
    std::vector<Class_ZkWindowD2D*> _windows;
    tessary::UpdateLayeredWindowIndirectFn _system = nullptr;
};

using tessary_test::CopyDC, tessary_test::ReadPixels, tessary_test::RegionRects;
// What the screen shows in `area`, 0x00RRGGBB, rows top down; empty on failure.
std::vector<uint32_t> ScreenPixels(const RECT& area);
// A region object as the host makes it, for SetShape (which takes it over) or for the test to keep.
Class_ZkRegion* NewHostRegion(std::initializer_list<RECT> rects);

using tessary_test::kOpaqueRed, tessary_test::kOpaqueBlue, tessary_test::kRedPixel, tessary_test::kBluePixel;
using tessary_test::PixelsAre;

} // namespace window_test
