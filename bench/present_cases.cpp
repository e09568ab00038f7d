// Present of 16 x 16, 256 x 256 and the whole 1280 x 800 window, with the time spent inside
// UpdateLayeredWindowIndirect measured apart from ours; and CreateAlphaRegion of a 1024 x 1024
// surface against the same region combined one run of pixels at a time.
#include "bench_host.h"
#include "frame/context.h"
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
    for (const auto& size : sizes) {
        const PresentTimes t = MeasurePresent(window, size.dirty, 10, size.repeats);
        std::printf("  Present %-13s total %9.1f us  in UpdateLayeredWindowIndirect %9.1f us  ours %8.1f us\n",
                    size.name, t.total * 1e6, t.inside * 1e6, t.own * 1e6);
    }

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
