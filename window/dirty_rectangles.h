// Which dirty rectangles a presentation hands to UpdateLayeredWindowIndirect.
#pragma once

#include <windows.h>
#include <cstdint>
#include <vector>

namespace tessary::window {

// Every UpdateLayeredWindowIndirect call costs a fixed amount whatever its dirty rectangle (a kernel
// transition and a compositor update on Windows; 4 to 9 ms under Wine), on top of a cost per pixel it
// moves. bench_frame's presentation section measures both: on 2 cores under Wine 8 a call's fixed
// cost was worth 0.55 million pixels moved on a quiet machine (16 x 16 in 4.3 ms, the whole
// 1280 x 800 window in 12 ms) and up to 1.1 million on a busy one. A call is counted as the lower
// figure, so changes far apart on a large window still go separately; two pieces are sent as one
// rectangle when their bounding box adds fewer pixels than that.
inline constexpr int64_t kCallCostInPixels = int64_t(1) << 19; // 524,288
// However scattered the changes, no presentation makes more calls than this.
inline constexpr size_t kMaxCallsPerPresent = 4;

// The dirty rectangles that send `rects` (a region's rectangles in GDI's order: bands top to bottom,
// left to right in a band) at the least cost as counted above, at most kMaxCallsPerPresent of them.
// Each is the bounding box of consecutive rectangles of `rects`, so together they cover all of them.
// Rectangles next to each other in GDI's order are merged greedily, the pair adding the fewest pixels
// first; beyond 64 rectangles, runs of neighbours are first taken together so the cost stays linear.
void ChooseDirtyRectangles(const std::vector<RECT>& rects, std::vector<RECT>& out);

} // namespace tessary::window
