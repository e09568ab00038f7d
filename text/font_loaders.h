// The DirectWrite loader objects that make the private fonts readable: a collection key (every
// registered path, each NUL-terminated, then one more NUL) becomes an enumerator over those paths, and
// each path becomes a stream holding the whole file in memory.
#pragma once

#include "text/com_object.h"
#include <dwrite.h>
#include <cstdint>
#include <string>
#include <vector>

namespace tessary {

// The process's one collection loader and one file loader, made at the first call (process attach)
// and kept for the life of the process; null if their allocation failed. Registered with DirectWrite
// from initialise to uninitialise.
IDWriteFontCollectionLoader* FontCollectionLoader();
IDWriteFontFileLoader* FontFileLoader();

class ResourceFontCollectionLoader final : public ComObject<IDWriteFontCollectionLoader, true> {
public:
    HRESULT STDMETHODCALLTYPE CreateEnumeratorFromKey(IDWriteFactory* factory, const void* key, UINT32 keySize,
                                                      IDWriteFontFileEnumerator** enumerator) override;
};

class ResourceFontFileLoader final : public ComObject<IDWriteFontFileLoader, true> {
public:
    HRESULT STDMETHODCALLTYPE CreateStreamFromKey(const void* key, UINT32 keySize,
                                                  IDWriteFontFileStream** stream) override;
};

class ResourceFontFileEnumerator final : public ComObject<IDWriteFontFileEnumerator> {
public:
    // Keeps `factory` (may be null) and reads the key's paths up to the first empty one; throws
    // std::bad_alloc when the list cannot be held.
    ResourceFontFileEnumerator(IDWriteFactory* factory, const wchar_t* key);
    ~ResourceFontFileEnumerator() override;

    HRESULT STDMETHODCALLTYPE MoveNext(BOOL* hasCurrentFile) override;
    HRESULT STDMETHODCALLTYPE GetCurrentFontFile(IDWriteFontFile** fontFile) override;

private:
    IDWriteFactory* _factory;
    IDWriteFontFile* _current = nullptr;
    std::vector<std::wstring> _paths;
    size_t _next = 0;
};

class ResourceFontFileStream final : public ComObject<IDWriteFontFileStream> {
public:
    // Reads the whole file once; false, with nothing held, when it cannot be opened or is empty.
    // Throws std::bad_alloc when the bytes cannot be held.
    bool Load(const wchar_t* path);

    HRESULT STDMETHODCALLTYPE ReadFileFragment(const void** start, UINT64 offset, UINT64 size,
                                               void** context) override;
    void STDMETHODCALLTYPE ReleaseFileFragment(void* context) override;
    HRESULT STDMETHODCALLTYPE GetFileSize(UINT64* size) override;
    HRESULT STDMETHODCALLTYPE GetLastWriteTime(UINT64* time) override;

private:
    std::wstring _path;
    std::vector<uint8_t> _bytes;
};

} // namespace tessary
