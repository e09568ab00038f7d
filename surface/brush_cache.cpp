// The process-wide brush cache: one solid brush per colour value for the life of the process, so
// repeated fills with the same colour create no Direct2D resource. Read and written under GraphicsLock.
#include "surface/surface.h"
#include <map>
#include <new>

namespace {

// Raw pointers, each holding the cache's one reference, deliberately never released: the map is
// destroyed at unload, when d2d1.dll may already be gone, and releasing into it then would crash.
std::map<uint32_t, ID2D1SolidColorBrush*>& BrushCache()
{
    static std::map<uint32_t, ID2D1SolidColorBrush*> cache;
    return cache;
}

} // namespace

ID2D1SolidColorBrush* Class_ZkGraphicSurfaceD2D::BrushForColour(uint32_t colour)
{
    auto& cache = BrushCache();
    if (auto found = cache.find(colour); found != cache.end())
        return found->second;
    if (!ownTarget)
        return nullptr;
    // Brushes made on one surface's target serve every surface: all targets share one factory.
    ID2D1SolidColorBrush* brush = nullptr;
    const D2D1_COLOR_F colourF = tessary::ColourF(colour);
    if (FAILED(ownTarget->CreateSolidColorBrush(&colourF, nullptr, &brush)) || !brush)
        return nullptr;
    try {
        cache.emplace(colour, brush);
    } catch (const std::bad_alloc&) {
        brush->Release();
        return nullptr;
    }
    return brush;
}
