// The collection loader and its enumerator: a collection key lists font file paths, and each path
// becomes a DirectWrite font file reference served by the process's file loader. Files are opened
// only when DirectWrite asks for their stream, so an unreadable path still enumerates.
#include "text/font_loaders.h"
#include <cwchar>
#include <new>

namespace tessary {

IDWriteFontCollectionLoader* FontCollectionLoader()
{
    static ResourceFontCollectionLoader* const loader = new (std::nothrow) ResourceFontCollectionLoader;
    return loader;
}

HRESULT ResourceFontCollectionLoader::CreateEnumeratorFromKey(IDWriteFactory* factory, const void* key, UINT32,
                                                              IDWriteFontFileEnumerator** enumerator)
{
    if (!enumerator)
        return E_POINTER;
    *enumerator = nullptr;
    if (!key)
        return E_INVALIDARG;
    ResourceFontFileEnumerator* created = nullptr;
    try {
        created = new ResourceFontFileEnumerator(factory, static_cast<const wchar_t*>(key));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    created->AddRef();
    *enumerator = created;
    return S_OK;
}

// The key size is not trusted: the list ends at its first empty string, as the key is built.
ResourceFontFileEnumerator::ResourceFontFileEnumerator(IDWriteFactory* factory, const wchar_t* key)
    : _factory(factory)
{
    for (const wchar_t* path = key; *path; path += std::wcslen(path) + 1)
        _paths.emplace_back(path);
    if (_factory)
        _factory->AddRef();
}

ResourceFontFileEnumerator::~ResourceFontFileEnumerator()
{
    if (_current)
        _current->Release();
    if (_factory)
        _factory->Release();
}

HRESULT ResourceFontFileEnumerator::MoveNext(BOOL* hasCurrentFile)
{
    if (!hasCurrentFile)
        return E_POINTER;
    *hasCurrentFile = FALSE;
    if (_current) {
        _current->Release();
        _current = nullptr;
    }
    if (_next >= _paths.size())
        return S_OK;
    if (!_factory)
        return E_POINTER;
    const std::wstring& path = _paths[_next];
    // The reference key is the path with its NUL, which the file loader reads back as a string.
    const UINT32 keySize = static_cast<UINT32>((path.size() + 1) * sizeof(wchar_t));
    const HRESULT hr = _factory->CreateCustomFontFileReference(path.c_str(), keySize, FontFileLoader(), &_current);
    if (FAILED(hr)) {
        _current = nullptr;
        return hr;
    }
    *hasCurrentFile = TRUE;
    ++_next;
    return S_OK;
}

HRESULT ResourceFontFileEnumerator::GetCurrentFontFile(IDWriteFontFile** fontFile)
{
    if (!fontFile)
        return E_POINTER;
    *fontFile = _current;
    if (!_current)
        return E_FAIL;
    _current->AddRef();
    return S_OK;
}

} // namespace tessary
