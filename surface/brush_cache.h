// The process-wide brush cache: one solid brush per colour value for the life of the process, so
// repeated fills in the same colour create no Direct2D resource. Used only under GraphicsLock.
#pragma once

#include <d2d1.h>
#include <cstdint>

namespace tessary {

// The brush for `colour` (0xAABBGGRR), made on `target` when the cache has none; null when none can
// be made. No reference is added: the cache keeps its own.
ID2D1SolidColorBrush* CachedBrush(uint32_t colour, ID2D1RenderTarget* target);

// Releases every cached brush. The device-loss rebuild and uninitialise empty the cache: its brushes
// were made on targets of the lost device or of the factory going away.
void EmptyBrushCache();

} // namespace tessary
