#include "text/text_format_cache.h"
#include "text/layout_cache.h"

namespace tessary {

TextFormatMap& TextFormatCache()
{
    static TextFormatMap cache;
    return cache;
}

void ReleaseAllTextFormats()
{
    // The layouts are keyed by their format's address, which a new format may take over.
    ReleaseCachedLayouts();
    TextFormatMap& cache = TextFormatCache();
    while (!cache.empty()) {
        auto first = cache.begin();
        if (first->second)
            first->second->Release();
        cache.erase(first);
    }
}

} // namespace tessary
