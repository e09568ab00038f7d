// Creation, device-loss rebuild and teardown with 100, 1,000 and 10,000 live surfaces: the cost per
// object must stay flat as the count grows, beyond what the platform's own objects cost more.
#include "bench_host.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bench {

void Lifecycle()
{
    Class_ZkWindow* window = CreateWindowObject(64, 64, L"bench lifecycle");
    if (!window) {
        std::printf("lifecycle bench: no window\n");
        return;
    }
    ID2D1DCRenderTarget* device = nullptr;
    ID2D1BitmapRenderTarget* probe = CreateRawTarget(32, 32, &device);
    if (probe)
        probe->Release();
    Section("Lifecycle of 32 x 32 surfaces, microseconds per object (softd2d: its 32 x 32 targets alone)");
    std::printf("  %8s %12s %12s %12s %16s %16s %12s\n", "objects", "create", "rebuild", "release", "softd2d create",
                "softd2d release", "heap 8 KB");
    // The first pass, at the largest count, only grows the heap to its working size and is not shown.
    const int counts[] = {10000, 100, 1000, 10000};
    double first[6] = {}, last[6] = {};
    for (size_t pass = 0; pass < std::size(counts); ++pass) {
        const int count = counts[pass];
        double best[6] = {1e30, 1e30, 1e30, 1e30, 1e30, 1e30};
        const int rounds = count >= 10000 ? 2 : 4;
        for (int round = 0; round < rounds; ++round) {
            std::vector<Class_ZkGraphicSurface*> surfaces;
            surfaces.reserve(count);
            double start = Seconds();
            for (int i = 0; i < count; ++i)
                surfaces.push_back(CreateSurface(window, 32, 32));
            const double created = Seconds();
            OnDeviceLostTessaryInternal();
            const double rebuilt = Seconds();
            for (Class_ZkGraphicSurface* surface : surfaces)
                ReleaseSurface(surface);
            const double released = Seconds();
            const double each[3] = {created - start, rebuilt - created, released - rebuilt};
            for (int k = 0; k < 3; ++k)
                best[k] = std::min(best[k], each[k] / count);
            // The same count of softd2d's own 32 x 32 targets, made and released directly.
            std::vector<ID2D1BitmapRenderTarget*> targets(count, nullptr);
            const D2D1_SIZE_F size{32, 32};
            const D2D1_SIZE_U pixels{32, 32};
            start = Seconds();
            for (int i = 0; device && i < count; ++i)
                device->CreateCompatibleRenderTarget(&size, &pixels, nullptr,
                                                     D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE, &targets[i]);
            const double made = Seconds();
            for (ID2D1BitmapRenderTarget* target : targets)
                if (target)
                    target->Release();
            best[3] = std::min(best[3], (made - start) / count);
            best[4] = std::min(best[4], (Seconds() - made) / count);
            // The machine's own cost of as many 8 KB blocks, touched once and freed: what memory
            // alone adds per object as the count grows.
            std::vector<char*> blocks(count, nullptr);
            start = Seconds();
            for (char*& block : blocks) {
                block = static_cast<char*>(malloc(8192));
                if (block)
                    std::memset(block, 0, 8192);
            }
            for (char* block : blocks)
                free(block);
            best[5] = std::min(best[5], (Seconds() - start) / count);
        }
        if (pass == 0)
            continue;
        std::printf("  %8d %12.2f %12.2f %12.2f %16.2f %16.2f %12.2f\n", count, best[0] * 1e6, best[1] * 1e6,
                    best[2] * 1e6, best[3] * 1e6, best[4] * 1e6, best[5] * 1e6);
        for (int k = 0; k < 6; ++k) {
            if (pass == 1)
                first[k] = best[k];
            last[k] = best[k];
        }
    }
    // Nothing touching memory is flat on this scale: a bare heap block's cost grows several times from
    // 100 to 10,000 as the working set leaves the caches. The library's cost per object is flat when
    // it grows no faster than the platform object each surface wraps, measured in the same run: a
    // count-dependent cost of the library's own (a linear search, a rewrite per object) would show
    // as a growth far past the platform's.
    const char* names[3] = {"create per object, 10,000 vs 100", "rebuild per object, 10,000 vs 100",
                            "release per object, 10,000 vs 100"};
    const int platform[3] = {3, 3, 4}; // a rebuild makes a new target for each object
    for (int k = 0; k < 3; ++k)
        Row(names[k], last[k], first[k], "at 100 objects", 0);
    Row("softd2d target create, 10,000 vs 100", last[3], first[3], "at 100 objects", 0);
    Row("softd2d target release, 10,000 vs 100", last[4], first[4], "at 100 objects", 0);
    Row("8 KB heap block alone, 10,000 vs 100", last[5], first[5], "at 100 blocks", 0);
    const char* growths[3] = {"create growth / softd2d create growth", "rebuild growth / softd2d create growth",
                              "release growth / softd2d release growth"};
    for (int k = 0; k < 3; ++k)
        FactorRow(growths[k], last[k] / first[k], last[platform[k]] / first[platform[k]], "platform growth", 1.0);
    if (device)
        device->Release();
    ReleaseWindow(window);
}

} // namespace bench
