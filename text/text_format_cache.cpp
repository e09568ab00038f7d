#include "text/text_format_cache.h"

namespace tessary {

TextFormatMap& TextFormatCache()
{
    static TextFormatMap cache;
    return cache;
}

void ReleaseAllTextFormats()
{
    TextFormatMap& cache = TextFormatCache();
    while (!cache.empty()) {
        auto first = cache.begin();
        if (first->second)
            first->second->Release();
        cache.erase(first);
    }
}

} // namespace tessary
