// Class_ZkImageD2D: creation from a file, reset, the stored path, and the rebuild after device loss,
// which decodes the file again rather than keeping a copy of its pixels.
#include "image/image.h"
#include "component/create_record.h"
#include "frame/context.h"
#include "image/decode.h"
#include "image/host_string.h"
#include <shlwapi.h>
#include <algorithm>

using namespace tessary;

namespace {

// Copies the decoded picture into the own target of `surface`, from the top left, as much of it as fits:
// after a Resize the target may be smaller than the picture. The source rectangle is given and lies
// inside both bitmaps, since Direct2D clips it against the destination only and faults past the source.
bool CopyIntoOwnTarget(Class_ZkGraphicSurfaceD2D& surface, ID2D1Bitmap* decoded)
{
    ID2D1BitmapRenderTarget* bitmapTarget = nullptr;
    surface.ownTarget->QueryInterface(__uuidof(ID2D1BitmapRenderTarget), reinterpret_cast<void**>(&bitmapTarget));
    if (!bitmapTarget)
        return false;
    ID2D1Bitmap* own = nullptr;
    bitmapTarget->GetBitmap(&own);
    if (own) {
        const D2D1_SIZE_U from = decoded->GetPixelSize(), to = own->GetPixelSize();
        const D2D1_RECT_U fits{0, 0, std::min(from.width, to.width), std::min(from.height, to.height)};
        const D2D1_POINT_2U origin{0, 0};
        if (fits.right > 0 && fits.bottom > 0)
            own->CopyFromBitmap(&origin, decoded, &fits);
        own->Release();
    }
    bitmapTarget->Release();
    return own != nullptr;
}

// A relative path becomes a full one; an absolute path is kept exactly as written.
bool FullPath(const wchar_t* path, std::wstring& full)
{
    if (!PathIsRelativeW(path)) {
        full = path;
        return true;
    }
    wchar_t buffer[1024];
    const DWORD length = GetFullPathNameW(path, 1024, buffer, nullptr);
    if (length == 0 || length >= 1024)
        return false; // the buffer was left unwritten
    full.assign(buffer, length);
    return true;
}

} // namespace

Class_ZkImageD2D::Class_ZkImageD2D() { SetCoreData(this, sizeof(*this), ZK_FOURCC_IMAGE_IMPL); }

Class_ZkImageD2D::~Class_ZkImageD2D() = default;

uint32_t Class_ZkImageD2D::GetFilePath(std::wstring* path)
{
    if (!createdFlag || !path)
        return ZK_FAIL;
    return tessary::AssignHostString(path, filePath) ? ZK_OK : ZK_FAIL;
}

uint32_t Class_ZkImageD2D::Create(const void* record)
{
    const uint32_t check = CheckCreateRecord(createdFlag, record, ZK_FOURCC_IMAGE, sizeof(ZkImageCreateInfo),
                                             SurfaceCreateCodes);
    if (check != ZK_OK)
        return check;
    try {
        const auto* info = static_cast<const ZkImageCreateInfo*>(record);
        std::wstring full;
        if (!info->path || !FullPath(info->path, full))
            return ZK_FAIL;

        GraphicsLockGuard lock;
        IWICFormatConverter* converter = DecodeFirstFrame(full.c_str());
        ID2D1Bitmap* decoded = UploadToWindowDevice(converter, info->windowKey);
        bool created = false;
        if (decoded) {
            const D2D1_SIZE_F size = decoded->GetSize();
            const ZkSurfaceCreateInfo surfaceInfo{ZK_FOURCC_SURFACE, sizeof(ZkSurfaceCreateInfo), 0,
                                                  static_cast<uint32_t>(size.width),
                                                  static_cast<uint32_t>(size.height), info->windowKey};
            created = CreateSurface(&surfaceInfo) == ZK_OK;
            if (created)
                CopyIntoOwnTarget(*this, decoded);
            decoded->Release();
        }
        if (converter)
            converter->Release();
        if (!created || !ownTarget) {
            ResetSurface();
            return ZK_FAIL;
        }
        filePath = std::move(full);
        createdFlag = 1;
        return ZK_OK;
    } catch (...) {
        ResetSurface();
        return ZK_FAIL;
    }
}

uint32_t Class_ZkImageD2D::ResetData()
{
    filePath.clear();
    return ResetSurface();
}

uint32_t Class_ZkImageD2D::RecreateDeviceResources()
{
    if (!createdFlag)
        return ZK_FAIL;
    GraphicsLockGuard lock;
    EndDrawPass();
    IWICFormatConverter* converter = DecodeFirstFrame(filePath.c_str());
    if (!converter)
        return ZK_FAIL;
    ID2D1Bitmap* decoded = UploadToWindowDevice(converter, windowKey);
    bool ok = false;
    if (decoded && Class_ZkGraphicSurfaceD2D::RecreateDeviceResources() == ZK_OK)
        ok = CopyIntoOwnTarget(*this, decoded);
    // The surface's rebuild published the blank target; the masked copy must show the decoded pixels.
    if (ok)
        PublishSurface();
    if (decoded)
        decoded->Release();
    converter->Release();
    return ok ? ZK_OK : ZK_FAIL;
}
