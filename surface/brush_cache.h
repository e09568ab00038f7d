// The process-wide brush cache: one solid brush per colour value, made once per initialisation, so
// repeated fills in the same colour create no Direct2D resource. Used only under GraphicsLock.
#pragma once

#include <d2d1.h>
#include <cstdint>

namespace tessary {

// The brush for `colour` (0xAABBGGRR), made on `target` when the cache has none; null when none can
// be made. No reference is added: the cache keeps its own.
ID2D1SolidColorBrush* CachedBrush(uint32_t colour, ID2D1RenderTarget* target);

// Releases and forgets every cached brush. A brush never outlives what made it: the device-loss rebuild
// empties the cache (its brushes were made on targets of the lost device), and so does uninitialise
// (they belong to the factory it releases). The drawing that follows makes new ones.
void EmptyBrushCache();

} // namespace tessary
