// Template bodies of ForEachRegionRect and ForEachClippedRect.
#include <memory>

namespace tessary {

inline bool IsUsableRegionHandle(HRGN region)
{
    return region != nullptr && region != reinterpret_cast<HRGN>(~uintptr_t(0));
}

template <class Visit>
uint32_t ForEachRegionRect(HRGN region, Visit&& visit)
{
    if (!IsUsableRegionHandle(region))
        return 0;
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size < 1)
        return 0;
    alignas(RGNDATA) unsigned char stackBuffer[1008];
    std::unique_ptr<unsigned char[]> heapBuffer;
    unsigned char* buffer = stackBuffer;
    if (size > sizeof(stackBuffer)) {
        heapBuffer.reset(new (std::nothrow) unsigned char[size]);
        if (!heapBuffer)
            return 0;
        buffer = heapBuffer.get();
    }
    auto* data = reinterpret_cast<RGNDATA*>(buffer);
    if (GetRegionData(region, size, data) == 0)
        return 0;
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    const uint32_t count = data->rdh.nCount;
    for (uint32_t i = 0; i < count; ++i)
        visit(rects[i]);
    return count;
}

template <class Visit, class Done>
uint32_t ForEachClippedRect(const ClipShape& clip, const RECT& rect, Visit&& visit, Done&& done)
{
    if (RECT piece; IntersectSimpleShape(clip, rect, &piece)) {
        const uint32_t count = IsRectEmpty(&piece) ? 0 : 1;
        if (count)
            visit(static_cast<const RECT&>(piece));
        done(static_cast<const RECT&>(piece));
        return count;
    }
    ScopedRegion area(rect);
    CombineRgn(area.region.handle, area.region.handle, clip.handle, RGN_AND);
    const uint32_t count = ForEachRegionRect(area.region.handle, visit);
    done(static_cast<HRGN>(area.region.handle));
    return count;
}

} // namespace tessary
