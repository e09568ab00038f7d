// The file loader and its stream: a reference key names a font file, which is read whole into memory
// so that DirectWrite's fragment reads are plain offsets into it.
#include "text/font_loaders.h"
#include <memory>
#include <new>

namespace tessary {

IDWriteFontFileLoader* FontFileLoader()
{
    static ResourceFontFileLoader* const loader = new (std::nothrow) ResourceFontFileLoader;
    return loader;
}

HRESULT ResourceFontFileLoader::CreateStreamFromKey(const void* key, UINT32, IDWriteFontFileStream** stream)
{
    if (!stream)
        return E_POINTER;
    *stream = nullptr;
    if (!key)
        return E_INVALIDARG;
    try {
        auto created = std::make_unique<ResourceFontFileStream>();
        if (!created->Load(static_cast<const wchar_t*>(key)))
            return E_FAIL;
        created->AddRef();
        *stream = created.release();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

bool ResourceFontFileStream::Load(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const std::unique_ptr<void, decltype(&CloseHandle)> closing(file, &CloseHandle);
    DWORD high = 0;
    const DWORD size = ::GetFileSize(file, &high);
    // Sizes are 32-bit here: a file of 4 GiB or more, or one whose size cannot be read, is refused.
    if (size != 0 && size != INVALID_FILE_SIZE && high == 0) {
        _bytes.assign(size, 0);
        // One read of the whole file; a short read leaves zeros that DirectWrite then refuses to parse.
        DWORD read = 0;
        ReadFile(file, _bytes.data(), size, &read, nullptr);
    }
    if (_bytes.empty())
        return false;
    _path = path;
    return true;
}

HRESULT ResourceFontFileStream::ReadFileFragment(const void** start, UINT64 offset, UINT64 size, void** context)
{
    if (context)
        *context = nullptr;
    if (!start || !context)
        return E_POINTER;
    const UINT64 length = _bytes.size();
    if (offset > length || size > length - offset) {
        *start = nullptr;
        return E_FAIL;
    }
    *start = _bytes.data() + offset;
    return S_OK;
}

void ResourceFontFileStream::ReleaseFileFragment(void*) {}

HRESULT ResourceFontFileStream::GetFileSize(UINT64* size)
{
    if (!size)
        return E_POINTER;
    *size = _bytes.size();
    return S_OK;
}

// The library keeps no time stamp for private fonts.
HRESULT ResourceFontFileStream::GetLastWriteTime(UINT64* time)
{
    if (time)
        *time = 0;
    return E_NOTIMPL;
}

} // namespace tessary
