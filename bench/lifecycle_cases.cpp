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
    Section("Lifecycle of 32 x 32 surfaces, microseconds per object");
    std::printf("  %8s %12s %12s %12s\n", "objects", "create", "rebuild", "release");
    const int counts[] = {100, 1000, 10000};
    double first[3] = {}, last[3] = {};
    for (int count : counts) {
        double best[3] = {1e30, 1e30, 1e30};
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
        }
        std::printf("  %8d %12.2f %12.2f %12.2f\n", count, best[0] * 1e6, best[1] * 1e6, best[2] * 1e6);
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
    ReleaseWindow(window);
}

} // namespace bench
