#include "text/font_resolution.h"
#include "frame/context.h"
#include "text/font_loaders.h"
#include <cstdint>
#include <cwchar>

namespace tessary {

namespace {

int CALLBACK NoteFamilyFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    if (found)
        *reinterpret_cast<uint8_t*>(found) = 1;
    return 1;
}

} // namespace

// A screen DC that cannot be had, or an enumeration that fails, leaves the family missing, so the
// private collection is tried rather than giving up on the name.
bool IsFontFamilyMissingFromGdi(const wchar_t* faceName)
{
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    if (faceName) {
        const size_t length = wcsnlen(faceName, LF_FACESIZE - 1);
        wmemcpy(query.lfFaceName, faceName, length);
        query.lfFaceName[length] = 0;
    }
    uint8_t found = 0;
    if (HDC screen = GetDC(nullptr)) {
        EnumFontFamiliesExW(screen, &query, NoteFamilyFound, reinterpret_cast<LPARAM>(&found), 0);
        ReleaseDC(nullptr, screen);
    }
    return found == 0;
}

std::vector<wchar_t> PrivateCollectionKey(const PrivateFontMap& registry)
{
    size_t count = 1;
    for (const auto& [path, adds] : registry)
        count += path.size() + 1;
    std::vector<wchar_t> key;
    key.reserve(count);
    for (const auto& [path, adds] : registry) {
        key.insert(key.end(), path.begin(), path.end());
        key.push_back(0);
    }
    key.push_back(0);
    return key;
}

HRESULT CreatePrivateFontCollection(IDWriteFontCollection** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    IDWriteFactory* factory = Context().dwriteFactory;
    try {
        const std::vector<wchar_t> key = PrivateCollectionKey(PrivateFontRegistry());
        // The key's size in bytes is a UINT32; a process's font paths never come near.
        if (!factory || key.size() > UINT32_MAX / sizeof(wchar_t))
            return E_FAIL;
        const HRESULT hr = factory->CreateCustomFontCollection(
            Context().fontCollectionLoader, key.data(), static_cast<UINT32>(key.size() * sizeof(wchar_t)), out);
        if (FAILED(hr))
            *out = nullptr;
        return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace tessary
