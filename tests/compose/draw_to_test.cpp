// DrawTo, DrawToAlpha and DrawToScaled: pixels read back from the target and compared with the
// source's own pixels, the target's update region, flags and DrawBitmap calls, and refusals.
#include "compose_support.h"
#include <optional>

using namespace compose_test;
using namespace surface_test;

namespace {

uint64_t DrawBitmapCalls() { return Control().Counters().drawBitmap; }

} // namespace

class DrawTo : public SurfaceTest {};

TEST_F(DrawTo, CopiesAreClippedByTheTargetAndTheSourceOffset)
{
    Class_ZkGraphicSurfaceD2D* source = NewSurface(100, 100);
    PaintBlocks(source, 100, 100);
    const std::vector<uint32_t> sourcePixels = ReadPixels(source);
    ASSERT_EQ(At(sourcePixels, 100, 15, 25), 0xFF193200u) << "block (1, 2): red 25, green 50";

    // Onto 50 x 50: at (30, 30) the target's corner gets the source's top-left corner; at (-10, -10) the
    // whole target, from source offset 10; (20, 40, 60, 50) to (5, 5) within a blit rectangle (0, 0, 30, 40).
    const struct {
        POINT at;
        std::optional<RECT> part, bounds;
        RECT drawn;
    } cases[] = {{{30, 30}, {}, {}, {30, 30, 50, 50}},
                 {{-10, -10}, {}, {}, {0, 0, 50, 50}},
                 {{5, 5}, RECT{20, 40, 60, 50}, RECT{0, 0, 30, 40}, {5, 5, 30, 15}}};
    for (const auto& c : cases) {
        Class_ZkGraphicSurfaceD2D* target = NewSurface(50, 50);
        if (c.bounds) {
            ASSERT_EQ(target->SetBltRect(&*c.bounds), ZK_OK);
        }
        ForgetUpdates(target);
        target->published = 1;
        const uint64_t before = DrawBitmapCalls();
        RECT drawn{};
        EXPECT_EQ(source->DrawTo(target, &c.at, c.part ? &*c.part : nullptr, &drawn), ZK_OK);
        EXPECT_EQ(drawn, c.drawn);
        EXPECT_TRUE(RegionIs(target->updateRegion.handle, {c.drawn}));
        EXPECT_EQ(FlagsOf(target), (Flags{1, 0, 1})) << "the target's pass stays open";
        EXPECT_EQ(DrawBitmapCalls() - before, CountedCalls(1));
        const int dx = c.at.x - (c.part ? c.part->left : 0), dy = c.at.y - (c.part ? c.part->top : 0);
        EXPECT_TRUE(CopiedInto(ReadPixels(target), 50, sourcePixels, 100, dx, dy, {c.drawn}, 0));
    }
}

TEST_F(DrawTo, OnlyWhatTheSourceHoldsWithinItsBlitRectangleIsCopied)
{
    Class_ZkGraphicSurfaceD2D* source = NewSurface(20, 20);
    PaintBlocks(source, 20, 20);
    const std::vector<uint32_t> sourcePixels = ReadPixels(source);

    // The source's blit rectangle (5, 5, 15, 15) bounds a copy without a source rectangle.
    const RECT blit{5, 5, 15, 15};
    ASSERT_EQ(source->SetBltRect(&blit), ZK_OK);
    Class_ZkGraphicSurfaceD2D* target = NewSurface(30, 30);
    const POINT origin{0, 0};
    RECT drawn{};
    EXPECT_EQ(source->DrawTo(target, &origin, nullptr, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{0, 0, 10, 10}));
    EXPECT_TRUE(CopiedInto(ReadPixels(target), 30, sourcePixels, 20, -5, -5, {{0, 0, 10, 10}}, 0));
    ASSERT_EQ(source->SetBltRect(nullptr), ZK_OK);

    // After a clear (update-on-clear off) only what is drawn again counts: the update box (10, 10, 5, 5)
    // moves the copy to (10, 10).
    ASSERT_EQ(source->ClearRect(nullptr, 0), ZK_OK);
    const RECT spot{10, 10, 15, 15};
    ASSERT_EQ(source->FillRect(kOpaqueRed, &spot), ZK_OK);
    Class_ZkGraphicSurfaceD2D* fresh = NewSurface(30, 30);
    ForgetUpdates(fresh);
    EXPECT_EQ(source->DrawTo(fresh, &origin, nullptr, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{10, 10, 15, 15}));
    EXPECT_TRUE(RegionIs(fresh->updateRegion.handle, {{10, 10, 15, 15}}));
    const std::vector<uint32_t> spotPixels = ReadPixels(fresh);
    EXPECT_EQ(At(spotPixels, 30, 12, 12), kRedPixel);
    EXPECT_EQ(At(spotPixels, 30, 9, 9), 0u);

    // An empty update region copies nothing: the out rectangle is empty at the point, the target untouched.
    ASSERT_EQ(source->ClearRect(nullptr, 0), ZK_OK);
    Class_ZkGraphicSurfaceD2D* untouched = NewSurface(50, 50);
    ForgetUpdates(untouched);
    untouched->published = 1;
    const uint64_t before = DrawBitmapCalls();
    const POINT at{30, 30};
    EXPECT_EQ(source->DrawTo(untouched, &at, nullptr, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{30, 30, 30, 30}));
    EXPECT_TRUE(RegionIs(untouched->updateRegion.handle, {}));
    EXPECT_EQ(FlagsOf(untouched), (Flags{0, 1, 0}));
    EXPECT_EQ(DrawBitmapCalls(), before);
}

TEST_F(DrawTo, TheTargetClipRegionIsDrawnPieceByPiece)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkGraphicSurfaceD2D* target = NewSurface(50, 50);
    ASSERT_EQ(target->ClearRect(nullptr, 0), ZK_OK);
    PaintBlocks(NewSurface(20, 20), 20, 20); // the blocks' brushes are cached before counting
    const LONG live = Control().liveObjectCount();
    Class_ZkGraphicSurfaceD2D* source = NewSurface(20, 20);
    PaintBlocks(source, 20, 20);
    const std::vector<uint32_t> sourcePixels = ReadPixels(source);

    // Two disjoint clip rectangles, both crossed by the copy to (5, 5): two DrawBitmap calls.
    HostRegion clip({{0, 0, 10, 50}, {20, 0, 30, 50}});
    target->SetClipRegion(&clip.region);
    ForgetUpdates(target);
    const uint64_t before = DrawBitmapCalls();
    const POINT at{5, 5};
    RECT drawn{};
    EXPECT_EQ(source->DrawTo(target, &at, nullptr, &drawn), ZK_OK);
    EXPECT_EQ(DrawBitmapCalls(), before + 2);
    EXPECT_EQ(drawn, (RECT{5, 5, 25, 25})) << "the out rectangle reports the whole destination area";
    EXPECT_TRUE(RegionIs(target->updateRegion.handle, {{5, 5, 10, 25}, {20, 5, 25, 25}}));
    // The second piece takes its pixels from source column 15 on.
    EXPECT_TRUE(CopiedInto(ReadPixels(target), 50, sourcePixels, 20, 5, 5, {{5, 5, 10, 25}, {20, 5, 25, 25}}, 0));

    // A clip region the copy misses: nothing drawn, not modified, the out rectangle still reports D.
    HostRegion distant({{40, 40, 50, 50}});
    target->SetClipRegion(&distant.region);
    ForgetUpdates(target);
    target->published = 1;
    const uint64_t beforeMiss = DrawBitmapCalls();
    EXPECT_EQ(source->DrawTo(target, &at, nullptr, &drawn), ZK_OK);
    EXPECT_EQ(DrawBitmapCalls(), beforeMiss);
    EXPECT_EQ(FlagsOf(target), (Flags{0, 0, 0})) << "a copy that reached the clipping still retires the masked copy";
    EXPECT_EQ(drawn, (RECT{5, 5, 25, 25}));
    EXPECT_TRUE(RegionIs(target->updateRegion.handle, {}));

    // Each piece takes the source's bitmap and bitmap-target interface and gives both back, as does a
    // region read through GDI interop: once the source is reset nothing of it is left.
    target->SetClipRegion(&clip.region);
    ASSERT_EQ(source->DrawToAlpha(100, target, &at, nullptr, nullptr), ZK_OK);
    ASSERT_EQ(source->DrawToScaled(target, &at, 1.5, 1.5, nullptr, nullptr), ZK_OK);
    DeleteObject(source->CreateAlphaRegion(0, nullptr));
    ASSERT_EQ(source->ResetData(), ZK_OK);
    EXPECT_EQ(Control().liveObjectCount(), live);
}

TEST_F(DrawTo, AlphaScalesTheSourceOpacity)
{
    Class_ZkGraphicSurfaceD2D* source = NewSurface(10, 10);
    ASSERT_EQ(source->FillRect(kOpaqueRed, nullptr), ZK_OK);
    Class_ZkGraphicSurfaceD2D* target = NewSurface(10, 10);
    ASSERT_EQ(target->FillRect(kOpaqueBlue, nullptr), ZK_OK);
    const POINT origin{0, 0};
    RECT drawn{};

    // Alpha 0 changes no pixel, but the area is still counted as drawn.
    ForgetUpdates(target);
    EXPECT_EQ(source->DrawToAlpha(0, target, &origin, nullptr, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{0, 0, 10, 10}));
    EXPECT_TRUE(RegionIs(target->updateRegion.handle, {{0, 0, 10, 10}}));
    EXPECT_EQ(target->modified, 1u);
    EXPECT_TRUE(PixelsAre(ReadPixels(target), 10, 10, kBluePixel));

    // Alpha 128 is opacity 0.50196: red 128 over blue, whose 255 keeps 127/255 of itself.
    EXPECT_EQ(source->DrawToAlpha(128, target, &origin, nullptr, &drawn), ZK_OK);
    EXPECT_TRUE(PixelsAre(ReadPixels(target), 10, 10, 0, {{{0, 0, 10, 10}, 0xFF80007Fu, 1}}));

    // Alpha 255 is plain DrawTo.
    EXPECT_EQ(source->DrawToAlpha(255, target, &origin, nullptr, &drawn), ZK_OK);
    EXPECT_TRUE(PixelsAre(ReadPixels(target), 10, 10, kRedPixel));

    // Onto transparent pixels, alpha 64 leaves a quarter-strength premultiplied red.
    Class_ZkGraphicSurfaceD2D* clear = NewSurface(10, 10);
    ASSERT_EQ(clear->ClearRect(nullptr, 0), ZK_OK);
    EXPECT_EQ(source->DrawToAlpha(64, clear, &origin, nullptr, &drawn), ZK_OK);
    EXPECT_TRUE(PixelsAre(ReadPixels(clear), 10, 10, 0, {{{0, 0, 10, 10}, 0x40400000u, 1}}));
}

TEST_F(DrawTo, ScaledCopiesStretchTheSource)
{
    // Columns 0-2 red, 3-9 blue.
    Class_ZkGraphicSurfaceD2D* source = NewSurface(10, 10);
    const RECT red{0, 0, 3, 10}, blue{3, 0, 10, 10};
    ASSERT_EQ(source->FillRect(kOpaqueRed, &red), ZK_OK);
    ASSERT_EQ(source->FillRect(kOpaqueBlue, &blue), ZK_OK);
    Class_ZkGraphicSurfaceD2D* target = NewSurface(100, 100);
    ASSERT_EQ(target->ClearRect(nullptr, 0), ZK_OK);
    ForgetUpdates(target);

    // 2x at (0, 0): 20 x 20 in one DrawBitmap. Target column x samples source column (x + 0.5) / 2,
    // so columns 0-4 see only red, 5 and 6 a quarter and three quarters of blue, 7-19 only blue (the
    // edge is clamped), and nothing lies beyond.
    const uint64_t before = DrawBitmapCalls();
    const POINT origin{0, 0};
    RECT drawn{};
    EXPECT_EQ(source->DrawToScaled(target, &origin, 2.0, 2.0, nullptr, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{0, 0, 20, 20}));
    EXPECT_TRUE(RegionIs(target->updateRegion.handle, {{0, 0, 20, 20}}));
    EXPECT_EQ(DrawBitmapCalls() - before, CountedCalls(1));

    // Source columns 5-9 at 2x to (40, 0) fill 10 x 20, from blue pixels only.
    const RECT part{5, 0, 10, 10};
    const POINT at{40, 0};
    EXPECT_EQ(source->DrawToScaled(target, &at, 2.0, 2.0, &part, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{40, 0, 50, 20}));
    EXPECT_TRUE(PixelsAre(ReadPixels(target), 100, 100, 0,
                          {{{0, 0, 5, 20}, kRedPixel}, {{5, 0, 6, 20}, 0xFFBF0040u, 1}, {{6, 0, 7, 20}, 0xFF4000BFu, 1},
                           {{7, 0, 20, 20}, kBluePixel}, {{40, 0, 50, 20}, kBluePixel}}));

    // 2x across and 3x down through a clip region of two columns: each piece maps back to its own part
    // of the blocks, so swapped factors or a piece mapped from the source's origin show other blocks.
    Class_ZkGraphicSurfaceD2D* blocks = NewSurface(20, 20);
    PaintBlocks(blocks, 20, 20);
    Class_ZkGraphicSurfaceD2D* pieces = NewSurface(50, 70);
    ASSERT_EQ(pieces->ClearRect(nullptr, 0), ZK_OK);
    HostRegion columns({{0, 0, 15, 70}, {25, 0, 50, 70}});
    pieces->SetClipRegion(&columns.region);
    ForgetUpdates(pieces);
    EXPECT_EQ(blocks->DrawToScaled(pieces, &origin, 2.0, 3.0, nullptr, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{0, 0, 40, 60}));
    EXPECT_TRUE(RegionIs(pieces->updateRegion.handle, {{0, 0, 15, 60}, {25, 0, 40, 60}}));
    const std::vector<uint32_t> pixels = ReadPixels(pieces);
    const struct {
        int x, y;
        uint32_t expected;
    } probes[] = {{5, 10, BlockPixel(2, 3)},   {27, 10, BlockPixel(13, 3)}, {35, 45, BlockPixel(17, 15)},
                  {5, 45, BlockPixel(2, 15)},  {39, 59, BlockPixel(19, 19)}, {20, 10, 0},
                  {45, 10, 0},                 {5, 65, 0}};
    for (const auto& probe : probes)
        EXPECT_EQ(At(pixels, 50, probe.x, probe.y), probe.expected) << probe.x << ',' << probe.y;

    // Scale 0: no width, nothing drawn, success with an empty out rectangle at the point.
    ForgetUpdates(target);
    const uint64_t beforeZero = DrawBitmapCalls();
    const POINT four{4, 4};
    EXPECT_EQ(source->DrawToScaled(target, &four, 0.0, 0.0, nullptr, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{4, 4, 4, 4}));
    EXPECT_EQ(DrawBitmapCalls(), beforeZero);
    EXPECT_EQ(target->modified, 0u);
    // A negative scale leaves a negative width: all zeros.
    EXPECT_EQ(source->DrawToScaled(target, &four, -1.0, 1.0, nullptr, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{0, 0, 0, 0}));
    EXPECT_EQ(DrawBitmapCalls(), beforeZero);
}

TEST_F(DrawTo, ASurfaceDrawnOntoItselfGetsACopyOfItsPixelsAtTheCall)
{
    // Three bands of 20 x 10, the left half drawn onto itself at (5, 0), then a fill in the same pass:
    // Direct2D would refuse the surface's own bitmap as the source and lose the rest of the pass.
    Class_ZkGraphicSurfaceD2D* bands = NewSurface(20, 10);
    const RECT red{0, 0, 7, 10}, green{7, 0, 14, 10}, blue{14, 0, 20, 10}, half{0, 0, 10, 10}, corner{0, 0, 1, 1};
    ASSERT_TRUE(bands->FillRect(kOpaqueRed, &red) == ZK_OK && bands->FillRect(kOpaqueGreen, &green) == ZK_OK &&
                bands->FillRect(kOpaqueBlue, &blue) == ZK_OK);
    const POINT five{5, 0};
    RECT drawn{};
    EXPECT_EQ(bands->DrawTo(bands, &five, &half, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{5, 0, 15, 10}));
    ASSERT_EQ(bands->FillRect(kOpaqueBlue, &corner), ZK_OK);
    EXPECT_TRUE(PixelsAre(ReadPixels(bands), 20, 10, 0,
                          {{{0, 0, 12, 10}, kRedPixel}, {{12, 0, 15, 10}, 0xFF00FF00u}, {{15, 0, 20, 10}, kBluePixel},
                           {corner, kBluePixel}}));

    // A list scrolled down by 4 inside its surface, through a clip region of two pieces: the second piece
    // reads rows the first has just written, and still gets the pixels from before the call.
    Class_ZkGraphicSurfaceD2D* list = NewSurface(20, 20);
    PaintBlocks(list, 20, 20);
    std::vector<uint32_t> expected = ReadPixels(list);
    const std::vector<uint32_t> before = expected;
    for (const RECT& piece : {RECT{0, 4, 20, 10}, RECT{0, 10, 15, 20}})
        for (int y = piece.top; y < piece.bottom; ++y)
            for (int x = piece.left; x < piece.right; ++x)
                expected[size_t(y * 20 + x)] = At(before, 20, x, y - 4);
    HostRegion pieces({{0, 0, 20, 10}, {0, 10, 15, 20}});
    list->SetClipRegion(&pieces.region);
    const LONG live = Control().Present() ? Control().liveObjectCount() : 0;
    const POINT down{0, 4};
    const RECT top{0, 0, 20, 16};
    EXPECT_EQ(list->DrawTo(list, &down, &top, nullptr), ZK_OK);
    EXPECT_TRUE(tessary_test::PixelsMatch(ReadPixels(list), expected, 20));
    if (Control().Present()) {
        EXPECT_EQ(Control().liveObjectCount(), live) << "the snapshot goes with the call";
    }

    // With opacity and scaled: what the same call gives onto a twin of the surface.
    for (const bool scaled : {false, true}) {
        Class_ZkGraphicSurfaceD2D* self = NewSurface(20, 20);
        Class_ZkGraphicSurfaceD2D* source = NewSurface(20, 20);
        Class_ZkGraphicSurfaceD2D* twin = NewSurface(20, 20);
        for (Class_ZkGraphicSurfaceD2D* s : {self, source, twin})
            PaintBlocks(s, 20, 20);
        const RECT part{2, 3, 12, 13};
        const POINT at{5, 4};
        if (scaled) {
            EXPECT_EQ(self->DrawToScaled(self, &at, 1.5, 0.75, &part, nullptr), ZK_OK);
            EXPECT_EQ(source->DrawToScaled(twin, &at, 1.5, 0.75, &part, nullptr), ZK_OK);
        } else {
            EXPECT_EQ(self->DrawToAlpha(160, self, &at, &part, nullptr), ZK_OK);
            EXPECT_EQ(source->DrawToAlpha(160, twin, &at, &part, nullptr), ZK_OK);
        }
        const std::vector<uint32_t> onto = ReadPixels(twin);
        EXPECT_NE(onto, ReadPixels(source)) << "the call changed the twin";
        EXPECT_TRUE(tessary_test::PixelsMatch(ReadPixels(self), onto, 20)) << (scaled ? "scaled" : "alpha");
    }
}

TEST_F(DrawTo, RefusalsLeaveEverythingAsItWasAndAnUnavailableSourceBitmapSkipsThePiece)
{
    Class_ZkGraphicSurfaceD2D* source = NewSurface(10, 10);
    Class_ZkGraphicSurfaceD2D* target = NewSurface(10, 10);
    const POINT origin{0, 0};
    const uint32_t references = target->GetRefCount();

    // A target without a Tessary surface part: QueryInterface's status, the out rectangle untouched.
    auto* foreign = new ForeignSurface;
    RECT drawn{1, 2, 3, 4};
    EXPECT_EQ(source->DrawTo(foreign, &origin, nullptr, &drawn), QUOR_E_NOINTERFACE);
    EXPECT_EQ(source->DrawToAlpha(9, foreign, &origin, nullptr, &drawn), QUOR_E_NOINTERFACE);
    EXPECT_EQ(source->DrawToScaled(foreign, &origin, 1.0, 1.0, nullptr, &drawn), QUOR_E_NOINTERFACE);
    EXPECT_EQ(drawn, (RECT{1, 2, 3, 4}));
    foreign->Release();

    // Source or target not created: 0xFFFFFFFF, the out rectangle emptied, the target's reference given back.
    Class_ZkGraphicSurfaceD2D* uncreated = NewUncreatedSurface();
    EXPECT_EQ(uncreated->DrawTo(target, &origin, nullptr, &drawn), ZK_FAIL);
    EXPECT_EQ(drawn, (RECT{0, 0, 0, 0}));
    EXPECT_EQ(target->GetRefCount(), references);
    // The codes of every kind of copy with either side not created are the failure sweep's.

    // A missing target or destination point is refused outright.
    EXPECT_EQ(source->DrawTo(nullptr, &origin, nullptr, nullptr), ZK_FAIL);
    EXPECT_EQ(source->DrawTo(target, nullptr, nullptr, nullptr), ZK_FAIL);
    EXPECT_EQ(target->GetRefCount(), references);

    // A piece whose source bitmap is unavailable is skipped silently, its area still counted: simulated
    // by a source whose own target is not a bitmap render target (the window target here).
    ASSERT_EQ(source->FillRect(kOpaqueRed, nullptr), ZK_OK);
    source->EndDrawPass();
    ASSERT_EQ(target->ClearRect(nullptr, 0), ZK_OK);
    ForgetUpdates(target);
    ID2D1RenderTarget* own = source->ownTarget;
    windowTarget->QueryInterface(&source->ownTarget);
    EXPECT_EQ(source->DrawTo(target, &origin, nullptr, nullptr), ZK_OK);
    source->ownTarget->Release();
    source->ownTarget = own;
    EXPECT_EQ(target->modified, 1u) << "there was a piece, even if it could not be drawn";
    EXPECT_TRUE(RegionIs(target->updateRegion.handle, {{0, 0, 10, 10}}));
    EXPECT_TRUE(PixelsAre(ReadPixels(target), 10, 10, 0));
}

