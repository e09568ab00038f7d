// Model-based fuzzer: tessary.dll driven as a host drives it, with random operations and random
// arguments (null, inverted, huge, objects after ResetData), against a small model of each surface's
// size, blit rectangle, clip region and pixel alpha, and of the window's handler table. softd2d's
// failure injection makes EndDraw calls fail and loses the device (failures of every other call are the
// failure sweep's). Every run is reproducible from its seed: `tessary_fuzz FIRST_SEED SEED_COUNT OPS`
// prints the seed and operation of the first failure.
#include "support/softd2d_control.h"
#include "support/tessary_module.h"
#include "host/bitmap_file.h"
#include <gdiplus.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using tessary_test::SoftD2D;

namespace {

tessary_test::TessaryModule tessary;
uint32_t g_seed = 0, g_op = 0;
const char* g_opName = "";

[[noreturn]] void Fail(const char* what, long long got, long long want)
{
    std::printf("FAIL seed %u op %u (%s): %s: got %lld, expected %lld\nreproduce: tools/fuzz --seed %u %u\n",
                g_seed, g_op, g_opName, what, got, want, g_seed, g_op + 1);
    std::fflush(stdout);
    std::exit(1);
}

void Check(long long got, long long want, const char* what)
{
    if (got != want) Fail(what, got, want);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* e)
{
    std::printf("CRASH 0x%08lx at %p, seed %u op %u (%s)\nreproduce: tools/fuzz --seed %u %u\n",
                e->ExceptionRecord->ExceptionCode, e->ExceptionRecord->ExceptionAddress, g_seed, g_op, g_opName,
                g_seed, g_op + 1);
    std::fflush(stdout);
    ExitProcess(2);
}

LRESULT HandlerA(HWND, UINT, WPARAM, LPARAM, Class_ZkWindow*) { return 111; }
LRESULT HandlerB(HWND, UINT, WPARAM, LPARAM, Class_ZkWindow*) { return 222; }

constexpr int kMax = 40;          // surfaces stay small so every pixel can be checked
constexpr int kUnknown = -1;      // a pixel whose alpha the model does not predict
constexpr uint32_t kHandlerMessages = 4;
constexpr int kImageWidth = 7, kImageHeight = 5; // the decoded picture, opaque

// A host's region object, destroyed with its scope.
struct Region : Class_ZkRegion {
    explicit Region(const RECT& r = {}) : Class_ZkRegion{CreateRectRgnIndirect(&r), nullptr, CreateRectRgn(0, 0, 0, 0)} {}
    ~Region() { DeleteObject(handle), DeleteObject(scratch); }
};

struct Handlers {
    ZkMessageHandler active = nullptr, suspended = nullptr;
    bool present = false;
};

// What the model knows of one object's surface part.
struct Model {
    Class_ZkGraphicSurface* surface = nullptr;
    Class_ZkWindow* window = nullptr; // windows only
    bool image = false, created = false, published = false;
    int w = 0, h = 0;
    float bx = 0, by = 0, bw = 0, bh = 0; // blit rectangle
    std::vector<uint8_t> clip{};          // one flag per pixel
    std::vector<int> alpha{};             // premultiplied alpha per pixel, or kUnknown
    std::vector<uint8_t> mask{};          // the opacity buffer, empty when there is none
    Handlers handlers[kHandlerMessages]{};

    void Created(int width, int height)
    {
        created = true, published = false;
        w = width, h = height;
        bx = by = 0, bw = float(w), bh = float(h);
        clip.assign(size_t(w) * h, 1);
        Blank();
        mask.clear();
    }
    // A new target: transparent, or for an image its decoded picture from the top left, as much as fits.
    void Blank()
    {
        alpha.assign(size_t(w) * h, 0);
        for (int y = 0; image && y < std::min(h, kImageHeight); ++y)
            std::fill_n(alpha.begin() + y * w, std::min(w, kImageWidth), 255);
    }
    void Unknown() { alpha.assign(size_t(w) * h, kUnknown); }
};

struct Fuzzer {
    std::mt19937 rng;
    std::vector<Model> objects;
    std::wstring imagePath;
    bool trace = std::getenv("TESSARY_FUZZ_TRACE") != nullptr;
    HWND windowHandle = nullptr;
    CREATESTRUCTW block{};

    explicit Fuzzer(uint32_t seed, const std::wstring& image) : rng(seed), imagePath(image) {}

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool Chance(int percent) { return Int(0, 99) < percent; }
    Model& Any() { return objects[size_t(Int(0, int(objects.size()) - 1))]; }

    // Coordinates around the surface, now and then far outside or inverted.
    // GDI keeps region coordinates within 27 bits, so rectangles meant for regions stay inside that.
    LONG Coord(int extent, bool forRegion = false)
    {
        const LONG distant = forRegion ? 100000 : 0x7FFFFFF0;
        if (Chance(3)) return Chance(50) ? distant : -distant;
        return Int(-5, extent + 5);
    }
    RECT AnyRect(const Model& m, bool forRegion = false)
    {
        return RECT{Coord(m.w, forRegion), Coord(m.h, forRegion), Coord(m.w, forRegion), Coord(m.h, forRegion)};
    }

    // Pixels of `r` (normalised, as GDI's rectangle regions are) inside the surface.
    template <class F>
    void ForPixels(const Model& m, RECT r, bool clipped, F f)
    {
        const long long l = std::min(r.left, r.right), rr = std::max(r.left, r.right);
        const long long t = std::min(r.top, r.bottom), b = std::max(r.top, r.bottom);
        for (long long y = std::max(t, 0LL); y < std::min(b, (long long)m.h); ++y)
            for (long long x = std::max(l, 0LL); x < std::min(rr, (long long)m.w); ++x)
                if (!clipped || m.clip[size_t(y * m.w + x)]) f(size_t(y * m.w + x));
    }

    Model& NewSurface(uint32_t (*factory)(void**))
    {
        objects.push_back(Model{.surface = tessary.Make<Class_ZkGraphicSurface>(factory, ZK_FOURCC_SURFACE)});
        Check(objects.back().surface != nullptr, true, "factory and query");
        return objects.back();
    }

    void CreateSurface(Model& m, bool hostile)
    {
        ZkSurfaceCreateInfo info{ZK_FOURCC_SURFACE, 28, 0, uint32_t(Int(1, kMax)), uint32_t(Int(1, kMax)),
                                 reinterpret_cast<uint64_t>(windowHandle)};
        uint32_t want = ZK_OK;
        if (hostile && Chance(30)) {
            const int kind = Int(0, 3);
            if (kind == 0) info.fourcc = ZK_FOURCC_IMAGE, want = ZK_E_WRONG_FOURCC;
            if (kind == 1) info.size = 32, want = ZK_E_WRONG_SIZE;
            if (kind == 2) info.windowKey = 0x1234, want = ZK_FAIL;
            if (kind == 3) info.width = 0, want = ZK_FAIL;
        }
        if (m.created) want = ZK_E_ALREADY_CREATED;
        Check(m.surface->Create(&info), want, "surface Create");
        if (want == ZK_OK) m.Created(int(info.width), int(info.height));
    }

    void CreateImage(Model& m)
    {
        const ZkImageCreateInfo info{ZK_FOURCC_IMAGE, 28, 0, imagePath.c_str(), reinterpret_cast<uint64_t>(windowHandle)};
        Check(m.surface->Create(&info), m.created ? ZK_E_ALREADY_CREATED : ZK_OK, "image Create");
        if (!m.created) m.Created(kImageWidth, kImageHeight);
    }

    void Start()
    {
        const int height = Int(1, kMax), width = Int(1, kMax); // in the order the seeds always drew them
        Class_ZkWindow* window = tessary.NewHiddenWindow(block, width, height, L"TessaryFuzzWindow");
        Check(window != nullptr, true, "window Create");
        objects.push_back(Model{.surface = window, .window = window});
        windowHandle = window->GetWindowHandle();
        objects[0].Created(block.cx, block.cy);
        for (int i = 0; i < 3; ++i)
            CreateSurface(NewSurface(tessary.createSurface), false);
        NewSurface(tessary.createImage).image = true;
        CreateImage(objects.back());
    }

    void Finish()
    {
        for (size_t i = objects.size(); i-- > 0;) { // the window last: the others draw with its device
            objects[i].surface->ResetData();
            objects[i].surface->Release();
        }
        objects.clear();
        if (windowHandle) DestroyWindow(windowHandle);
    }

    // The alpha that CreateAlphaRegion reads: the masked copy's while it is current.
    int Seen(const Model& m, size_t i)
    {
        if (!m.published || m.alpha[i] == kUnknown) return m.alpha[i];
        if (m.mask.empty() || m.mask[i] == 255) return m.alpha[i];
        return m.mask[i] == 0 ? 0 : kUnknown;
    }

    void CheckPixels(Model& m) { CheckPixelsAt(m, uint8_t(Int(0, 254))); }
    void CheckPixelsAt(Model& m, uint8_t threshold)
    {
        uint32_t value = 0;
        HRGN region = m.surface->CreateAlphaRegion(threshold, &value);
        Check(region != nullptr, m.created, "CreateAlphaRegion result");
        if (!region) return;
        Check(value, 2, "CreateAlphaRegion value");
        for (int y = 0; y < m.h; ++y)
            for (int x = 0; x < m.w; ++x) {
                const int a = Seen(m, size_t(y * m.w + x));
                if (a != kUnknown && (PtInRegion(region, x, y) != 0) != (a > threshold))
                    Fail("pixel alpha against threshold", (long long)y * 1000 + x, a);
            }
        DeleteObject(region);
    }

    void CheckGeometry(Model& m)
    {
        SIZE size{-7, -7};
        RECT blt{};
        Region out;
        const uint32_t want = m.created ? ZK_OK : ZK_FAIL;
        Check(m.surface->GetSize(&size), want, "GetSize");
        Check(m.surface->GetBltRect(&blt), want, "GetBltRect");
        Check(m.surface->GetClipRegion(&out), want, "GetClipRegion");
        if (m.created) {
            Check(size.cx * 1000 + size.cy, m.w * 1000 + m.h, "size");
            const RECT want{LONG(std::floor(m.bx)), LONG(std::floor(m.by)), LONG(std::ceil(m.bx + m.bw)),
                            LONG(std::ceil(m.by + m.bh))};
            Check(std::memcmp(&blt, &want, sizeof(RECT)), 0, "blit rectangle");
            for (int y = 0; y < m.h; ++y)
                for (int x = 0; x < m.w; ++x)
                    Check(PtInRegion(out.handle, x, y) != 0, m.clip[size_t(y * m.w + x)], "clip pixel");
        }
    }

    void SetBlit(Model& m)
    {
        RECT r = AnyRect(m);
        const bool null = Chance(20);
        Check(m.surface->SetBltRect(null ? nullptr : &r), m.created ? ZK_OK : ZK_FAIL, "SetBltRect");
        if (!m.created) return;
        if (null) r = RECT{0, 0, m.w, m.h}; // the whole surface, by the same arithmetic
        const float x = std::max(float(r.left), 0.0f), y = std::max(float(r.top), 0.0f);
        m.bw = std::min(float(r.left) + (float(r.right) - float(r.left)), float(m.w)) - x;
        m.bh = std::min(float(r.top) + (float(r.bottom) - float(r.top)), float(m.h)) - y;
        m.bx = x, m.by = y;
    }

    void SetClip(Model& m)
    {
        const bool null = Chance(20);
        Region region;
        std::vector<uint8_t> shape(size_t(m.w) * m.h, 0);
        for (int pieces = Int(1, 3); pieces > 0 && !null; --pieces) {
            const RECT r = AnyRect(m, true);
            SetRectRgn(region.scratch, r.left, r.top, r.right, r.bottom);
            CombineRgn(region.handle, region.handle, region.scratch, RGN_OR);
            ForPixels(m, r, false, [&](size_t i) { shape[i] = 1; });
        }
        Check(m.surface->SetClipRegion(null ? nullptr : &region), ZK_OK, "SetClipRegion");
        if (m.created) m.clip = null ? std::vector<uint8_t>(size_t(m.w) * m.h, 1) : shape;
    }

    void Fill(Model& m)
    {
        const uint32_t colour = uint32_t(Int(0, 0xFFFFFF)) | (Chance(50) ? 0xFF000000u : 0u);
        RECT r = AnyRect(m, true);
        const bool null = Chance(20);
        const uint32_t result = m.surface->FillRect(colour, null ? nullptr : &r);
        Check(result, m.created ? ZK_OK : ZK_FAIL, "FillRect");
        if (result != ZK_OK) return;
        m.published = false;
        if (colour >> 24 && (null || (r.left <= r.right && r.top <= r.bottom))) // inverted: nothing drawn
            ForPixels(m, null ? RECT{0, 0, m.w, m.h} : r, true, [&](size_t i) { m.alpha[i] = 255; });
    }

    void Clear(Model& m)
    {
        const int alphas[] = {0, 128, 255};
        const uint32_t colour = uint32_t(Int(0, 0xFFFFFF)) | uint32_t(alphas[Int(0, 2)]) << 24;
        RECT r = AnyRect(m, true);
        const bool byRegion = Chance(30), null = Chance(20);
        Region region(r);
        const uint32_t result = byRegion ? m.surface->ClearRegion(null ? nullptr : &region)
                                         : m.surface->ClearRect(null ? nullptr : &r, colour);
        Check(result, m.created && !(byRegion && null) ? ZK_OK : ZK_FAIL, "ClearRect/ClearRegion");
        if (result != ZK_OK) return;
        m.published = false;
        const int a = byRegion ? 0 : int(colour >> 24);
        if (byRegion || null || (r.left <= r.right && r.top <= r.bottom)) // a region of GDI's is normalised
            ForPixels(m, null ? RECT{0, 0, m.w, m.h} : r, true, [&](size_t i) { m.alpha[i] = a; });
    }

    void Copy(Model& m)
    {
        Model& to = Any();
        POINT at{Coord(to.w), Coord(to.h)};
        RECT source = AnyRect(m), drawn{};
        const RECT* src = Chance(50) ? &source : nullptr;
        Class_ZkGraphicSurface* target = Chance(3) ? nullptr : to.surface;
        const int kind = Int(0, 2);
        if (kind == 0)
            m.surface->DrawTo(target, Chance(5) ? nullptr : &at, src, Chance(50) ? &drawn : nullptr);
        else if (kind == 1)
            m.surface->DrawToAlpha(uint8_t(Int(0, 255)), target, &at, src, &drawn);
        else
            m.surface->DrawToScaled(target, &at, Chance(5) ? std::nan("") : Int(-20, 40) / 10.0, Int(-20, 40) / 10.0,
                                    src, &drawn);
        // Which pixels a copy reaches is checked by the compose tests; here the target's become unknown.
        if (to.created) to.Unknown();
        to.published = false;
    }

    void Text(Model& m)
    {
        const wchar_t* texts[] = {L"", L"Ag", L"\u20AC\uFFFF\xD800", L"fuzz fuzz fuzz"};
        const wchar_t* text = Chance(10) ? nullptr : texts[Int(0, 3)];
        POINT at{Coord(m.w), Coord(m.h)};
        RECT bounds{};
        const uint32_t want = m.created && text ? ZK_OK : ZK_FAIL;
        if (Chance(50)) return Check(m.surface->MeasureText(&bounds, text, nullptr), want, "MeasureText");
        Check(m.surface->DrawText(&at, 0xFF0000FF, text, nullptr, 0, 0, &bounds), want, "DrawText");
        if (want == ZK_OK) m.Unknown(), m.published = false;
    }

    void Mask(Model& m)
    {
        RECT r = AnyRect(m);
        uint8_t* bits = nullptr;
        int32_t width = 0, height = 0, stride = 0;
        const bool fits = 0 <= r.left && r.left < r.right && r.right <= m.w && 0 <= r.top && r.top < r.bottom &&
                          r.bottom <= m.h;
        const uint32_t result = m.surface->LockAlphaMask(&r, &bits, &width, &height, &stride);
        Check(result, m.created && fits ? ZK_OK : ZK_FAIL, "LockAlphaMask");
        if (result != ZK_OK) return;
        Check(width, r.right - r.left, "locked width");
        Check(stride, m.w, "locked stride");
        if (m.mask.empty()) m.mask.assign(size_t(m.w) * m.h, 255);
        const uint8_t value = Chance(50) ? 0 : 255;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                bits[y * stride + x] = value;
                m.mask[size_t(r.top + y) * m.w + r.left + x] = value;
            }
        SIZE other{Int(1, kMax), Int(1, kMax)};
        Check(m.surface->Resize(&other), ZK_FAIL, "Resize while the mask is locked");
        if (m.window)
            Check(m.window->SetClientSize(&other, ZK_CLIENT_SIZE_SURFACE_ONLY), ZK_FAIL, "SetClientSize while locked");
        Check(m.surface->UnlockAlphaMask(), ZK_OK, "UnlockAlphaMask");
        Check(m.surface->UnlockAlphaMask(), ZK_FAIL, "second UnlockAlphaMask");
        m.published = true;
    }

    void Resize(Model& m)
    {
        SIZE size{Int(1, kMax), Int(1, kMax)};
        if (m.window) { // the window's surface follows its client size
            const uint32_t flags = Chance(50) ? ZK_CLIENT_SIZE_SURFACE_ONLY : 0;
            Check(m.window->SetClientSize(&size, flags), m.created ? ZK_OK : ZK_E_WINDOW_NOT_CREATED, "SetClientSize");
            if (m.created && (size.cx != m.w || size.cy != m.h)) m.Created(size.cx, size.cy);
            return;
        }
        Check(m.surface->Resize(&size), m.created ? ZK_OK : ZK_FAIL, "Resize");
        if (!m.created) return;
        m.w = size.cx, m.h = size.cy, m.published = false;
        m.mask.clear();
        m.alpha.assign(size_t(m.w) * m.h, 0);
        SetClip(m); // the old clip region is the host's to set again for the new size
    }

    void Reset(Model& m)
    {
        if (m.window) return; // the others draw with the window's device
        if (m.created && Chance(60)) {
            Check(m.surface->ResetData(), ZK_OK, "ResetData");
            m.created = m.published = false;
        } else {
            m.image ? CreateImage(m) : CreateSurface(m, true);
        }
    }

    void WindowOp(Model&)
    {
        Class_ZkWindow* w = objects[0].window;
        const UINT message = WM_APP + UINT(Int(0, kHandlerMessages - 1));
        Handlers& h = objects[0].handlers[message - WM_APP];
        const ZkMessageHandler handler = Chance(20) ? nullptr : Chance(50) ? HandlerA : HandlerB;
        const auto id = [](ZkMessageHandler f) { return reinterpret_cast<long long>(f); };
        RECT r = AnyRect(objects[0]);
        const uint8_t opacity = uint8_t(Int(0, 255));
        switch (Int(0, 6)) {
        case 0:
            Check(id(w->SetMessageHandler(message, handler)), id(h.present ? h.active : nullptr), "SetMessageHandler");
            h = Handlers{handler, nullptr, true};
            break;
        case 1:
            Check(id(w->RemoveMessageHandler(message)), id(h.active ? h.active : h.suspended), "RemoveMessageHandler");
            h = Handlers{};
            break;
        case 2:
            Check(w->SuspendMessageHandler(message),
                  !h.present ? ZK_E_NO_HANDLER : h.suspended ? ZK_E_HANDLER_ALREADY_SUSPENDED : ZK_OK, "Suspend");
            if (h.present && !h.suspended) h = Handlers{nullptr, h.active, true};
            break;
        case 3:
            Check(w->ResumeMessageHandler(message),
                  !h.present ? ZK_E_NO_HANDLER : !h.suspended ? ZK_E_HANDLER_NOT_SUSPENDED : ZK_OK, "Resume");
            if (h.present && h.suspended) h = Handlers{h.suspended, nullptr, true};
            break;
        case 4:
            Check(w->SendWindowMessage(message, 0, 0), h.active == HandlerA ? 111 : h.active ? 222 : 0, "handler");
            break;
        case 5:
            Check(w->Present(), ZK_OK, "Present");
            Check(w->Invalidate(Chance(50) ? nullptr : &r), ZK_OK, "Invalidate");
            break;
        case 6:
            Check(w->SetOpacity(opacity), ZK_OK, "SetOpacity");
            Check(w->GetOpacity(), opacity, "GetOpacity");
            break;
        }
    }

    // A lost device: the next EndDraw fails, the host rebuilds, every surface comes back blank and every
    // image with its decoded pixels (as many as its size holds), under its opacity mask.
    void DeviceLoss(Model& m)
    {
        if (!SoftD2D().Present() || !Chance(20)) return;
        SoftD2D().failNextEndDraw(nullptr, 1, D2DERR_RECREATE_TARGET);
        RECT r{0, 0, 1, 1};
        m.surface->ClearRect(&r, 0); // ends a pass, which meets the injected failure when created
        SoftD2D().clearFailures();
        bool all = true;
        for (Model& o : objects)
            all = all && o.created;
        Check(tessary.onDeviceLost(), all ? 1 : 0, "OnDeviceLostTessaryInternal");
        for (Model& o : objects)
            if (o.created) {
                o.Blank();
                o.published = !o.mask.empty(); // the rebuild publishes again
            }
    }

    void Step()
    {
        Model& m = Any();
        using Op = void (Fuzzer::*)(Model&);
        static const struct {
            const char* name;
            Op op;
        } ops[] = {{"geometry", &Fuzzer::CheckGeometry}, {"blit", &Fuzzer::SetBlit}, {"clip", &Fuzzer::SetClip},
                   {"fill", &Fuzzer::Fill}, {"clear", &Fuzzer::Clear}, {"copy", &Fuzzer::Copy},
                   {"text", &Fuzzer::Text}, {"mask", &Fuzzer::Mask}, {"resize", &Fuzzer::Resize},
                   {"reset", &Fuzzer::Reset}, {"window", &Fuzzer::WindowOp}, {"device loss", &Fuzzer::DeviceLoss},
                   {"pixels", &Fuzzer::CheckPixels}};
        const auto& chosen = ops[Int(0, int(std::size(ops)) - 1)];
        g_opName = chosen.name;
        if (SoftD2D().Present() && Chance(3)) // a failing EndDraw that is no device loss changes nothing
            SoftD2D().failNextEndDraw(nullptr, 1, E_FAIL);
        if (trace) std::printf("op %u: %s on object %d\n", g_op, g_opName, int(&m - objects.data()));
        (this->*chosen.op)(m);
        Check(m.surface->Reserved0(), ZK_FAIL, "Reserved0");
        if (trace) { // replaying: the failure shows at the operation that caused it
            CheckGeometry(m);
            CheckPixelsAt(m, 128);
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    tessary_test::StartGdiplusAndCom();
    if (argc != 4 || !tessary.Load()) {
        std::printf("usage: tessary_fuzz FIRST_SEED SEED_COUNT OPS, beside tessary.dll\n");
        return 2;
    }
    SetUnhandledExceptionFilter(OnCrash);
    const uint32_t first = std::strtoul(argv[1], nullptr, 10), count = std::strtoul(argv[2], nullptr, 10);
    const uint32_t ops = std::strtoul(argv[3], nullptr, 10);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::vector<uint32_t> grey(kImageWidth * kImageHeight, 0xFF5A5A5A); // opaque, for the image objects
    const std::wstring image = WriteBitmapFile((folder + std::wstring(L"tessary_fuzz.bmp")).c_str(), kImageWidth,
                                               kImageHeight, grey.data());
    // Each seed is one start of the library, as a host restarting it makes: nothing of a start, its cached
    // brushes included, is left after its uninitialise.
    const LONG baseline = SoftD2D().Present() ? SoftD2D().liveObjectCount() : 0;
    for (g_seed = first; g_seed < first + count; ++g_seed) {
        g_op = 0, g_opName = "start";
        if (SoftD2D().Present()) SoftD2D().clearFailures(); // each seed stands alone
        Check(tessary.initialize(), 1, "InitializeTessaryInternal");
        Fuzzer fuzzer(g_seed, image);
        fuzzer.Start();
        for (g_op = 0; g_op < ops; ++g_op)
            fuzzer.Step();
        g_opName = "finish";
        fuzzer.Finish();
        tessary.uninitialize();
        if (SoftD2D().Present())
            Check(SoftD2D().liveObjectCount(), baseline, "live softd2d objects after uninitialise");
    }
    DeleteFileW(image.c_str());
    std::printf("%u seeds x %u operations: no failure\n", count, ops);
    return 0;
}
