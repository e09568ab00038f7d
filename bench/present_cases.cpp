// Present of 16 x 16, 256 x 256 and the whole 1280 x 800 window, with the time spent inside
// UpdateLayeredWindowIndirect measured apart from ours; what one call costs against the pixels it
// moves; a small Present against the bare call it makes, and two changes in opposite corners against
// one; and CreateAlphaRegion of a 1024 x 1024 surface against the same region combined one run of
// pixels at a time.
#include "bench_host.h"
#include "frame/context.h"
#include "surface/surface.h"
#include "window/dirty_rectangles.h"
#include <algorithm>

namespace bench {

namespace {

constexpr int kWidth = 1280, kHeight = 800;

struct PresentTimes {
    double total = 1e30, inside = 0, own = 1e30;
};

// Best of `rounds` rounds of `repeats` presents, each after a fill of `dirty`: end to end with the
// time inside UpdateLayeredWindowIndirect, then our own side alone over more rounds, with the call
// answered in the process.
PresentTimes MeasurePresent(Class_ZkWindow* window, const RECT& dirty, int rounds, int repeats)
{
    PresentTimes best;
    for (int skip = 0; skip < 2; ++skip) {
        SkipUpdates(skip != 0);
        for (int round = 0; round < (skip ? rounds * 5 : rounds); ++round) {
            double total = 0;
            ResetUpdateTiming();
            for (int i = 0; i < repeats; ++i) {
                window->FillRect((i & 1) ? 0xFF3AA6F0 : 0xFFD08A3A, &dirty);
                const double start = Seconds();
                window->Present();
                total += Seconds() - start;
            }
            if (skip)
                best.own = std::min(best.own, total / repeats);
            else if (total / repeats < best.total)
                best = PresentTimes{total / repeats, UpdateSeconds() / repeats, best.own};
        }
    }
    SkipUpdates(false);
    return best;
}

// The reference: the alpha channel walked row by row, each run of pixels above the threshold made
// a rectangle region and combined into the result.
HRGN RegionCombinedPerRun(const uint32_t* pixels, int width, int height, uint8_t threshold)
{
    HRGN result = CreateRectRgn(0, 0, 0, 0);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = pixels + size_t(y) * width;
        for (int x = 0; x < width;) {
            if ((row[x] >> 24) <= threshold) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && (row[x] >> 24) > threshold)
                ++x;
            HRGN run = CreateRectRgn(start, y, x, y + 1);
            CombineRgn(result, result, run, RGN_OR);
            DeleteObject(run);
        }
    }
    return result;
}

} // namespace

void Presentation()
{
    Class_ZkWindow* window = CreateWindowObject(kWidth, kHeight, L"bench present");
    if (!window) {
        std::printf("present bench: no window\n");
        return;
    }
    const RECT all{0, 0, kWidth, kHeight};
    window->FillRect(0xFF202020, &all);
    window->Present();

    Section("Present after a fill of the rectangle: end to end, inside UpdateLayeredWindowIndirect, and our\n"
            "side alone (the call answered in the process)");
    const struct {
        const char* name;
        RECT dirty;
        int repeats;
    } sizes[] = {{"16 x 16", {100, 100, 116, 116}, 50}, {"256 x 256", {100, 100, 356, 356}, 20}, {"whole window", all, 5}};
    PresentTimes times[3];
    for (int i = 0; i < 3; ++i) {
        const PresentTimes t = times[i] = MeasurePresent(window, sizes[i].dirty, 10, sizes[i].repeats);
        std::printf("  Present %-13s total %9.1f us  in UpdateLayeredWindowIndirect %9.1f us  ours %8.1f us\n",
                    sizes[i].name, t.total * 1e6, t.inside * 1e6, t.own * 1e6);
    }
    // Inside the call: a fixed cost and a cost per pixel moved, from the smallest and the largest.
    const double perPixel = (times[2].inside - times[0].inside) / (double(kWidth) * kHeight - 256);
    const double fixed = times[0].inside - 256 * perPixel;
    std::printf("  one call: %.2f ms fixed + %.2f ns a pixel, so a call is worth %.0f pixels moved (Present counts\n"
                "  %lld when it chooses its dirty rectangles)\n",
                fixed * 1e3, perPixel * 1e9, perPixel > 0 ? fixed / perPixel : 0.0,
                static_cast<long long>(tessary::window::kCallCostInPixels));

    // A small change against the bare call Present makes for it; two changes in opposite corners,
    // too far apart to share a call, against one.
    void* part = nullptr;
    window->QueryInterface(ZK_FOURCC_SURFACE_IMPL, &part);
    auto* impl = static_cast<Class_ZkGraphicSurfaceD2D*>(part);
    const RECT small{100, 100, 116, 116}, farCorner{kWidth - 16, kHeight - 16, kWidth, kHeight};
    uint32_t colour = 0xFF3AA6F0;
    const auto fill = [&](const RECT& r) { window->FillRect(colour ^= 0x00FFFFFF, &r); };
    Case one{"Present, one 16 x 16 change", [&] { fill(small); window->Present(); }, 10};
    // The bare call: what Present does for one change, made directly.
    const auto presentBare = [&] {
        impl->EndDrawPass();
        PresentRaw(impl->ownTarget, window->GetWindowHandle(), SIZE{kWidth, kHeight}, small);
    };
    Case bare{"the bare call", [&] { fill(small); presentBare(); }, 10};
    Case two{"Present, two in opposite corners", [&] { fill(small); fill(farCorner); window->Present(); }, 10};
    Measure({&one, &bare, &two}, 10);
    Section("Small changes, end to end (each after its fills)");
    Row(one.name.c_str(), one.best, bare.best, bare.name.c_str(), 1.1);
    Row(two.name.c_str(), two.best, one.best, "one change", 2.0);
    std::printf("  UpdateLayeredWindowIndirect calls per Present: one change %.0f, two in opposite corners %.0f\n",
                one.updateCalls, two.updateCalls);
    if (impl)
        impl->Release();

    // CreateAlphaRegion: 1024 x 1024, every eighth row holding opaque bars 24 pixels long and 8 apart.
    constexpr int kSide = 1024;
    Class_ZkGraphicSurface* surface = CreateSurface(window, kSide, kSide);
    if (!surface) {
        ReleaseWindow(window);
        return;
    }
    std::vector<uint32_t> pixels(size_t(kSide) * kSide, 0);
    for (int y = 0; y < kSide; y += 8)
        for (int x = (y / 8) % 8; x + 24 <= kSide; x += 32) {
            const RECT bar{x, y, x + 24, y + 1};
            surface->FillRect(0xFF4080C0, &bar);
            std::fill(pixels.begin() + size_t(y) * kSide + x, pixels.begin() + size_t(y) * kSide + x + 24, 0xFF4080C0u);
        }
    uint32_t value = 0;
    Case ours{"CreateAlphaRegion 1024 x 1024", [&] { DeleteObject(surface->CreateAlphaRegion(128, &value)); }};
    Case combined{"region combined per run", [&] { DeleteObject(RegionCombinedPerRun(pixels.data(), kSide, kSide, 128)); }};
    Measure({&ours, &combined}, 3);
    Section("Alpha region");
    Row(ours.name.c_str(), ours.best, combined.best, "combined per run", 0);

    ReleaseSurface(surface);
    ReleaseWindow(window);
}

} // namespace bench
