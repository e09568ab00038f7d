// The loader objects DirectWrite reads private fonts through: keys to enumerators, paths to streams,
// fragment bounds and the COM rules DirectWrite relies on.
#include "text/font_loaders.h"
#include "text_test_support.h"
#include <cstdio>
#include <vector>

using namespace text_test;
using tessary::Context;

namespace {

class FontLoaders : public surface_test::SurfaceTest {
protected:
    // A fresh enumerator over `key` from the process's collection loader.
    IDWriteFontFileEnumerator* Enumerate(const wchar_t* key)
    {
        IDWriteFontFileEnumerator* enumerator = nullptr;
        EXPECT_EQ(tessary::FontCollectionLoader()->CreateEnumeratorFromKey(Context().dwriteFactory, key, 0, &enumerator),
                  S_OK);
        return enumerator;
    }

    static HRESULT StreamOf(const std::wstring& path, IDWriteFontFileStream** stream)
    {
        return tessary::FontFileLoader()->CreateStreamFromKey(path.c_str(), UINT32((path.size() + 1) * 2), stream);
    }
};

std::vector<uint8_t> FileBytes(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        uint8_t buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.insert(bytes.end(), buffer, buffer + n);
        fclose(file);
    }
    return bytes;
}

} // namespace

TEST_F(FontLoaders, AreProcessSingletonsAnsweringTheirOwnInterfaces)
{
    IDWriteFontCollectionLoader* collectionLoader = tessary::FontCollectionLoader();
    IDWriteFontFileLoader* fileLoader = tessary::FontFileLoader();
    ASSERT_NE(collectionLoader, nullptr);
    ASSERT_NE(fileLoader, nullptr);
    EXPECT_EQ(Context().fontCollectionLoader, collectionLoader) << "attach hands them to initialisation";
    EXPECT_EQ(Context().fontFileLoader, fileLoader);

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(collectionLoader->QueryInterface(__uuidof(IDWriteFontCollectionLoader), &out), S_OK);
    EXPECT_EQ(out, collectionLoader);
    collectionLoader->Release();
    EXPECT_EQ(fileLoader->QueryInterface(__uuidof(IUnknown), &out), S_OK);
    EXPECT_EQ(out, fileLoader);
    fileLoader->Release();
    EXPECT_EQ(fileLoader->QueryInterface(__uuidof(IDWriteFontCollectionLoader), &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    EXPECT_EQ(collectionLoader->CreateEnumeratorFromKey(Context().dwriteFactory, L"", 2, nullptr), E_POINTER);
    IDWriteFontFileEnumerator* none = reinterpret_cast<IDWriteFontFileEnumerator*>(1);
    EXPECT_EQ(collectionLoader->CreateEnumeratorFromKey(Context().dwriteFactory, nullptr, 0, &none), E_INVALIDARG);
    EXPECT_EQ(none, nullptr);
}

TEST_F(FontLoaders, EnumeratorWalksTheKeysPathsToTheFirstEmptyOne)
{
    // One NUL: no file, and S_OK.
    IDWriteFontFileEnumerator* empty = Enumerate(L"");
    ASSERT_NE(empty, nullptr);
    BOOL has = TRUE;
    EXPECT_EQ(empty->MoveNext(&has), S_OK);
    EXPECT_FALSE(has);
    IDWriteFontFile* file = reinterpret_cast<IDWriteFontFile*>(1);
    EXPECT_EQ(empty->GetCurrentFontFile(&file), E_FAIL);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(empty->Release(), 0u) << "handed out with one reference";

    // Two paths, neither of which need exist: files are opened only for their streams.
    const wchar_t twoPaths[] = L"C:\\missing\\a.ttf\0C:\\missing\\b.ttf\0\0after-the-end.ttf\0";
    IDWriteFontFileEnumerator* two = Enumerate(twoPaths);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->GetCurrentFontFile(&file), E_FAIL) << "before the first step";
    EXPECT_EQ(file, nullptr);
    for (const wchar_t* expected : {L"C:\\missing\\a.ttf", L"C:\\missing\\b.ttf"}) {
        has = FALSE;
        ASSERT_EQ(two->MoveNext(&has), S_OK);
        ASSERT_TRUE(has);
        ASSERT_EQ(two->GetCurrentFontFile(&file), S_OK);
        ASSERT_NE(file, nullptr);
        // The file reference names the path, NUL included, and our file loader.
        const void* key = nullptr;
        UINT32 keySize = 0;
        ASSERT_EQ(file->GetReferenceKey(&key, &keySize), S_OK);
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(key)), expected);
        EXPECT_EQ(keySize, (wcslen(expected) + 1) * 2);
        IDWriteFontFileLoader* loader = nullptr;
        ASSERT_EQ(file->GetLoader(&loader), S_OK);
        EXPECT_EQ(loader, tessary::FontFileLoader());
        loader->Release();
        file->Release();
    }
    EXPECT_EQ(two->MoveNext(&has), S_OK);
    EXPECT_FALSE(has) << "the list ends at the empty string";
    EXPECT_EQ(two->GetCurrentFontFile(&file), E_FAIL) << "after the last step";
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(two->MoveNext(nullptr), E_POINTER);
    EXPECT_EQ(two->Release(), 0u);
}

TEST_F(FontLoaders, StreamHoldsTheWholeFileAndServesFragmentsInsideIt)
{
    const std::wstring path = LiberationMonoPath();
    if (path.empty())
        GTEST_SKIP() << "Liberation Mono is not installed";
    const std::vector<uint8_t> bytes = FileBytes(path);
    ASSERT_GT(bytes.size(), 4u);

    IDWriteFontFileStream* stream = nullptr;
    ASSERT_EQ(StreamOf(path, &stream), S_OK);
    ASSERT_NE(stream, nullptr);
    UINT64 size = 0;
    EXPECT_EQ(stream->GetFileSize(&size), S_OK);
    EXPECT_EQ(size, bytes.size());

    const void* start = nullptr;
    void* context = reinterpret_cast<void*>(1);
    ASSERT_EQ(stream->ReadFileFragment(&start, 0, 4, &context), S_OK);
    EXPECT_EQ(context, nullptr);
    EXPECT_EQ(memcmp(start, bytes.data(), 4), 0) << "the TrueType version tag";
    stream->ReleaseFileFragment(context);
    ASSERT_EQ(stream->ReadFileFragment(&start, size - 1, 1, &context), S_OK);
    EXPECT_EQ(*static_cast<const uint8_t*>(start), bytes.back());
    EXPECT_EQ(stream->ReadFileFragment(&start, size, 0, &context), S_OK) << "an empty read at the end";
    EXPECT_EQ(stream->ReadFileFragment(&start, size - 1, 2, &context), E_FAIL);
    EXPECT_EQ(start, nullptr);
    EXPECT_EQ(context, nullptr);
    start = bytes.data();
    EXPECT_EQ(stream->ReadFileFragment(&start, size + 1, 0, &context), E_FAIL);
    EXPECT_EQ(start, nullptr);
    EXPECT_EQ(stream->ReadFileFragment(&start, 1, UINT64(-1), &context), E_FAIL) << "no wrap-around";

    UINT64 time = 99;
    EXPECT_EQ(stream->GetLastWriteTime(&time), E_NOTIMPL);
    EXPECT_EQ(time, 0u);
    void* out = nullptr;
    EXPECT_EQ(stream->QueryInterface(__uuidof(IDWriteFontFileStream), &out), S_OK);
    EXPECT_EQ(stream->Release(), 1u);
    EXPECT_EQ(stream->Release(), 0u);
}

TEST_F(FontLoaders, StreamsAreRefusedForEmptyOrMissingFiles)
{
    wchar_t folder[MAX_PATH], empty[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    ASSERT_NE(GetTempFileNameW(folder, L"tsy", 0, empty), 0u); // creates the file, zero bytes long

    IDWriteFontFileStream* stream = reinterpret_cast<IDWriteFontFileStream*>(1);
    EXPECT_EQ(StreamOf(empty, &stream), E_FAIL);
    EXPECT_EQ(stream, nullptr);
    DeleteFileW(empty);
    stream = reinterpret_cast<IDWriteFontFileStream*>(1);
    EXPECT_EQ(StreamOf(empty, &stream), E_FAIL) << "now missing";
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(tessary::FontFileLoader()->CreateStreamFromKey(nullptr, 0, &stream), E_INVALIDARG);
    EXPECT_EQ(tessary::FontFileLoader()->CreateStreamFromKey(empty, 2, nullptr), E_POINTER);
}
