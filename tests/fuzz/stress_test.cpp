// Leaks and threads, as a host meets them: one cached brush per colour while initialised, made again
// after a device loss, and live softd2d objects back to the baseline after uninitialise; and drawing
// threads with a presenting thread and an opacity mask held meanwhile finish without deadlock or wrong
// pixels.
#include "support/tessary_module.h"
#include "support/readback.h"
#include "support/softd2d_control.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

using tessary_test::SoftD2D;

namespace {

tessary_test::TessaryModule& Tessary()
{
    static tessary_test::TessaryModule module;
    static const bool loaded = [] {
        tessary_test::StartGdiplusAndCom();
        return module.Load();
    }();
    EXPECT_TRUE(loaded);
    return module;
}

// An initialised library with one hidden window of w x h and surfaces made with its device.
struct Host : tessary_test::StartedHost {
    Host(int w, int h) : StartedHost(Tessary(), w, h, L"TessaryStressWindow")
    {
        EXPECT_TRUE(initialised);
        EXPECT_NE(window, nullptr);
    }
    Class_ZkGraphicSurface* Surface(uint32_t w, uint32_t h)
    {
        Class_ZkGraphicSurface* s = StartedHost::Surface(w, h);
        EXPECT_NE(s, nullptr);
        return s;
    }
};

// The pixels of `surface` whose alpha exceeds `threshold`, as one region's bounding box.
RECT AlphaBox(Class_ZkGraphicSurface* surface, uint8_t threshold)
{
    RECT box{};
    HRGN region = surface->CreateAlphaRegion(threshold, nullptr);
    GetRgnBox(region, &box);
    DeleteObject(region);
    return box;
}

} // namespace

TEST(Stress, OneBrushPerColourWhileInitialisedMadeAgainAfterADeviceLossNothingLeftAfterUninitialise)
{
    Tessary(); // loads d2d1.dll, where the control lives
    REQUIRE_SOFTD2D_CONTROL();
    const LONG baseline = SoftD2D().liveObjectCount();
    {
        Host host(16, 16);
        const LONG withWindow = SoftD2D().liveObjectCount();
        for (int cycle = 0; cycle < 200; ++cycle) { // constant colour: create, draw, release
            Class_ZkGraphicSurface* s = host.Surface(8, 8);
            EXPECT_EQ(s->FillRect(0xFF00FF00, nullptr), ZK_OK);
            s->ResetData(), s->Release();
            host.surfaces.pop_back();
        }
        EXPECT_EQ(SoftD2D().liveObjectCount(), withWindow + 1) << "one cached brush";
    }
    EXPECT_EQ(SoftD2D().liveObjectCount(), baseline) << "uninitialise released the cached brush too";
    for (int start = 0; start < 2; ++start) { // a host animating a colour, started twice
        Host host(16, 16);
        Class_ZkGraphicSurface* s = host.Surface(8, 8);
        const LONG withSurface = SoftD2D().liveObjectCount();
        for (int round = 0; round < 2; ++round)
            for (uint32_t colour = 0; colour < 3000; ++colour)
                EXPECT_EQ(s->FillRect(0xFF000000 | colour * 2731, nullptr), ZK_OK);
        EXPECT_EQ(SoftD2D().liveObjectCount(), withSurface + 3000) << "one brush per colour, made once";
        EXPECT_EQ(AlphaBox(s, 0), (RECT{0, 0, 8, 8})) << "the brushes of this start draw";
        SoftD2D().failNextEndDraw(nullptr, 1, D2DERR_RECREATE_TARGET);
        AlphaBox(s, 0); // ends the pass, which meets the lost device
        EXPECT_EQ(Tessary().onDeviceLost(), 1u);
        const LONG rebuilt = SoftD2D().liveObjectCount();
        EXPECT_LE(rebuilt, withSurface) << "every cached brush went with the lost device";
        EXPECT_EQ(s->FillRect(0xFF123456, nullptr), ZK_OK);
        EXPECT_EQ(SoftD2D().liveObjectCount(), rebuilt + 1) << "made again on the new device";
        EXPECT_EQ(AlphaBox(s, 0), (RECT{0, 0, 8, 8}));
    }
    EXPECT_EQ(SoftD2D().liveObjectCount(), baseline) << "nothing of either start is left";
}

TEST(Stress, DrawingThreadsAPresentingThreadAndAHeldMaskFinishWithTheRightPixels)
{
    constexpr int kThreads = 4, kBand = 8, kRounds = 150;
    Host host(kThreads * kBand, kBand);
    std::vector<Class_ZkGraphicSurface*> own;
    for (int i = 0; i < kThreads; ++i) {
        own.push_back(host.Surface(kBand, kBand));
        own.back()->SetUpdateOnClear(1); // a copy takes only what the update region holds
    }
    std::atomic<int> running{kThreads};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            const uint32_t colour = uint32_t(0x40 * (i + 1) - (i == 3)) << 24 | 0x00336699;
            for (int round = 0; round < kRounds; ++round) {
                EXPECT_EQ(own[i]->ClearRect(nullptr, colour), ZK_OK);
                if (i == 0 && round % 10 == 0) { // the other threads wait while the host writes the mask
                    RECT whole{0, 0, kBand, kBand};
                    uint8_t* bits = nullptr;
                    int32_t w, h, stride;
                    EXPECT_EQ(own[i]->LockAlphaMask(&whole, &bits, &w, &h, &stride), ZK_OK);
                    Sleep(1);
                    for (int p = 0; bits && p < kBand * kBand; ++p)
                        bits[p] = 255;
                    EXPECT_EQ(own[i]->UnlockAlphaMask(), ZK_OK);
                }
                const POINT at{i * kBand, 0};
                const RECT band{i * kBand, 0, (i + 1) * kBand, kBand};
                EXPECT_EQ(host.window->ClearRect(&band, 0), ZK_OK); // copies blend: start each from clear
                EXPECT_EQ(own[i]->DrawTo(host.window, &at, nullptr, nullptr), ZK_OK);
            }
            --running;
        });
    while (running.load() > 0)
        EXPECT_EQ(host.window->Present(), ZK_OK);
    for (std::thread& t : threads)
        t.join();
    // Band i holds alpha 0x40 (i + 1) (0xFF for the last): each threshold keeps the bands above it.
    for (int i = 0; i < kThreads; ++i)
        EXPECT_EQ(AlphaBox(host.window, uint8_t(0x40 * (i + 1) - 1 - (i == 3))),
                  (RECT{i * kBand, 0, kThreads * kBand, kBand})) << "threshold below band " << i;
}
