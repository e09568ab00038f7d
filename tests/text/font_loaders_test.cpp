// The stream DirectWrite reads a private font file through: the whole file, and fragments only inside
// it. Keys and enumerators are exercised by the private collections of font_resolution_test.
#include "text/font_loaders.h"
#include "text_test_support.h"
#include <cstdio>
#include <vector>

using namespace text_test;
using tessary::Context;

namespace {

class FontLoaders : public surface_test::SurfaceTest {
protected:
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
}
