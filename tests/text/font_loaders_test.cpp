// The stream DirectWrite reads a private font file through: the whole file, and fragments only inside
// it. Keys, enumerators and files that cannot be read are exercised by the private collections of
// font_resolution_test.
#include "text/font_loaders.h"
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

    EXPECT_EQ(stream->Release(), 0u);
}
