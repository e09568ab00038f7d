// The loader objects DirectWrite reads private fonts through: the stream holds the whole file and serves
// fragments only inside it; every object answers bad arguments with the COM codes. Private collections
// built from them are exercised by font_resolution_test.
#include "text/font_loaders.h"
#include "text/font_resolution.h"
#include "text_test_support.h"

using namespace text_test;
using tessary::Context;

namespace {

using FontLoaders = TextTest;

HRESULT StreamOf(const std::wstring& path, IDWriteFontFileStream** stream)
{
    return tessary::FontFileLoader()->CreateStreamFromKey(path.c_str(), UINT32((path.size() + 1) * 2), stream);
}

} // namespace

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
    EXPECT_EQ(stream->ReadFileFragment(nullptr, 0, 1, &context), E_POINTER);
    EXPECT_EQ(stream->GetFileSize(nullptr), E_POINTER);
    UINT64 time = 1;
    EXPECT_EQ(stream->GetLastWriteTime(&time), E_NOTIMPL);
    EXPECT_EQ(time, 0u) << "no time stamp is kept";

    EXPECT_EQ(stream->Release(), 0u);
}

TEST_F(FontLoaders, LoadersAnswerBadArgumentsAndMissingFilesWithTheirCodes)
{
    IDWriteFontFileLoader* files = tessary::FontFileLoader();
    IDWriteFontCollectionLoader* collections = tessary::FontCollectionLoader();
    IDWriteFontFileStream* stream = nullptr;
    EXPECT_EQ(files->CreateStreamFromKey(L"", 2, nullptr), E_POINTER);
    EXPECT_EQ(files->CreateStreamFromKey(nullptr, 0, &stream), E_INVALIDARG);
    EXPECT_EQ(StreamOf(L"Z:\\no\\such font.ttf", &stream), E_FAIL);
    EXPECT_EQ(stream, nullptr);
    // IUnknown and the object's own interface, nothing else; the process loaders outlive their counts.
    void* out = nullptr;
    EXPECT_EQ(files->QueryInterface(__uuidof(IUnknown), nullptr), E_POINTER);
    EXPECT_EQ(files->QueryInterface(__uuidof(IDWriteFontCollectionLoader), &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    ASSERT_EQ(collections->QueryInterface(__uuidof(IDWriteFontCollectionLoader), &out), S_OK);
    EXPECT_EQ(out, collections);
    collections->Release();

    // A key lists paths up to an empty one; a missing file still enumerates, as it is opened only when
    // DirectWrite reads it. Without a factory no reference can be made.
    const wchar_t key[] = L"Z:\\no\\such font.ttf\0";
    IDWriteFontFileEnumerator* enumerator = nullptr;
    EXPECT_EQ(collections->CreateEnumeratorFromKey(nullptr, key, sizeof(key), nullptr), E_POINTER);
    EXPECT_EQ(collections->CreateEnumeratorFromKey(nullptr, nullptr, 0, &enumerator), E_INVALIDARG);
    ASSERT_EQ(collections->CreateEnumeratorFromKey(nullptr, key, sizeof(key), &enumerator), S_OK);
    BOOL has = TRUE;
    IDWriteFontFile* file = nullptr;
    EXPECT_EQ(enumerator->MoveNext(nullptr), E_POINTER);
    EXPECT_EQ(enumerator->MoveNext(&has), E_POINTER);
    EXPECT_FALSE(has);
    EXPECT_EQ(enumerator->GetCurrentFontFile(nullptr), E_POINTER);
    EXPECT_EQ(enumerator->GetCurrentFontFile(&file), E_FAIL);
    EXPECT_EQ(enumerator->Release(), 0u);
    ASSERT_EQ(collections->CreateEnumeratorFromKey(Context().dwriteFactory, key, sizeof(key), &enumerator), S_OK);
    ASSERT_EQ(enumerator->MoveNext(&has), S_OK);
    EXPECT_TRUE(has);
    ASSERT_EQ(enumerator->GetCurrentFontFile(&file), S_OK);
    EXPECT_EQ(enumerator->Release(), 0u) << "the current file goes with the enumerator";
    file->Release();
    // A factory our file loader is not registered with refuses the reference.
    IDWriteFactory* isolated = nullptr;
    ASSERT_EQ(DWriteCreateFactory(DWRITE_FACTORY_TYPE_ISOLATED, __uuidof(IDWriteFactory),
                                  reinterpret_cast<IUnknown**>(&isolated)), S_OK);
    ASSERT_EQ(collections->CreateEnumeratorFromKey(isolated, key, sizeof(key), &enumerator), S_OK);
    EXPECT_TRUE(FAILED(enumerator->MoveNext(&has)));
    EXPECT_FALSE(has);
    enumerator->Release();
    isolated->Release();
    EXPECT_EQ(tessary::CreatePrivateFontCollection(nullptr), E_POINTER);
}
