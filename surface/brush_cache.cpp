// The process-wide brush cache, least recently used first out.
#include "surface/brush_cache.h"
#include "surface/surface.h"
#include <list>
#include <new>
#include <unordered_map>

namespace tessary {

namespace {

struct BrushCacheState {
    // Most recently used first; each pointer holds the cache's one reference.
    std::list<std::pair<uint32_t, ID2D1SolidColorBrush*>> order;
    std::unordered_map<uint32_t, decltype(order)::iterator> byColour;
};

// Never destroyed with its brushes: at unload d2d1.dll may already be gone, and releasing into it then
// would crash. Uninitialise has emptied it by then anyway.
BrushCacheState& Cache()
{
    static BrushCacheState cache;
    return cache;
}

} // namespace

ID2D1SolidColorBrush* CachedBrush(uint32_t colour, ID2D1RenderTarget* target)
{
    BrushCacheState& cache = Cache();
    if (auto found = cache.byColour.find(colour); found != cache.byColour.end()) {
        cache.order.splice(cache.order.begin(), cache.order, found->second);
        return found->second->second;
    }
    if (!target)
        return nullptr;
    // Brushes made on one surface's target serve every surface: all targets share one factory.
    ID2D1SolidColorBrush* brush = nullptr;
    const D2D1_COLOR_F colourF = ColourF(colour);
    if (FAILED(target->CreateSolidColorBrush(&colourF, nullptr, &brush)) || !brush)
        return nullptr;
    try {
        cache.order.emplace_front(colour, brush);
        cache.byColour.emplace(colour, cache.order.begin());
    } catch (const std::bad_alloc&) {
        // A list entry the map cannot reach goes again.
        if (!cache.order.empty() && cache.order.front().second == brush)
            cache.order.pop_front();
        brush->Release();
        return nullptr;
    }
    if (cache.order.size() > kBrushCacheCapacity) {
        auto& [oldColour, oldBrush] = cache.order.back();
        oldBrush->Release();
        cache.byColour.erase(oldColour);
        cache.order.pop_back();
    }
    return brush;
}

void EmptyBrushCache()
{
    BrushCacheState& cache = Cache();
    for (auto& [colour, brush] : cache.order)
        brush->Release();
    cache.order.clear();
    cache.byColour.clear();
}

} // namespace tessary

ID2D1SolidColorBrush* Class_ZkGraphicSurfaceD2D::BrushForColour(uint32_t colour)
{
    return tessary::CachedBrush(colour, ownTarget);
}
