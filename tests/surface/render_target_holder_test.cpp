// The surface's Direct2D resources: drawing passes, device-loss notification, the masked copy, the
// GDI+ upload and the rebuild after device loss.
#include "surface_fixture.h"
#include <Tessary.h>
#include <algorithm>
#include <gdiplus.h>

using namespace surface_test;

namespace {

constexpr UINT kDeviceLostMessage = WM_APP + 7;
constexpr uint32_t kOpaqueRed = 0xFF0000FFu;      // 0xAABBGGRR
constexpr uint32_t kPremultipliedRed = 0xFFFF0000u; // B8G8R8A8 read as a DWORD

// A message-only window that hears of device loss.
struct DeviceLostListener {
    DeviceLostListener() : window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~DeviceLostListener() { DestroyWindow(window); }
    int Heard()
    {
        int count = 0;
        MSG message;
        while (PeekMessageW(&message, window, kDeviceLostMessage, kDeviceLostMessage, PM_REMOVE))
            count += message.wParam == 0 && message.lParam == 0;
        return count;
    }
    HWND window;
};

// An opacity buffer as LockAlphaMask leaves it: one byte per pixel, rows of exactly the width.
void GiveOpacityBuffer(Class_ZkGraphicSurfaceD2D* surface, uint32_t width, uint32_t height, uint8_t value)
{
    surface->opacityBuffer = new uint8_t[width * height];
    std::fill_n(surface->opacityBuffer, width * height, value);
    surface->opacityBufferWidth = width;
    surface->opacityBufferHeight = height;
}

uint32_t RefCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

} // namespace

class RenderTargetHolder : public SurfaceTest {};

TEST_F(RenderTargetHolder, APassOpensOnceAndClosesOnce)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(8, 8);
    const SoftD2DCounters before = Control().Counters();
    surface->BeginDrawPass();
    surface->BeginDrawPass();
    EXPECT_EQ(surface->drawing, 1u);
    EXPECT_EQ(Control().Counters().beginDraw, before.beginDraw + 1);
    surface->EndDrawPass();
    surface->EndDrawPass();
    EXPECT_EQ(surface->drawing, 0u);
    EXPECT_EQ(Control().Counters().endDraw, before.endDraw + 1);

    // Without an own target neither does anything.
    Class_ZkGraphicSurfaceD2D* uncreated = NewUncreatedSurface();
    uncreated->BeginDrawPass();
    EXPECT_EQ(uncreated->drawing, 0u);
    uncreated->EndDrawPass();
    EXPECT_EQ(Control().Counters().beginDraw, before.beginDraw + 1);
}

TEST_F(RenderTargetHolder, ALostDeviceAtEndDrawPostsTheHostsMessageEachTime)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(8, 8);
    DeviceLostListener listener;
    ASSERT_NE(listener.window, nullptr);

    // No handler set: nothing is posted, the pass still counts as ended.
    ASSERT_EQ(Control().failNextEndDraw(surface->ownTarget, 1, D2DERR_RECREATE_TARGET), S_OK);
    surface->BeginDrawPass();
    surface->EndDrawPass();
    EXPECT_EQ(surface->drawing, 0u);
    EXPECT_EQ(listener.Heard(), 0);
    // A window but message 0 is no handler either.
    SetDeviceLostHandlerTessaryInternal(listener.window, 0);
    ASSERT_EQ(Control().failNextEndDraw(surface->ownTarget, 1, D2DERR_RECREATE_TARGET), S_OK);
    surface->BeginDrawPass();
    surface->EndDrawPass();
    EXPECT_EQ(listener.Heard(), 0);

    // With a handler, each lost pass posts once, with both parameters 0.
    SetDeviceLostHandlerTessaryInternal(listener.window, kDeviceLostMessage);
    ASSERT_EQ(Control().failNextEndDraw(surface->ownTarget, 2, D2DERR_RECREATE_TARGET), S_OK);
    surface->BeginDrawPass();
    surface->EndDrawPass();
    surface->BeginDrawPass();
    surface->EndDrawPass();
    EXPECT_EQ(listener.Heard(), 2);
    EXPECT_EQ(surface->drawing, 0u);
    // Any other failure is not a lost device.
    ASSERT_EQ(Control().failNextEndDraw(surface->ownTarget, 1, E_FAIL), S_OK);
    surface->BeginDrawPass();
    surface->EndDrawPass();
    EXPECT_EQ(listener.Heard(), 0);
}

TEST_F(RenderTargetHolder, TargetsAreHandedOutWithAReferenceAndNoOpenPass)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(8, 8);
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    ASSERT_EQ(surface->drawing, 1u);
    const uint32_t ownReferences = RefCount(surface->ownTarget);
    ID2D1RenderTarget* own = surface->GetRenderTarget();
    ASSERT_EQ(own, surface->ownTarget);
    EXPECT_EQ(surface->drawing, 0u);
    EXPECT_EQ(RefCount(own), ownReferences + 1);
    own->Release();
    EXPECT_EQ(ReadPixels(surface).at(0), kPremultipliedRed) << "the fill is in the bitmap";

    const uint32_t windowReferences = RefCount(windowTarget);
    ID2D1DCRenderTarget* window = surface->GetWindowRenderTarget();
    EXPECT_EQ(window, windowTarget);
    EXPECT_EQ(RefCount(windowTarget), windowReferences + 1);
    window->Release();
    // Looked up by the window key each time: gone from the registry, gone from here.
    tessary::UnregisterWindowTarget(kWindowKey);
    EXPECT_EQ(surface->GetWindowRenderTarget(), nullptr);
    tessary::RegisterWindowTarget(kWindowKey, nullptr, windowTarget);
}

TEST_F(RenderTargetHolder, PublishingMultipliesTheOwnPixelsByTheOpacityBuffer)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(6, 2);
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);

    // Without an opacity buffer nothing changes and the result is 0.
    EXPECT_EQ(surface->PublishSurface(), ZK_OK);
    EXPECT_EQ(surface->maskedCopy, nullptr);
    EXPECT_EQ(surface->published, 0u);

    // Columns 0-1 transparent, 2-3 at 128, 4-5 opaque.
    GiveOpacityBuffer(surface, 6, 2, 255);
    for (uint32_t row = 0; row < 2; ++row) {
        surface->opacityBuffer[row * 6 + 0] = surface->opacityBuffer[row * 6 + 1] = 0;
        surface->opacityBuffer[row * 6 + 2] = surface->opacityBuffer[row * 6 + 3] = 128;
    }
    EXPECT_EQ(surface->PublishSurface(), ZK_OK);
    EXPECT_EQ(surface->published, 1u);
    EXPECT_EQ(surface->drawing, 0u) << "the own pass was ended before its bitmap was read";
    ASSERT_NE(surface->maskedCopy, nullptr);
    const std::vector<uint32_t> masked = ReadPixels(surface->maskedCopy);
    ASSERT_EQ(masked.size(), 12u);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(masked[row * 6 + 0], 0u);
        EXPECT_EQ(masked[row * 6 + 1], 0u);
        // Premultiplied red scaled by 128/255: alpha and red both 128, give or take rounding.
        for (int column : {2, 3}) {
            const uint32_t p = masked[row * 6 + column];
            EXPECT_NEAR(int(p >> 24), 128, 1) << row << ',' << column;
            EXPECT_NEAR(int((p >> 16) & 0xFF), 128, 1);
            EXPECT_EQ(p & 0xFFFF, 0u);
        }
        EXPECT_EQ(masked[row * 6 + 4], kPremultipliedRed);
        EXPECT_EQ(masked[row * 6 + 5], kPremultipliedRed);
    }
    // The own pixels stay as they were.
    for (uint32_t p : ReadPixels(surface))
        ASSERT_EQ(p, kPremultipliedRed);

    // Publishing again replaces the masked copy.
    ID2D1RenderTarget* first = surface->maskedCopy;
    first->AddRef();
    EXPECT_EQ(surface->PublishSurface(), ZK_OK);
    EXPECT_EQ(first->Release(), 0u) << "the old masked copy was released";

    // No window target under the key: refused, and readers fall back to the own pixels.
    tessary::UnregisterWindowTarget(kWindowKey);
    EXPECT_EQ(surface->PublishSurface(), ZK_FAIL);
    EXPECT_EQ(surface->published, 0u);
    EXPECT_EQ(surface->maskedCopy, nullptr);
    tessary::RegisterWindowTarget(kWindowKey, nullptr, windowTarget);
}

TEST_F(RenderTargetHolder, PublishingSurvivesFailedResourcesAndALostDevice)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(4, 4);
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    GiveOpacityBuffer(surface, 4, 4, 255);

    ASSERT_EQ(Control().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(surface->PublishSurface(), ZK_FAIL);
    EXPECT_EQ(surface->published, 0u);

    // No brush or no mask bitmap: the masked copy is made, but stays transparent.
    for (SoftD2DResourceKind kind : {SOFTD2D_RESOURCE_BRUSH, SOFTD2D_RESOURCE_BITMAP}) {
        ASSERT_EQ(Control().failNextCreate(kind, 1, E_OUTOFMEMORY), S_OK);
        const SoftD2DCounters before = Control().Counters();
        EXPECT_EQ(surface->PublishSurface(), ZK_OK);
        EXPECT_EQ(surface->published, 1u);
        EXPECT_EQ(Control().Counters().fillOpacityMask, before.fillOpacityMask) << kind;
        EXPECT_EQ(ReadPixels(surface->maskedCopy).at(0), 0u);
        Control().clearFailures();
    }

    // The masked copy's own EndDraw reports a lost device like any pass.
    DeviceLostListener listener;
    SetDeviceLostHandlerTessaryInternal(listener.window, kDeviceLostMessage);
    ASSERT_EQ(Control().failNextEndDraw(nullptr, 1, D2DERR_RECREATE_TARGET), S_OK);
    EXPECT_EQ(surface->PublishSurface(), ZK_OK);
    EXPECT_EQ(listener.Heard(), 1);
}

TEST_F(RenderTargetHolder, APendingGdiplusUploadReplacesTheOwnPixelsAtTheEndOfThePass)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(4, 2);
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    GiveOpacityBuffer(surface, 4, 2, 255);
    surface->gdiplusBitmap = new Gdiplus::Bitmap(4, 2, PixelFormat32bppARGB);
    // Half-transparent green in straight alpha; the rows go in unconverted.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            surface->gdiplusBitmap->SetPixel(x, y, Gdiplus::Color(0x80, 0x00, 0xFF, 0x10 * x));
    surface->gdiplusUpload = 1;

    surface->EndDrawPass();
    EXPECT_EQ(surface->gdiplusUpload, 0u);
    EXPECT_EQ(surface->published, 1u) << "an upload republishes";
    const std::vector<uint32_t> pixels = ReadPixels(surface);
    ASSERT_EQ(pixels.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(pixels[i], 0x8000FF00u | (0x10u * (i % 4))) << i;

    // Nothing pending: the next pass end copies nothing.
    surface->FillRect(kOpaqueRed, nullptr);
    surface->EndDrawPass();
    EXPECT_EQ(ReadPixels(surface).at(0), kPremultipliedRed);
}

TEST_F(RenderTargetHolder, AGdiplusBitmapThatCannotBeLockedIsSkippedButStillPublishes)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(4, 2);
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    GiveOpacityBuffer(surface, 4, 2, 255);
    // Smaller than the surface: the lock rectangle does not fit.
    surface->gdiplusBitmap = new Gdiplus::Bitmap(2, 2, PixelFormat32bppARGB);
    surface->gdiplusUpload = 1;
    surface->EndDrawPass();
    EXPECT_NE(surface->gdiplusBitmap->GetLastStatus(), Gdiplus::Ok) << "the failure is kept for the host";
    EXPECT_EQ(surface->gdiplusUpload, 0u);
    EXPECT_EQ(surface->published, 1u);
    for (uint32_t p : ReadPixels(surface))
        ASSERT_EQ(p, kPremultipliedRed);
}

TEST_F(RenderTargetHolder, RebuildingGivesABlankTargetToRedrawOrKeepsTheOldOne)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(10, 10);
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    GiveOpacityBuffer(surface, 10, 10, 255);
    ASSERT_EQ(surface->PublishSurface(), ZK_OK);
    surface->ClearRect(nullptr, 0); // update region empty, flag 0
    surface->FillRect(kOpaqueRed, nullptr);
    surface->modified = 0;

    EXPECT_EQ(surface->RecreateDeviceResources(), ZK_OK);
    EXPECT_EQ(surface->modified, 1u);
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {{0, 0, 10, 10}}));
    EXPECT_EQ(surface->published, 1u) << "republished from the buffer";
    EXPECT_NE(surface->maskedCopy, nullptr);
    EXPECT_EQ(ReadPixels(surface).at(0), 0u) << "the new target is blank";

    if (!Control().Present())
        return;
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    ASSERT_EQ(surface->PublishSurface(), ZK_OK);
    ASSERT_EQ(surface->published, 1u);
    ID2D1RenderTarget* old = surface->ownTarget;
    ASSERT_EQ(Control().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(surface->RecreateDeviceResources(), ZK_FAIL);
    EXPECT_EQ(surface->ownTarget, old);
    EXPECT_EQ(surface->published, 0u);
    EXPECT_EQ(surface->maskedCopy, nullptr);
    EXPECT_EQ(ReadPixels(surface).at(0), kPremultipliedRed) << "the old pixels stay";
}
