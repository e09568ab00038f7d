// The process-wide brush cache: solid brushes by colour value, so repeated fills in the same colour
// create no Direct2D resource. Bounded: past kBrushCacheCapacity colours the least recently used brush
// goes, so a host that animates a colour does not grow it without end. Used only under GraphicsLock.
#pragma once

#include <d2d1.h>
#include <cstddef>
#include <cstdint>

namespace tessary {

inline constexpr size_t kBrushCacheCapacity = 256;

// The brush for `colour` (0xAABBGGRR), made on `target` when the cache has none; null when none can
// be made. No reference is added: the brush stays valid until the next call or EmptyBrushCache.
ID2D1SolidColorBrush* CachedBrush(uint32_t colour, ID2D1RenderTarget* target);

// Releases every cached brush. A brush belongs to the factory that made it, so the cache is emptied
// when the factory goes (uninitialise) and before a device-loss rebuild.
void EmptyBrushCache();

} // namespace tessary
