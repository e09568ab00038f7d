// Many rectangles made into one GDI region in n log n work.
#pragma once

#include <windows.h>
#include <cstdint>

namespace tessary {

// GDI builds a region from RGNDATA one rectangle at a time, each union costing as much as the region
// already made, so many rectangles at once take quadratic time. The rectangles are therefore made into
// regions a bounded chunk at a time, and the chunks are joined pairwise, like the digits of a binary
// counter, for the same region: GDI keeps every region in one normalised form, whatever the order of
// the unions.
class RegionBuilder {
public:
    static constexpr DWORD kMaxChunk = 128;

    // Rectangles that overlap cost more per union than disjoint runs; the caller picks the chunk size
    // (at most kMaxChunk) that suits its rectangles.
    explicit RegionBuilder(DWORD chunk) : _chunk(chunk < 1 ? 1 : chunk > kMaxChunk ? kMaxChunk : chunk) {}
    ~RegionBuilder();
    RegionBuilder(const RegionBuilder&) = delete;
    RegionBuilder& operator=(const RegionBuilder&) = delete;

    void Add(const RECT& rect)
    {
        _rects[_count++] = rect;
        if (_count == _chunk)
            Flush();
    }

    // The whole region (an empty one when nothing was added), or null when GDI refused a part of it.
    HRGN Finish();

private:
    static constexpr int kLevels = 40;

    void Flush();

    DWORD _chunk;
    RECT _rects[kMaxChunk];
    DWORD _count = 0;
    HRGN _levels[kLevels] = {};
    bool _failed = false;
};

} // namespace tessary
