#include "text/layout_cache.h"
#include <cstdint>
#include <cstring>
#include <list>
#include <string>
#include <unordered_map>

namespace tessary {

namespace {

struct Entry {
    std::wstring key;
    IDWriteTextLayout* layout;
    RECT bounds;
};

// Raw pointers, released only by ReleaseCachedLayouts: the containers are destroyed at unload, when
// dwrite.dll may already be gone.
struct Cache {
    std::list<Entry> entries; // most recently used first
    std::unordered_map<std::wstring, std::list<Entry>::iterator> index;
};

Cache& TheCache()
{
    static Cache cache;
    return cache;
}

// The format's address, the two flags, then the text. Under GraphicsLock one buffer serves every key,
// so a lookup allocates nothing once the buffer has grown; only a new entry copies it.
const std::wstring& KeyOf(const LayoutKey& key)
{
    constexpr size_t kPointerChars = sizeof(void*) / sizeof(wchar_t);
    static std::wstring k;
    k.resize(kPointerChars + 1 + key.length);
    const uintptr_t address = reinterpret_cast<uintptr_t>(key.format);
    std::memcpy(k.data(), &address, sizeof(address));
    k[kPointerChars] = static_cast<wchar_t>((key.underline ? 1 : 0) | (key.strikeout ? 2 : 0));
    if (key.length)
        std::memcpy(k.data() + kPointerChars + 1, key.text, key.length * sizeof(wchar_t));
    return k;
}

} // namespace

IDWriteTextLayout* FindCachedLayout(const LayoutKey& key, RECT* bounds) noexcept
{
    try {
        Cache& cache = TheCache();
        const auto found = cache.index.find(KeyOf(key));
        if (found == cache.index.end())
            return nullptr;
        cache.entries.splice(cache.entries.begin(), cache.entries, found->second);
        *bounds = found->second->bounds;
        found->second->layout->AddRef();
        return found->second->layout;
    } catch (...) {
        return nullptr;
    }
}

void CacheLayout(const LayoutKey& key, IDWriteTextLayout* layout, const RECT& bounds) noexcept
{
    try {
        Cache& cache = TheCache();
        cache.entries.push_front(Entry{KeyOf(key), layout, bounds});
        bool added = false;
        try {
            added = cache.index.emplace(cache.entries.front().key, cache.entries.begin()).second;
        } catch (...) {
        }
        if (!added) { // cached already, or no memory for the index
            cache.entries.pop_front();
            return;
        }
        layout->AddRef();
        if (cache.entries.size() > kCachedLayouts) {
            Entry& oldest = cache.entries.back();
            oldest.layout->Release();
            cache.index.erase(oldest.key);
            cache.entries.pop_back();
        }
    } catch (...) {
    }
}

void ReleaseCachedLayouts() noexcept
{
    Cache& cache = TheCache();
    for (Entry& entry : cache.entries)
        entry.layout->Release();
    cache.index.clear();
    cache.entries.clear();
}

size_t CachedLayoutCount() noexcept { return TheCache().entries.size(); }

} // namespace tessary
