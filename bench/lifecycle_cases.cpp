// Creation, device-loss rebuild and teardown with 100, 1,000 and 10,000 live surfaces: the cost per
// object must stay flat as the count grows.
#include "bench_host.h"
#include <algorithm>
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
    std::printf("  %8s %12s %12s %12s %16s %16s\n", "objects", "create", "rebuild", "release", "softd2d create",
                "softd2d release");
    const int counts[] = {10000, 1000, 100, 10000};
    double first[3] = {}, last[3] = {};
    for (int count : counts) {
        double best[5] = {1e30, 1e30, 1e30, 1e30, 1e30};
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
            start = Seconds();
            for (int i = 0; device && i < count; ++i)
                device->CreateCompatibleRenderTarget(&size, nullptr, nullptr,
                                                     D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE, &targets[i]);
            const double made = Seconds();
            for (ID2D1BitmapRenderTarget* target : targets)
                if (target)
                    target->Release();
            best[3] = std::min(best[3], (made - start) / count);
            best[4] = std::min(best[4], (Seconds() - made) / count);
        }
        std::printf("  %8d %12.2f %12.2f %12.2f %16.2f %16.2f\n", count, best[0] * 1e6, best[1] * 1e6, best[2] * 1e6,
                    best[3] * 1e6, best[4] * 1e6);
        for (int k = 0; k < 3; ++k) {
            if (count == counts[0])
                first[k] = best[k];
            last[k] = best[k];
        }
    }
    const char* names[3] = {"create per object, 10,000 vs 100", "rebuild per object, 10,000 vs 100",
                            "release per object, 10,000 vs 100"};
    for (int k = 0; k < 3; ++k)
        Row(names[k], last[k], first[k], "at 100 objects", 1.5);
    if (device)
        device->Release();
    ReleaseWindow(window);
}

} // namespace bench
