// Images: a surface of the decoded file's size holding its first frame, premultiplied; the stored
// full path; failures that leave nothing behind; and a rebuild that decodes the file again.
#include "image/image.h"
#include "surface/surface_fixture.h"
#include <Tessary.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <shlwapi.h>
#include <string>
#include <utility>

using namespace surface_test;

namespace {

// Straight BGRA, as a PNG stores it: red, half-transparent white, transparent / green, blue, white.
const uint8_t kFilePixels[2][3][4] = {{{0, 0, 255, 255}, {255, 255, 255, 128}, {0, 0, 0, 0}},
                                      {{0, 255, 0, 255}, {255, 0, 0, 255}, {255, 255, 255, 255}}};
// The same pixels premultiplied, as read back (0xAARRGGBB).
const std::vector<uint32_t> kDecoded{0xFFFF0000, 0x80808080, 0x00000000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};

// The test pixels in `container`'s format, through WIC's own conversion to what the encoder takes.
std::vector<uint8_t> Encode(const GUID& container)
{
    IWICImagingFactory* wic = tessary::Context().wicFactory;
    IWICBitmap* source = nullptr;
    IStream* memory = SHCreateMemStream(nullptr, 0);
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    bool ok = memory &&
              SUCCEEDED(wic->CreateBitmapFromMemory(3, 2, format, 12, sizeof(kFilePixels),
                                                    const_cast<BYTE*>(&kFilePixels[0][0][0]), &source)) &&
              SUCCEEDED(wic->CreateEncoder(container, nullptr, &encoder)) &&
              SUCCEEDED(encoder->Initialize(memory, WICBitmapEncoderNoCache)) &&
              SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
              SUCCEEDED(frame->SetSize(3, 2)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
              SUCCEEDED(frame->WriteSource(source, nullptr)) && SUCCEEDED(frame->Commit()) &&
              SUCCEEDED(encoder->Commit());
    std::vector<uint8_t> bytes;
    ULARGE_INTEGER size{};
    if (ok && SUCCEEDED(IStream_Size(memory, &size)) && SUCCEEDED(IStream_Reset(memory))) {
        bytes.resize(size_t(size.QuadPart));
        if (FAILED(IStream_Read(memory, bytes.data(), ULONG(bytes.size()))))
            bytes.clear();
    }
    for (IUnknown* object : std::initializer_list<IUnknown*>{frame, encoder, source, memory})
        if (object)
            object->Release();
    return bytes;
}

bool WriteBytes(const std::wstring& path, const void* data, size_t size)
{
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    return bool(out.write(static_cast<const char*>(data), std::streamsize(size)));
}

std::wstring TempFolder()
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"tessary-image-test";
    CreateDirectoryW(path.c_str(), nullptr);
    CreateDirectoryW((path + L"\\sub").c_str(), nullptr);
    return path;
}

uint32_t CreateImage(Class_ZkImageD2D* image, const wchar_t* path, uint64_t windowKey = kWindowKey)
{
    const ZkImageCreateInfo record{ZK_FOURCC_IMAGE, sizeof(ZkImageCreateInfo), 0, path, windowKey};
    return image->Create(&record);
}

class Image : public SurfaceTest {
protected:
    void SetUp() override
    {
        SurfaceTest::SetUp();
        folder = TempFolder();
        png = folder + L"\\pic.png";
        const std::vector<uint8_t> bytes = Encode(GUID_ContainerFormatPng);
        ASSERT_TRUE(!bytes.empty() && WriteBytes(png, bytes.data(), bytes.size()));
    }
    void TearDown() override
    {
        for (Class_ZkImageD2D* image : images)
            static_cast<Class_QUOR*>(image)->Release();
        DeleteFileW(png.c_str());
        SurfaceTest::TearDown();
    }
    Class_ZkImageD2D* NewImage()
    {
        images.push_back(new Class_ZkImageD2D);
        return images.back();
    }
    static std::wstring PathOf(Class_ZkImageD2D* image)
    {
        std::wstring path = L"(untouched)";
        static_cast<Class_ZkImage*>(image)->GetFilePath(&path);
        return path;
    }

    std::wstring folder, png;
    std::vector<Class_ZkImageD2D*> images;
};

} // namespace

TEST_F(Image, DecodesTheFirstFrameIntoASurfaceOfItsSizeAndKeepsTheFullPath)
{
    // A relative path is made full; an absolute one stays as written.
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    Class_ZkImageD2D* image = NewImage();
    const uint32_t created = CreateImage(image, L"pic.png");
    SetCurrentDirectoryW(previous);
    ASSERT_EQ(created, ZK_OK);
    EXPECT_EQ(PathOf(image), png);
    const std::wstring unnormalised = folder + L"\\sub\\..\\pic.png";
    Class_ZkImageD2D* absolute = NewImage();
    EXPECT_EQ(CreateImage(absolute, unnormalised.c_str()), ZK_OK);
    EXPECT_EQ(PathOf(absolute), unnormalised) << "the parent segment stays";

    SIZE size{};
    EXPECT_EQ(image->GetSize(&size), ZK_OK);
    EXPECT_EQ(size.cx * 10 + size.cy, 32);
    EXPECT_EQ(ReadPixels(image), kDecoded) << "a half-transparent white pixel is held as 128 in all four channels";
    EXPECT_TRUE(RegionIs(image->updateRegion.handle, {{0, 0, 3, 2}})) << "all of a new image is worth copying";

    // Created once: a second Create changes nothing.
    const std::wstring other = folder + L"\\other.png";
    EXPECT_EQ(CreateImage(image, other.c_str()), ZK_E_ALREADY_CREATED);
    EXPECT_EQ(PathOf(image), png);

    // As the source of a copy the image gives its decoded pixels; as a target it takes a surface's,
    // here opaque blue over the half-transparent white.
    Class_ZkGraphicSurfaceD2D* copy = NewSurface(3, 2);
    Class_ZkGraphicSurfaceD2D* blue = NewSurface(3, 2);
    const POINT origin{0, 0};
    const RECT second{1, 0, 2, 1};
    ASSERT_EQ(image->DrawTo(copy, &origin, nullptr, nullptr), ZK_OK);
    EXPECT_EQ(ReadPixels(copy), kDecoded);
    ASSERT_EQ(blue->FillRect(kOpaqueBlue, &second), ZK_OK);
    ASSERT_EQ(blue->DrawTo(image, &origin, nullptr, nullptr), ZK_OK);
    std::vector<uint32_t> expected = kDecoded;
    expected[1] = kBluePixel;
    EXPECT_EQ(ReadPixels(image), expected);
}

TEST_F(Image, FailuresLeaveTheImageAsConstructedAndARebuildDecodesTheFileAgain)
{
    const std::wstring missing = folder + L"\\missing.png";
    const std::wstring notAnImage = folder + L"\\not-an-image.png";
    ASSERT_TRUE(WriteBytes(notAnImage, "plain text", 10));

    const std::wstring tooLong(1100, L'a'); // relative, and too long once made full
    Class_ZkImageD2D* image = NewImage();
    const std::pair<const wchar_t*, uint64_t> cases[] = {{missing.c_str(), kWindowKey}, {notAnImage.c_str(), kWindowKey},
                                                         {png.c_str(), 0xBAD},           {nullptr, kWindowKey},
                                                         {tooLong.c_str(), kWindowKey}};
    for (const auto& [path, key] : cases) {
        EXPECT_EQ(CreateImage(image, path, key), ZK_FAIL);
        EXPECT_EQ(image->IsCreated(), 0u);
        EXPECT_EQ(PathOf(image), L"(untouched)");
    }
    // Before initialise has made the WIC factory nothing is decoded.
    IWICImagingFactory* const wic = std::exchange(tessary::Context().wicFactory, nullptr);
    EXPECT_EQ(CreateImage(image, png.c_str()), ZK_FAIL);
    tessary::Context().wicFactory = wic;
    DeleteFileW(notAnImage.c_str());

    // Reset returns a created image to the constructed state, and it can be created again.
    ASSERT_EQ(CreateImage(image, png.c_str()), ZK_OK);
    image->ResetData();
    SIZE size{};
    EXPECT_EQ(image->GetSize(&size), ZK_FAIL);
    EXPECT_EQ(PathOf(image), L"(untouched)");
    EXPECT_EQ(image->RecreateDeviceResources(), ZK_FAIL) << "not created";
    ASSERT_EQ(CreateImage(image, png.c_str()), ZK_OK);

    // A device loss decodes the file again.
    ASSERT_EQ(image->FillRect(0xFF000000, nullptr), ZK_OK); // opaque black over everything
    image->EndDrawPass();
    const std::vector<uint32_t> black(6, 0xFF000000);
    ASSERT_EQ(ReadPixels(image), black);
    ID2D1RenderTarget* before = image->ownTarget;
    EXPECT_EQ(image->RecreateDeviceResources(), ZK_OK);
    EXPECT_NE(image->ownTarget, before);
    EXPECT_EQ(ReadPixels(image), kDecoded) << "the rebuild restores the file's pixels, not what was drawn";

    // Under an opacity mask the rebuilt masked copy shows the decoded pixels, not the blank new target.
    RECT whole{0, 0, 3, 2};
    uint8_t* bits = nullptr;
    int32_t width, height, stride;
    ASSERT_EQ(image->LockAlphaMask(&whole, &bits, &width, &height, &stride), ZK_OK);
    bits[0] = 0; // the red pixel masked out
    ASSERT_EQ(image->UnlockAlphaMask(), ZK_OK);
    ASSERT_EQ(image->RecreateDeviceResources(), ZK_OK);
    HRGN seen = image->CreateAlphaRegion(0, nullptr);
    EXPECT_EQ(RegionRects(seen), (std::vector<RECT>{{1, 0, 2, 1}, {0, 1, 3, 2}}));
    DeleteObject(seen);

    // Resized, the rebuild copies as much of the decoded picture as the new size holds, from the top
    // left: the top-left pixel alone at 1 x 1; at 4 x 3 all of it, with transparent pixels beyond.
    for (const SIZE resized : {SIZE{1, 1}, SIZE{4, 3}, SIZE{3, 2}}) {
        ASSERT_EQ(image->Resize(&resized), ZK_OK);
        EXPECT_EQ(image->RecreateDeviceResources(), ZK_OK);
        std::vector<uint32_t> expected(size_t(resized.cx * resized.cy), 0);
        for (int y = 0; y < std::min(2, int(resized.cy)); ++y)
            for (int x = 0; x < std::min(3, int(resized.cx)); ++x)
                expected[size_t(y * resized.cx + x)] = kDecoded[size_t(y * 3 + x)];
        EXPECT_EQ(ReadPixels(image), expected) << resized.cx << " x " << resized.cy;
    }

    // Without its file the rebuild fails and keeps the target it has.
    ASSERT_EQ(image->FillRect(0xFF000000, nullptr), ZK_OK);
    image->EndDrawPass();
    ASSERT_TRUE(DeleteFileW(png.c_str()));
    before = image->ownTarget;
    EXPECT_EQ(image->RecreateDeviceResources(), ZK_FAIL);
    EXPECT_EQ(image->ownTarget, before);
    EXPECT_EQ(ReadPixels(image), black);
}

TEST_F(Image, CorruptFilesOfEveryFormatFailOrDecodeWithoutHarm)
{
    const LONG live = Control().Present() ? Control().liveObjectCount() : 0;
    std::mt19937 rng(11);
    const std::wstring path = folder + L"\\mutated";
    for (const GUID& container : {GUID_ContainerFormatPng, GUID_ContainerFormatBmp, GUID_ContainerFormatGif,
                                  GUID_ContainerFormatJpeg, GUID_ContainerFormatTiff}) {
        const std::vector<uint8_t> file = Encode(container);
        ASSERT_GT(file.size(), 16u);
        for (int round = 0; round < 40; ++round) {
            std::vector<uint8_t> mutated = file;
            if (round % 4 == 0) // truncated, the header included now and then
                mutated.resize(rng() % mutated.size());
            for (int flips = round % 4 * 3; flips > 0; --flips)
                mutated[rng() % mutated.size()] = uint8_t(rng());
            ASSERT_TRUE(WriteBytes(path, mutated.data(), mutated.size()));
            Class_ZkImageD2D* image = NewImage();
            const uint32_t result = CreateImage(image, path.c_str());
            ASSERT_TRUE(result == ZK_OK || result == ZK_FAIL) << result;
            SIZE size{};
            EXPECT_EQ(image->GetSize(&size), result);
            image->ResetData();
        }
    }
    DeleteFileW(path.c_str());
    if (Control().Present()) {
        EXPECT_EQ(Control().liveObjectCount(), live) << "nothing of a failed decode is kept";
    }
}

