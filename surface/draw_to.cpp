// Surface-to-surface drawing: DrawTo, DrawToAlpha and DrawToScaled. The surface called is the source;
// the target is any surface-kind object. A copy is bounded by the source's blit rectangle and update
// box, by the target's blit rectangle, and by the target's clip region, whose rectangles are drawn one
// DrawBitmap each. The target's update region grows by exactly the clipped area. A surface drawn onto
// itself (scrolling within one surface) copies from a snapshot taken before the first piece.
#include "frame/context.h"
#include "surface/clip_blit.h"
#include "surface/region.h"
#include "surface/surface.h"
#include <wrl/client.h>
#include <algorithm>
#include <cfloat>

using Microsoft::WRL::ComPtr;
using namespace tessary;

namespace {

// The target's surface part, with the reference QueryInterface added, released on every path.
class TargetReference {
public:
    ~TargetReference()
    {
        if (surface)
            surface->Release();
    }
    Class_ZkGraphicSurfaceD2D* surface = nullptr;
};

// How a piece of the clipped destination maps back into the source.
struct PieceMapping {
    PixelBox destination; // Di
    PixelBox source;      // Ci
    bool scaled;
};

// What the pieces of one copy are drawn from: a bitmap whose origin lies at (x, y) of the source.
struct Picture {
    ComPtr<ID2D1Bitmap> bitmap; // null: the pieces are skipped
    int64_t x = 0, y = 0;
};

// Copies the part of `own`, the target's own bitmap, that the pieces read (`read` and, for linear
// filtering and the rounding of scaled pieces, three pixels around it) into a scratch bitmap. Direct2D
// refuses a target's own bitmap as a source and loses the rest of the pass, and the pieces would read
// pixels that earlier pieces of the same copy had already changed.
Picture Snapshot(ID2D1RenderTarget* target, ID2D1Bitmap* own, const PixelBox& read)
{
    constexpr int64_t kMargin = 3;
    const D2D1_SIZE_U size = own->GetPixelSize();
    const int64_t left = std::clamp(int64_t(read.x) - kMargin, int64_t(0), int64_t(size.width));
    const int64_t top = std::clamp(int64_t(read.y) - kMargin, int64_t(0), int64_t(size.height));
    const int64_t right = std::clamp(int64_t(read.x) + read.width + kMargin, left, int64_t(size.width));
    const int64_t bottom = std::clamp(int64_t(read.y) + read.height + kMargin, top, int64_t(size.height));
    if (right == left || bottom == top)
        return {};
    D2D1_BITMAP_PROPERTIES properties{own->GetPixelFormat(), 0.0f, 0.0f};
    own->GetDpi(&properties.dpiX, &properties.dpiY);
    ComPtr<ID2D1Bitmap> scratch;
    const D2D1_SIZE_U scratchSize{UINT32(right - left), UINT32(bottom - top)};
    const D2D1_RECT_U from{UINT32(left), UINT32(top), UINT32(right), UINT32(bottom)};
    const D2D1_POINT_2U origin{0, 0};
    if (FAILED(target->CreateBitmap(scratchSize, nullptr, 0, &properties, scratch.GetAddressOf())) || !scratch ||
        FAILED(scratch->CopyFromBitmap(&origin, own, &from)))
        return {};
    return Picture{scratch, left, top};
}

// The source's finished picture (the masked copy while it is current), with its pass ended so that its
// bitmap holds everything drawn so far and any pending GDI+ pixels; a snapshot of it when it is the
// target's own.
Picture PictureOf(Class_ZkGraphicSurfaceD2D& source, Class_ZkGraphicSurfaceD2D& target, const PixelBox& read)
{
    source.EndDrawPass();
    ID2D1RenderTarget* picture = source.published && source.maskedCopy ? source.maskedCopy : source.ownTarget;
    ComPtr<ID2D1BitmapRenderTarget> bitmapTarget;
    if (!picture || FAILED(picture->QueryInterface(bitmapTarget.GetAddressOf())) || !bitmapTarget)
        return {};
    ComPtr<ID2D1Bitmap> bitmap;
    bitmapTarget->GetBitmap(bitmap.GetAddressOf());
    if (!bitmap)
        return {};
    if (picture == target.ownTarget)
        return Snapshot(target.ownTarget, bitmap.Get(), read);
    return Picture{bitmap, 0, 0};
}

// One piece, from `s` of the source stretched or copied onto `d` in the target's open pass.
void DrawPiece(const Picture& picture, Class_ZkGraphicSurfaceD2D& target, const PixelBox& d, const PixelBox& s,
               float opacity)
{
    if (!picture.bitmap)
        return;
    target.BeginDrawPass();
    const float x = float(int64_t(s.x) - picture.x), y = float(int64_t(s.y) - picture.y);
    const D2D1_RECT_F destination{float(d.x), float(d.y), float(d.x) + float(d.width), float(d.y) + float(d.height)};
    const D2D1_RECT_F from{x, y, x + float(s.width), y + float(s.height)};
    target.ownTarget->DrawBitmap(picture.bitmap.Get(), destination, opacity, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR,
                                 &from);
}

// Draws one rectangle of the clipped destination from the part of the source it maps back to.
void DrawMappedPiece(Class_ZkGraphicSurfaceD2D& target, const Picture& picture, const PieceMapping& map,
                     float opacity, const RECT& r)
{
    const PixelBox& di = map.destination;
    const PixelBox& ci = map.source;
    const PixelBox d{r.left, r.top, r.right - r.left, r.bottom - r.top};
    PixelBox s;
    if (map.scaled) {
        const float fx = float(ci.width) / float(di.width);
        const float fy = float(ci.height) / float(di.height);
        s = PixelBox{TruncateToI32(std::floor(float(ci.x) + float(r.left - di.x) * fx)),
                     TruncateToI32(std::floor(float(ci.y) + float(r.top - di.y) * fy)),
                     TruncateToI32(std::ceil(float(d.width) * fx)), TruncateToI32(std::ceil(float(d.height) * fy))};
    } else {
        s = PixelBox{r.left + (ci.x - di.x), r.top + (ci.y - di.y), d.width, d.height};
    }
    DrawPiece(picture, target, d, s, opacity);
}

struct CopyRequest {
    const POINT* destination;
    const RECT* source; // null: the source's blit rectangle
    float opacity;
    bool scaled;
    double scaleX, scaleY;
};

// The frame the three operations share: reach the target, check both ends, clip, draw the pieces,
// grow the target's update region and report the destination area.
uint32_t Composite(Class_ZkGraphicSurfaceD2D& source, Class_ZkGraphicSurface* targetInterface,
                   const CopyRequest& request, RECT* drawn)
{
    if (!targetInterface || !request.destination)
        return ZK_FAIL;
    TargetReference target;
    void* part = nullptr;
    if (const uint32_t status = targetInterface->QueryInterface(ZK_FOURCC_SURFACE_IMPL, &part))
        return status;
    target.surface = static_cast<Class_ZkGraphicSurfaceD2D*>(part);
    if (drawn)
        SetRectEmpty(drawn);
    if (!target.surface || !source.createdFlag || !target.surface->createdFlag)
        return ZK_FAIL;

    GraphicsLockGuard lock;
    Class_ZkGraphicSurfaceD2D& to = *target.surface;
    if (!source.ownTarget || !to.ownTarget)
        return ZK_FAIL;

    const RectF requested =
        request.source ? RectF{float(request.source->left), float(request.source->top),
                               float(int64_t(request.source->right) - request.source->left),
                               float(int64_t(request.source->bottom) - request.source->top)}
                       : source.bltRect;
    const float pointX = float(request.destination->x), pointY = float(request.destination->y);
    BlitRects clipped;
    PieceMapping map{};
    if (request.scaled) {
        clipped = ClipScaledBlit(pointX, pointY, requested, source.updateBox, to.bltRect, source.bltRect,
                                 request.scaleX, request.scaleY);
    } else {
        const LimitedCopy limited = LimitByUpdateBox(pointX, pointY, requested, source.updateBox);
        clipped = ClipBlit(limited.pointX, limited.pointY, limited.source, to.bltRect, source.bltRect);
    }
    const RectF& d = clipped.destination;
    if (d.width > FLT_EPSILON && d.height > FLT_EPSILON) {
        map.destination = PixelBoxOf(d);
        map.source = request.scaled ? UnscaledSourceBox(clipped.source, request.scaleX, request.scaleY)
                                    : PixelBoxOf(clipped.source);
        map.scaled = request.scaled;
        // Each rectangle of the clip region is drawn in GDI's order, all from the picture taken at the
        // first (a copy the clip region misses touches neither surface). The update region grows even
        // where no bitmap could be drawn: the area is what the host asked to change.
        bool anyPiece = false;
        Picture picture;
        ForEachClippedRect(
            ClipShape{to.clipRegion.handle, to.clipKind, to.clipBox}, PixelRect(d),
            [&](const RECT& piece) {
                if (!anyPiece)
                    picture = PictureOf(source, to, map.source);
                DrawMappedPiece(to, picture, map, request.opacity, piece);
                anyPiece = true;
            },
            [&](const auto& area) {
                to.published = 0;
                if (anyPiece)
                    to.modified = 1;
                to.AddToUpdateRegion(area);
            });
    }
    if (drawn)
        *drawn = PixelRect(d);
    return ZK_OK;
}

} // namespace

uint32_t Class_ZkGraphicSurfaceD2D::DrawTo(Class_ZkGraphicSurface* target, const POINT* destination,
                                           const RECT* source, RECT* drawn)
{
    return Composite(*this, target, CopyRequest{destination, source, float(opacity) / 255.0f, false, 1.0, 1.0},
                     drawn);
}

uint32_t Class_ZkGraphicSurfaceD2D::DrawToAlpha(uint8_t alpha, Class_ZkGraphicSurface* target,
                                                const POINT* destination, const RECT* source, RECT* drawn)
{
    const float combined = float(uint32_t(opacity) * alpha) / 65025.0f;
    return Composite(*this, target, CopyRequest{destination, source, combined, false, 1.0, 1.0}, drawn);
}

uint32_t Class_ZkGraphicSurfaceD2D::DrawToScaled(Class_ZkGraphicSurface* target, const POINT* destination,
                                                 double scaleX, double scaleY, const RECT* source, RECT* drawn)
{
    return Composite(*this, target,
                     CopyRequest{destination, source, float(opacity) / 255.0f, true, scaleX, scaleY}, drawn);
}
