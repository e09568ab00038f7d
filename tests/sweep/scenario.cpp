#include "sweep/scenario.h"
#include "support/target_pixels.h"
#include <gdiplus.h>
#include <algorithm>
#include <array>
#include <cstdio>

using tessary_test::DeleteRegion;
using tessary_test::NewRegion;
using tessary_test::SoftD2D;

namespace sweep {

namespace {

// Colours as the host passes them, 0xAABBGGRR.
constexpr uint32_t kTeal = 0xFF808000, kOrange = 0x803A8AF0, kRed = 0xFF0000FF, kDark = 0xFF202020,
                   kInk = 0xFF101010;

// The status codes an operation may return in the object's state, the one of success first.
using Codes = std::vector<uint32_t>;

// Whether an object can draw: it is created and has an own target.
enum Can { kCannot, kCan, kUnknown /* a rebuild that failed somewhere may or may not have made its target */ };
Codes MayFail(Can can) { return can == kCannot ? Codes{ZK_FAIL} : Codes{ZK_OK, ZK_FAIL}; }
Codes Succeeds(Can can) { return can == kCan ? Codes{ZK_OK} : can == kCannot ? Codes{ZK_FAIL} : Codes{ZK_OK, ZK_FAIL}; }
Can Both(Can a, Can b) { return a == kCannot || b == kCannot ? kCannot : a == kCan && b == kCan ? kCan : kUnknown; }

// One object as the host sees it, and what the library's answers so far say of it.
struct Object {
    Class_ZkGraphicSurface* surface = nullptr; // holds the object's one reference
    Class_ZkWindow* window = nullptr;          // windows: the same object's window interface
    bool created = false;
    Can target = kCannot; // an own target
    Can Draws() const { return created ? target : kCannot; }
    CREATESTRUCTW block{}; // windows: the creation block, which must outlive Create
};

class Scenario {
public:
    Scenario(const tessary_test::TessaryModule& tessary, const HostSetting& host, Injection injection,
             unsigned readBack)
        : t_(tessary), host_(host), clean_(injection == Injection::kNone), once_(injection == Injection::kOnce),
          readBack_(readBack)
    {
    }

    RunResult Run()
    {
        start_ = SoftD2D().Counters();
        initialised_ = t_.initialize() == 1;
        Status("InitializeTessaryInternal", initialised_ ? 1 : 0, {1, 0});
        t_.setDeviceLostHandler(host_.deviceLostWindow, kDeviceLostMessage);
        if (!host_.fontPath.empty())
            t_.addPrivateFont(host_.fontPath.c_str());
        NewWindow(window_, 64, 48);
        NewWindow(popup_, 24, 16); // a second device: the rebuild walks both windows
        NewSurface(canvas_, 32, 24);
        NewSurface(gdiplus_, 16, 16);
        NewImage(image_);
        if (canvas_.created)
            canvas_.surface->SetUpdateOnClear(1);
        result_.firstFrame = Made();
        Paint();
        result_.firstFrameEnd = Made();
        HandleDeviceLoss(false);
        Reshape(); // draws the frame again
        HandleDeviceLoss(false);
        result_.drawnTwice = AllDraw();
        for (Object* o : Objects())
            if (readBack_ & kReadFrame)
                ReadBack(*o, result_.frame);
        LoseDevice();
        for (Object* o : Objects())
            if (readBack_ & kReadEnd)
                ReadBack(*o, result_.pixels);
        for (Object* o : {&canvas_, &gdiplus_, &image_, &window_, &popup_}) // windows last
            Release(*o);
        if (!host_.fontPath.empty())
            t_.removePrivateFont(host_.fontPath.c_str());
        t_.uninitialize();
        Restart(); // last: the library must start afresh in a process it ran in before
        result_.made = Made();
        return std::move(result_);
    }

private:
    void Fault(const char* op, const char* what, long long value)
    {
        char text[200];
        std::snprintf(text, sizeof text, "%s: %s (%lld)", op, what, value);
        result_.faults.emplace_back(text);
    }

    // `got` must be one of `allowed`; a clean run must get the first.
    void Status(const char* op, uint32_t got, Codes allowed)
    {
        if (trace_)
            std::printf("  %s: 0x%x (fallible calls so far %llu)\n", op, got,
                        (unsigned long long)SoftD2D().Counters().fallible);
        if (std::find(allowed.begin(), allowed.end(), got) == allowed.end())
            Fault(op, "status outside the documented set", got);
        else if (clean_ && got != allowed[0])
            Fault(op, "status of a failure in a clean run", got);
    }

    uint64_t WindowKey(const Object& window) const
    {
        return window.created ? reinterpret_cast<uint64_t>(window.window->GetWindowHandle()) : 0;
    }

    void NewWindow(Object& w, int width, int height)
    {
        w.window = tessary_test::TessaryModule::Make<Class_ZkWindow>(t_.createWindow, ZK_FOURCC_WINDOW);
        w.surface = w.window;
        w.block = {nullptr, GetModuleHandleW(nullptr), nullptr, nullptr, height, width, -4000, -4000, 0, L"",
                   L"TessarySweepWindow", 0};
        const ZkWindowCreateInfo info{ZK_FOURCC_WINDOW, 76, 0, &w.block, WS_POPUP, 0, 0, nullptr, nullptr,
                                      nullptr, nullptr, SW_HIDE, 0};
        Create(w, "window Create", &info, {ZK_OK, ZK_FAIL, ZK_E_CREATE_WINDOW_FAILED}, initialised_);
    }

    void NewSurface(Object& s, uint32_t width, uint32_t height)
    {
        s.surface = tessary_test::TessaryModule::Make<Class_ZkGraphicSurface>(t_.createSurface, ZK_FOURCC_SURFACE);
        const ZkSurfaceCreateInfo info{ZK_FOURCC_SURFACE, 28, 0, width, height, WindowKey(window_)};
        Create(s, "surface Create", &info, MayFail(window_.created ? kCan : kCannot), window_.created);
    }

    void NewImage(Object& i)
    {
        i.surface = tessary_test::TessaryModule::Make<Class_ZkGraphicSurface>(t_.createImage, ZK_FOURCC_SURFACE);
        const ZkImageCreateInfo info{ZK_FOURCC_IMAGE, 28, 0, host_.imagePath.c_str(), WindowKey(window_)};
        Create(i, "image Create", &info, MayFail(window_.created ? kCan : kCannot), window_.created);
    }

    // Create, tried once more after a failure as a host would: a failed Create leaves the object as it
    // was constructed. After a single injected failure the second attempt succeeds where it `can`.
    void Create(Object& o, const char* op, const void* record, Codes allowed, bool can)
    {
        if (!o.surface)
            return Fault(op, "the factory made no object", 0);
        uint32_t result = o.surface->Create(record);
        Status(op, result, allowed);
        if (result != ZK_OK) {
            result = o.surface->Create(record);
            Status(op, result, once_ && can ? Codes{ZK_OK} : allowed);
        }
        o.created = result == ZK_OK;
        o.target = o.created ? kCan : kCannot;
    }

    Calls Made() const
    {
        const SoftD2DCounters now = SoftD2D().Counters();
        return Calls{now.fallible - start_.fallible, now.endDraw - start_.endDraw};
    }

    std::array<Object*, 5> Objects() { return {&window_, &popup_, &canvas_, &gdiplus_, &image_}; }
    bool AllDraw()
    {
        const auto all = Objects();
        return std::all_of(all.begin(), all.end(), [](Object* o) { return o->Draws() == kCan; });
    }
    bool AllCreated()
    {
        const auto all = Objects();
        return std::all_of(all.begin(), all.end(), [](Object* o) { return !o->surface || o->created; });
    }

    void Fill(Object& o, uint32_t colour, const RECT* rect)
    {
        if (o.surface)
            Status("FillRect", o.surface->FillRect(colour, rect), MayFail(o.Draws()));
    }

    void Copy(const char* op, Object& from, Object& to, POINT at, int kind)
    {
        if (!from.surface || !to.surface)
            return;
        RECT drawn{};
        const uint32_t result =
            kind == 0   ? from.surface->DrawTo(to.surface, &at, nullptr, &drawn)
            : kind == 1 ? from.surface->DrawToAlpha(128, to.surface, &at, nullptr, &drawn)
                        : from.surface->DrawToScaled(to.surface, &at, 2.0, 1.5, nullptr, &drawn);
        Status(op, result, Succeeds(Both(from.Draws(), to.Draws())));
    }

    void Present(Object& w)
    {
        if (w.window)
            Status("Present", w.window->Present(),
                   !w.created ? Codes{ZK_E_WINDOW_NOT_CREATED} : w.target == kCan ? Codes{ZK_OK}
                              : w.target == kCannot ? Codes{ZK_FAIL} : Codes{ZK_OK, ZK_FAIL});
    }

    // Surfaces, text, mask, GDI interop and GDI+ drawing, composed into the window and presented: what
    // the host draws at first and again after every device loss.
    void Paint()
    {
        Object& c = canvas_;
        if (c.surface) {
            Fill(c, kTeal, nullptr);
            Class_ZkRegion* clip = NewRegion({{0, 0, 20, 10}, {4, 12, 30, 22}});
            Status("SetClipRegion", c.surface->SetClipRegion(clip), {ZK_OK});
            const RECT blended{2, 2, 28, 20}, cleared{24, 0, 32, 6};
            Fill(c, kOrange, &blended);
            Status("SetClipRegion", c.surface->SetClipRegion(nullptr), {ZK_OK});
            Status("ClearRect", c.surface->ClearRect(&cleared, kRed), Succeeds(c.Draws()));
            SetRectRgn(clip->handle, 0, 18, 6, 24);
            Status("ClearRegion", c.surface->ClearRegion(clip), Succeeds(c.Draws()));
            DeleteRegion(clip);
            Text(c, POINT{1, 1}, host_.privateFont, L"Ag");
            Text(c, POINT{1, 12}, host_.systemFont, L"Sw");
            Text(c, POINT{16, 12}, nullptr, L"x");
            Mask(c);
            AlphaRegion(c);
        }
        if (gdiplus_.surface) {
            Gdiplus::Bitmap* bitmap = gdiplus_.surface->GetGdiplusBitmap();
            if ((bitmap != nullptr) != gdiplus_.created)
                Fault("GetGdiplusBitmap", "bitmap against the created state", bitmap != nullptr);
            if (bitmap) {
                Gdiplus::Graphics graphics(bitmap);
                graphics.Clear(Gdiplus::Color(255, 0x3A, 0x6E, 0xD0));
                Gdiplus::SolidBrush brush(Gdiplus::Color(255, 0xF0, 0x8A, 0x3A));
                graphics.FillRectangle(&brush, 4, 4, 8, 8);
            }
            AlphaRegion(gdiplus_); // ends the pass, which uploads the GDI+ pixels
        }
        if (popup_.surface) {
            Status("ClearRect", popup_.surface->ClearRect(nullptr, kDark), Succeeds(popup_.Draws()));
            Text(popup_, POINT{2, 2}, host_.systemFont, L"Pop");
            Present(popup_);
        }
        Object& w = window_;
        if (w.surface)
            Status("ClearRect", w.surface->ClearRect(nullptr, kDark), Succeeds(w.Draws()));
        Copy("DrawTo", c, w, POINT{2, 2}, 0);
        Copy("DrawToAlpha", image_, w, POINT{40, 2}, 1);
        Copy("DrawToScaled", image_, w, POINT{40, 20}, 2);
        Copy("DrawTo", gdiplus_, w, POINT{2, 30}, 0);
        Copy("DrawTo", image_, c, POINT{20, 14}, 0);
        Present(w);
    }

    void Text(Object& o, POINT at, const Gdiplus::Font* font, const wchar_t* text)
    {
        RECT drawn{};
        const uint32_t result = o.surface->DrawText(&at, kInk, text, font, 0, 0, &drawn);
        Status("DrawText", result, Succeeds(o.created ? kCan : kCannot));
    }

    void Mask(Object& o)
    {
        const RECT left{0, 0, 6, 24};
        uint8_t* bits = nullptr;
        int32_t width = 0, height = 0, stride = 0;
        const uint32_t locked = o.surface->LockAlphaMask(&left, &bits, &width, &height, &stride);
        Status("LockAlphaMask", locked, MayFail(o.created ? kCan : kCannot));
        if (locked == ZK_OK)
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < width; ++x)
                    bits[y * stride + x] = uint8_t(x * 40);
        Status("UnlockAlphaMask", o.surface->UnlockAlphaMask(), Succeeds(locked == ZK_OK ? kCan : kCannot));
    }

    // The picture read back through GDI interop as a region, whose bounds are compared from the redraw
    // after the scripted device loss on.
    void AlphaRegion(Object& o)
    {
        uint32_t value = 7;
        HRGN region = o.surface->CreateAlphaRegion(100, &value);
        if ((o.Draws() != kUnknown && (region != nullptr) != (o.Draws() == kCan)) || value != (region ? 2u : 7u))
            Fault("CreateAlphaRegion", "region or value against the surface's state", value);
        if (!region)
            return;
        RECT box{};
        GetRgnBox(region, &box);
        if ((readBack_ & kReadEnd) && recording_)
            result_.pixels.insert(result_.pixels.end(), {uint32_t(box.left), uint32_t(box.top), uint32_t(box.right),
                                                        uint32_t(box.bottom)});
        DeleteObject(region);
    }

    // Shape, opacity, a new client size and a resized surface; then everything is redrawn.
    void Reshape()
    {
        Object& w = window_;
        if (!w.window)
            return;
        w.window->SetShape(NewRegion({{0, 0, 64, 40}, {8, 40, 56, 48}}));
        const RECT corner{0, 0, 10, 10};
        Status("Invalidate", w.window->Invalidate(&corner), {ZK_OK});
        Status("SetOpacity", w.window->SetOpacity(200), {ZK_OK});
        const bool c = w.created;
        const SIZE client{72, 52};
        const uint32_t sized = w.window->SetClientSize(&client, 0);
        Status("SetClientSize", sized, {c ? ZK_OK : ZK_E_WINDOW_NOT_CREATED, ZK_FAIL});
        w.created = c && sized == ZK_OK;
        w.target = w.created ? kCan : kCannot;
        if (canvas_.surface) {
            const SIZE size{36, 28};
            uint32_t resized = canvas_.surface->Resize(&size);
            Status("Resize", resized, MayFail(canvas_.created ? kCan : kCannot));
            if (resized != ZK_OK && canvas_.created) { // a later Resize makes the target the failed one did not
                resized = canvas_.surface->Resize(&size);
                Status("Resize", resized, once_ ? Codes{ZK_OK} : Codes{ZK_OK, ZK_FAIL});
            }
            canvas_.target = resized == ZK_OK ? kCan : kCannot;
        }
        Paint();
    }

    // The scenario's own device loss: the window's next EndDraw reports it, the host hears of it, has
    // every target rebuilt and redraws.
    void LoseDevice()
    {
        result_.beforeLoss = Made();
        if (window_.Draws() != kCan)
            return;
        SoftD2D().failNextEndDraw(nullptr, 1, D2DERR_RECREATE_TARGET);
        const RECT corner{0, 0, 4, 4};
        Fill(window_, kRed, &corner);
        Present(window_);
        recording_ = true;
        result_.recovered = HandleDeviceLoss(clean_) && AllDraw();
    }

    // The host's message loop: a device-lost message has every target rebuilt and everything redrawn.
    // True when a loss was heard of and every target rebuilt.
    bool HandleDeviceLoss(bool expected)
    {
        MSG message;
        bool lost = false;
        while (PeekMessageW(&message, host_.deviceLostWindow, kDeviceLostMessage, kDeviceLostMessage, PM_REMOVE))
            lost = true;
        if (expected && !lost)
            Fault("device loss", "no device-lost message", 0);
        if (!lost)
            return false;
        uint32_t rebuilt = 0;
        for (int attempt = 0; attempt < 3 && rebuilt != 1; ++attempt) { // the host may try again
            rebuilt = t_.onDeviceLost();
            Status("OnDeviceLostTessaryInternal", rebuilt, attempt && once_ && AllCreated() ? Codes{1} : Codes{1, 0});
        }
        // Every object rebuilt made its target; after a failed walk, one without may have made one.
        for (Object* o : Objects())
            if (o->created && o->target != kCan)
                o->target = rebuilt == 1 ? kCan : kUnknown;
        restarted_ ? PaintRestarted() : Paint();
        return rebuilt == 1;
    }

    // The pixels of an object through its own target's GDI interop, 0xAARRGGBB premultiplied, after its
    // size.
    void ReadBack(Object& o, std::vector<uint32_t>& into)
    {
        if (!o.surface)
            return;
        SIZE size{};
        void* part = nullptr;
        o.surface->QueryInterface(ZK_FOURCC_SURFACE_IMPL, &part);
        auto* device = static_cast<Class_ZkSurfaceDevice*>(part);
        ID2D1RenderTarget* target = device && o.surface->GetSize(&size) == ZK_OK ? device->GetRenderTarget() : nullptr;
        std::vector<uint32_t> pixels = tessary_test::ReadPixels(target);
        pixels.resize(size_t(size.cx) * size_t(size.cy));
        if (target)
            target->Release();
        if (device)
            device->Release();
        into.push_back(uint32_t(size.cx) << 16 | uint32_t(size.cy));
        into.insert(into.end(), pixels.begin(), pixels.end());
    }

    // As a host releases: every object reset and released; a window's system window destroyed after.
    void Release(Object& o)
    {
        if (!o.surface)
            return;
        const HWND handle = o.window ? o.window->GetWindowHandle() : nullptr;
        Status("ResetData", o.surface->ResetData(), {ZK_OK});
        o.surface->Release();
        o = Object{};
        if (handle)
            DestroyWindow(handle);
    }

    // The library started again in the same process: a window and a surface in a colour drawn before
    // the restart, copied and presented.
    void Restart()
    {
        restarted_ = true;
        initialised_ = t_.initialize() == 1;
        Status("InitializeTessaryInternal", initialised_ ? 1 : 0, {1, 0});
        NewWindow(window_, 16, 12);
        NewSurface(canvas_, 8, 8);
        PaintRestarted();
        HandleDeviceLoss(false);
        if (readBack_ & kReadEnd) {
            ReadBack(window_, result_.pixels);
            ReadBack(canvas_, result_.pixels);
        }
        // Worked out, not only compared: every clean run would agree on a fill that drew nothing.
        const std::vector<uint32_t> teal(64, 0xFF008080);
        if ((readBack_ & kReadEnd) && clean_ &&
            (result_.pixels.size() < 64 || !std::equal(teal.begin(), teal.end(), result_.pixels.end() - 64)))
            Fault("FillRect", "the restarted library does not fill in a colour it filled in before", 0);
        Release(canvas_);
        Release(window_);
        t_.uninitialize();
    }

    void PaintRestarted()
    {
        Fill(canvas_, kTeal, nullptr);
        Copy("DrawTo", canvas_, window_, POINT{4, 2}, 0);
        Present(window_);
    }

    const tessary_test::TessaryModule& t_;
    const HostSetting& host_;
    const bool clean_, once_;
    const unsigned readBack_;
    bool restarted_ = false;
    bool initialised_ = false;
    bool recording_ = false; // alpha regions are read back from the redraw after the scripted loss on
    SoftD2DCounters start_{};
    const bool trace_ = GetEnvironmentVariableW(L"TESSARY_SWEEP_TRACE", nullptr, 0) > 0;
    Object window_, popup_, canvas_, gdiplus_, image_;
    RunResult result_;
};

} // namespace

RunResult RunScenario(const tessary_test::TessaryModule& tessary, const HostSetting& host, Injection injection,
                      unsigned readBack)
{
    return Scenario(tessary, host, injection, readBack).Run();
}

} // namespace sweep
