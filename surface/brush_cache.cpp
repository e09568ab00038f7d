// The process-wide brush cache. Uninitialise and device loss empty it.
#include "surface/brush_cache.h"
#include "surface/surface.h"
#include <map>
#include <new>

namespace tessary {

namespace {

// Raw pointers, each holding the cache's one reference, deliberately not released when the map is
// destroyed at unload: d2d1.dll may already be gone then, and releasing into it would crash.
std::map<uint32_t, ID2D1SolidColorBrush*>& Cache()
{
    static std::map<uint32_t, ID2D1SolidColorBrush*> cache;
    return cache;
}

} // namespace

ID2D1SolidColorBrush* CachedBrush(uint32_t colour, ID2D1RenderTarget* target)
{
    auto& cache = Cache();
    if (auto found = cache.find(colour); found != cache.end())
        return found->second;
    if (!target)
        return nullptr;
    // Brushes made on one surface's target serve every surface: all targets share one factory.
    ID2D1SolidColorBrush* brush = nullptr;
    const D2D1_COLOR_F colourF = ColourF(colour);
    if (FAILED(target->CreateSolidColorBrush(&colourF, nullptr, &brush)) || !brush)
        return nullptr;
    try {
        cache.emplace(colour, brush);
    } catch (const std::bad_alloc&) {
        brush->Release();
        return nullptr;
    }
    return brush;
}

void EmptyBrushCache()
{
    auto& cache = Cache();
    for (auto& [colour, brush] : cache)
        brush->Release();
    cache.clear();
}

} // namespace tessary

ID2D1SolidColorBrush* Class_ZkGraphicSurfaceD2D::BrushForColour(uint32_t colour)
{
    return tessary::CachedBrush(colour, ownTarget);
}
