// tessary.dll driven exactly as a host drives it, compiled from include/ and the host's start of GDI+
// and COM only: in the g++ flavour against the g++ DLLs, and in the MSVC-ABI flavour (clang in MSVC
// mode) as a Visual C++ host is, against the MSVC-ABI DLLs.
#include "bitmap_file.h"
#include "host_checks.h"
#include "support/tessary_module.h"
#include <cstring>
#include <string>
#include <vector>

using namespace host_checks;

namespace {

#if defined(__MINGW32__)
// A g++ host's string is libstdc++'s std::wstring, as the g++ tessary.dll's.
struct HostString : std::wstring {
    using std::wstring::wstring;
    std::wstring* Pointer() { return this; }
    std::wstring Text() const { return *this; }
};
#else
// A Visual C++ host's std::wstring in a release build. This host is compiled with libc++'s headers,
// so it lays the Visual C++ string out itself: small buffer (capacity 7) or heap pointer, size,
// capacity; blocks of 4096 bytes and more aligned to 32 with the heap block's address before them.
struct HostString {
    union {
        wchar_t small[8];
        wchar_t* large;
    } text{};
    size_t size = 0;
    size_t capacity = 7;
    explicit HostString(const wchar_t* initial) : size(wcslen(initial))
    {
        if (size > 7) {
            capacity = size | 7;
            text.large = static_cast<wchar_t*>(::operator new((capacity + 1) * sizeof(wchar_t)));
        }
        memcpy(capacity > 7 ? text.large : text.small, initial, (size + 1) * sizeof(wchar_t));
    }
    ~HostString()
    {
        if (capacity > 7)
            ::operator delete((capacity + 1) * sizeof(wchar_t) >= 4096 ? reinterpret_cast<void**>(text.large)[-1]
                                                                       : text.large);
    }
    std::wstring* Pointer() { return reinterpret_cast<std::wstring*>(this); }
    std::wstring Text() const { return std::wstring(capacity > 7 ? text.large : text.small, size); }
};
#endif

// The function in slot `slot` of the table an interface pointer points to, called with `args`.
template <class R, class... A>
R CallSlot(void* object, int slot, A... args)
{
    using Function = R (*)(void*, A...);
    return reinterpret_cast<Function*>(*static_cast<void**>(object))[slot](object, args...);
}

Class_QUOR* Make(uint32_t (*factory)(void**))
{
    void* raw = nullptr;
    CHECK_EQ(factory(&raw), ZK_OK);
    return static_cast<Class_QUOR*>(raw);
}

void ExportsAgreeWithTheirOrdinals()
{
    const HMODULE module = GetModuleHandleW(L"tessary.dll");
    const struct {
        const char* name;
        int ordinal;
    } exports[] = {{"CreateInstance_ZkGraphicSurfaceD2D", 1}, {"CreateInstance_ZkImageD2D", 2},
                   {"CreateInstance_ZkWindowD2D", 3},          {"InitializeTessaryInternal", 11},
                   {"UninitializeTessaryInternal", 12},        {"SetDeviceLostHandlerTessaryInternal", 21},
                   {"OnDeviceLostTessaryInternal", 22},        {"Tessary_AddPrivateFont", 23},
                   {"Tessary_RemovePrivateFont", 24}};
    for (const auto& e : exports) {
        const FARPROC byName = GetProcAddress(module, e.name);
        CHECK(byName != nullptr);
        CHECK(byName == GetProcAddress(module, MAKEINTRESOURCEA(e.ordinal)));
    }
    for (int empty : {4, 5, 10, 13, 20, 25})
        CHECK(GetProcAddress(module, MAKEINTRESOURCEA(empty)) == nullptr);
    CHECK(CreateInstance_ZkGraphicSurfaceD2D(nullptr) == ZK_FAIL && CreateInstance_ZkImageD2D(nullptr) == ZK_FAIL &&
          CreateInstance_ZkWindowD2D(nullptr) == ZK_FAIL);
    CHECK_EQ(InitializeTessaryInternal(), 1u); // the other cases run initialised
}

void QueryInterfaceMatrixAndReferenceCounts()
{
    const uint32_t unknown = ZkFourCC("ABCD");
    const struct {
        uint32_t (*factory)(void**);
        uint32_t answered[4];
        uint32_t refused[5];
    } cases[] = {
        {CreateInstance_ZkGraphicSurfaceD2D,
         {ZK_FOURCC_SURFACE, ZK_FOURCC_SURFACE_IMPL, 0, 0},
         {ZK_FOURCC_IMAGE, ZK_FOURCC_IMAGE_IMPL, ZK_FOURCC_WINDOW, ZK_FOURCC_WINDOW_IMPL, unknown}},
        {CreateInstance_ZkImageD2D,
         {ZK_FOURCC_IMAGE, ZK_FOURCC_IMAGE_IMPL, ZK_FOURCC_SURFACE, ZK_FOURCC_SURFACE_IMPL},
         {ZK_FOURCC_WINDOW, ZK_FOURCC_WINDOW_IMPL, unknown, 0, 0}},
        {CreateInstance_ZkWindowD2D,
         {ZK_FOURCC_WINDOW, ZK_FOURCC_WINDOW_IMPL, ZK_FOURCC_SURFACE, ZK_FOURCC_SURFACE_IMPL},
         {ZK_FOURCC_IMAGE, ZK_FOURCC_IMAGE_IMPL, unknown, 0, 0}},
    };
    for (const auto& c : cases) {
        Class_QUOR* object = Make(c.factory);
        CHECK_EQ(object->GetRefCount(), 1u); // a factory-made object holds one reference
        CHECK_EQ(object->IsCreated(), 0u);
        uint32_t expected = 1;
        uint32_t status = 0;
        for (uint32_t fourcc : c.answered)
            if (fourcc)
                CHECK(Query(object, fourcc, &status) != nullptr && status == ZK_OK &&
                      object->GetRefCount() == ++expected);
        for (uint32_t fourcc : c.refused)
            if (fourcc)
                CHECK(Query(object, fourcc, &status) == nullptr && status == QUOR_E_NOINTERFACE &&
                      object->GetRefCount() == expected);
        CHECK(object->AddRef() == expected + 1 && object->SafeAddRef() == expected + 2);
        CHECK(object->DecRef() == expected + 1 && object->DecRef() == expected);
        CHECK(object->LockObject() == QUOR_OK && object->TryLockObject() == QUOR_OK);
        CHECK(object->UnLockObject() == QUOR_OK && object->UnLockObject() == QUOR_OK);
        // The host releases every pointer it obtained; the last release destroys the object.
        while (expected > 1)
            CHECK_EQ(object->Release(), --expected);
        CHECK_EQ(object->Release(), 0u);
    }
    Make(CreateInstance_ZkGraphicSurfaceD2D)->DeleteInstance(); // destroys at once, references or not
}

// The slot numbers a host binds to. In Microsoft's ABI the destructor takes one slot (Create is
// Class_QUOR's slot 1); in the Itanium ABI of g++ it takes two. Each interface that adds operations
// has its own table in Microsoft's ABI, numbered from 0; in g++'s, the window's table continues the
// surface's, which it shares.
void SlotsAndPartsOfOneObject()
{
#if defined(__MINGW32__)
    constexpr int kAfterDestructor = 2, kWindowFirst = -1;
#else
    constexpr int kAfterDestructor = 1, kWindowFirst = 0;
#endif
    Class_QUOR* object = Make(CreateInstance_ZkWindowD2D);
    auto* window = Query<Class_ZkWindow>(object, ZK_FOURCC_WINDOW);
    auto* surface = Query<Class_ZkGraphicSurface>(object, ZK_FOURCC_SURFACE);
    auto* device = Query<Class_ZkSurfaceDevice>(object, ZK_FOURCC_SURFACE_IMPL);
    const ZkSurfaceCreateInfo wrongFourCC{ZK_FOURCC_IMAGE, 28, 0, 1, 1, 0};
    CHECK_EQ((CallSlot<uint32_t, const void*>(object, kAfterDestructor, &wrongFourCC)), ZK_E_WINDOW_WRONG_FOURCC);
    CHECK_EQ(CallSlot<uint32_t>(object, kAfterDestructor + 8), 4u);  // GetRefCount
    CHECK_EQ(CallSlot<uint32_t>(object, kAfterDestructor + 10), ZK_FOURCC_WINDOW_IMPL); // GetFourCC
    CHECK_EQ(CallSlot<uint32_t>(object, kAfterDestructor + 11), 0u); // IsCreated
    SIZE size{};
    CHECK_EQ((CallSlot<uint32_t, SIZE*>(surface, 11, &size)), ZK_FAIL); // GetSize, not created
    CHECK_EQ((CallSlot<uint32_t>(device, 0)), ZK_FAIL);                 // RecreateDeviceResources
    if (kWindowFirst == 0) {
        CHECK_EQ((CallSlot<uint32_t>(window, 4)), ZK_E_WINDOW_NOT_CREATED); // Present
        CHECK(CallSlot<HWND>(window, 6) == nullptr);                         // GetWindowHandle
        CHECK_EQ(CallSlot<uint8_t>(window, 12), 0);                          // GetOpacity
    }
    // A Visual C++ host reaches Class_QUOR through the virtual base's offset: each part converts to
    // the one object.
    CHECK(static_cast<Class_QUOR*>(window) == object && static_cast<Class_QUOR*>(surface) == object &&
          static_cast<Class_QUOR*>(device) == object);
    CHECK(static_cast<Class_ZkGraphicSurface*>(window) == surface &&
          static_cast<Class_ZkGraphicSurface*>(device) == surface);
    device->Release(), surface->Release(), window->Release();
    CHECK_EQ(object->Release(), 0u);
}

void CreateRecordChecksComeFirstAndChangeNothing()
{
    Class_QUOR* surface = Make(CreateInstance_ZkGraphicSurfaceD2D);
    const ZkSurfaceCreateInfo s[] = {{ZK_FOURCC_SURFACE_IMPL, 28, 0, 100, 50, 0x1234},
                                     {ZK_FOURCC_SURFACE, 32, 0, 100, 50, 0x1234},
                                     {ZK_FOURCC_SURFACE, 28, 0, 100, 50, 0x1234}}; // no target under the key
    CHECK(surface->Create(&s[0]) == ZK_E_WRONG_FOURCC && surface->Create(&s[1]) == ZK_E_WRONG_SIZE &&
          surface->Create(&s[2]) == ZK_FAIL && surface->Create(nullptr) == ZK_FAIL);
    CHECK_EQ(OnDeviceLostTessaryInternal(), 0u); // a surface that was never created cannot be rebuilt
    CHECK_EQ(surface->Release(), 0u);            // which takes it out of the rebuild
    CHECK_EQ(OnDeviceLostTessaryInternal(), 1u);

    Class_QUOR* image = Make(CreateInstance_ZkImageD2D);
    const ZkImageCreateInfo i[] = {{ZK_FOURCC_SURFACE, 28, 0, L"missing.png", 0x1234},
                                   {ZK_FOURCC_IMAGE, 32, 0, L"missing.png", 0x1234},
                                   {ZK_FOURCC_IMAGE, 28, 0, L"missing.png", 0x1234}}; // the file does not exist
    CHECK(image->Create(&i[0]) == ZK_E_WRONG_FOURCC && image->Create(&i[1]) == ZK_E_WRONG_SIZE &&
          image->Create(&i[2]) == ZK_FAIL);
    auto* imageInterface = Query<Class_ZkImage>(image, ZK_FOURCC_IMAGE);
    HostString path(L"untouched");
    CHECK_EQ(imageInterface->GetFilePath(path.Pointer()), ZK_FAIL);
    CHECK(path.Text() == L"untouched");
    imageInterface->Release();
    CHECK_EQ(image->Release(), 0u);

    Class_QUOR* window = Make(CreateInstance_ZkWindowD2D);
    ZkWindowCreateInfo w{};
    w.fourcc = ZK_FOURCC_WINDOW, w.size = 80;
    CHECK_EQ(window->Create(&w), ZK_E_WINDOW_WRONG_SIZE);
    // Failures inside window creation are thrown to its one clean-up handler (in the MSVC-ABI
    // flavour through msvcrt.dll's exception handling): without a creation block, and when the
    // system refuses the window (an owner that is no window).
    w.size = 76;
    CHECK_EQ(window->Create(&w), ZK_E_CREATE_WINDOW_FAILED);
    CREATESTRUCTW orphan{nullptr, nullptr, nullptr, reinterpret_cast<HWND>(0x1234), 0, 0, 0, 0, 0, nullptr,
                         L"TessaryHostOrphan", 0};
    w.creation = &orphan;
    CHECK(window->Create(&w) == ZK_E_CREATE_WINDOW_FAILED && window->IsCreated() == 0 && window->Release() == 0);
}

LRESULT Doubler(HWND, UINT, WPARAM wParam, LPARAM, Class_ZkWindow*)
{
    return LRESULT(wParam * 2);
}

// Every slot of every interface on created objects: a window, a surface drawing into it, an image.
void EverySlotOnCreatedObjects()
{
    Class_QUOR* windowObject = Make(CreateInstance_ZkWindowD2D);
    auto* window = Query<Class_ZkWindow>(windowObject, ZK_FOURCC_WINDOW);
    CREATESTRUCTW block{nullptr, GetModuleHandleW(nullptr), nullptr, nullptr, 48, 64, 0, 0, 0, L"Host test",
                        L"TessaryHostTest", 0};
    ZkWindowCreateInfo w{ZK_FOURCC_WINDOW, 76, 0, &block, WS_POPUP, 0, 0, nullptr, nullptr, nullptr, nullptr,
                         SW_SHOWNOACTIVATE, 0};
    CHECK_EQ(window->Create(&w), ZK_OK);
    const HWND handle = window->GetWindowHandle();
    CHECK(IsWindow(handle));
    CHECK(window->SetMessageHandler(WM_APP, Doubler) == nullptr && window->SendWindowMessage(WM_APP, 21, 0) == 42);
    CHECK(window->SuspendMessageHandler(WM_APP) == ZK_OK &&
          window->SuspendMessageHandler(WM_APP) == ZK_E_HANDLER_ALREADY_SUSPENDED);
    CHECK_EQ(window->SendWindowMessage(WM_APP, 21, 0), 0); // DefWindowProcW
    CHECK(window->ResumeMessageHandler(WM_APP) == ZK_OK &&
          window->ResumeMessageHandler(WM_APP) == ZK_E_HANDLER_NOT_SUSPENDED);
    CHECK(window->RemoveMessageHandler(WM_APP) == Doubler && window->SuspendMessageHandler(WM_APP) == ZK_E_NO_HANDLER);
    CHECK(window->IsActive() == BOOL(GetActiveWindow() == handle) &&
          window->GetInstanceHandle() == GetModuleHandleW(nullptr));
    const HCURSOR arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window->SetWindowCursor(arrow);
    CHECK(window->SetWindowCursor(nullptr) == arrow);
    CHECK(window->GetOpacity() == 255 && window->SetOpacity(200) == ZK_OK && window->GetOpacity() == 200);
    window->SetShape(tessary_test::NewRegion({{0, 0, 64, 48}})); // the window takes the host's region object over
    window->Reserved15();

    // A surface of 32 x 16 drawing with the window's device: left half red, right half green, its
    // bottom-right quarter cleared again to transparent.
    Class_QUOR* surfaceObject = Make(CreateInstance_ZkGraphicSurfaceD2D);
    const ZkSurfaceCreateInfo s{ZK_FOURCC_SURFACE, 28, 0, 32, 16, reinterpret_cast<uint64_t>(handle)};
    CHECK(surfaceObject->Create(&s) == ZK_OK && surfaceObject->Create(&s) == ZK_E_ALREADY_CREATED);
    auto* surface = Query<Class_ZkGraphicSurface>(surfaceObject, ZK_FOURCC_SURFACE);
    CHECK(surface->Reserved0() == ZK_FAIL && surface->Reserved1(nullptr) == ZK_FAIL);
    const RECT left{0, 0, 16, 16}, right{16, 0, 32, 16}, whole{0, 0, 32, 16}, quarter{0, 0, 8, 8};
    Class_ZkRegion* region = tessary_test::NewRegion({{16, 8, 32, 16}});
    CHECK(surface->FillRect(0xFF0000FF, &left) == ZK_OK && surface->ClearRect(&right, 0xFF00FF00) == ZK_OK &&
          surface->ClearRegion(region) == ZK_OK);
    std::vector<uint32_t> p = Pixels(surfaceObject, 32, 16);
    CHECK(p[0] == 0xFFFF0000 && p[15 * 32 + 15] == 0xFFFF0000 && p[20] == 0xFF00FF00 && p[7 * 32 + 31] == 0xFF00FF00 &&
          p[8 * 32 + 16] == 0 && p[15 * 32 + 31] == 0);
    HRGN opaque = surface->CreateAlphaRegion(1, nullptr);
    CHECK(opaque && PtInRegion(opaque, 0, 15) && PtInRegion(opaque, 31, 7) && !PtInRegion(opaque, 16, 8));
    DeleteObject(opaque);

    SIZE size{};
    CHECK(surface->GetSize(&size) == ZK_OK && size.cx == 32 && size.cy == 16);
    RECT blt{};
    CHECK(surface->SetBltRect(&quarter) == ZK_OK && surface->GetBltRect(&blt) == ZK_OK && EqualRect(&blt, &quarter));
    CHECK_EQ(surface->SetBltRect(&whole), ZK_OK);
    SetRectRgn(region->handle, 0, 0, 32, 16);
    CHECK_EQ(surface->SetClipRegion(region), ZK_OK);
    SetRectRgn(region->handle, 0, 0, 0, 0);
    CHECK(surface->GetClipRegion(region) == ZK_OK && PtInRegion(region->handle, 31, 15));
    surface->SetUpdateOnClear(1);
    uint8_t* bits = nullptr;
    int32_t width = 0, height = 0, stride = 0;
    CHECK(surface->LockAlphaMask(&whole, &bits, &width, &height, &stride) == ZK_OK && bits && width == 32 &&
          height == 16 && stride >= 32 && surface->UnlockAlphaMask() == ZK_OK);

    // Into the window: plain at (0, 0), at half opacity at (32, 0), twice the size at (0, 16).
    auto* windowSurface = Query<Class_ZkGraphicSurface>(windowObject, ZK_FOURCC_SURFACE);
    const POINT origin{0, 0}, half{32, 0}, scaled{0, 16};
    const RECT corner{0, 0, 4, 4};
    RECT drawn{};
    CHECK(surface->DrawTo(windowSurface, &origin, nullptr, &drawn) == ZK_OK && EqualRect(&drawn, &whole));
    CHECK_EQ(surface->DrawToAlpha(128, windowSurface, &half, &quarter, &drawn), ZK_OK);
    CHECK_EQ(surface->DrawToScaled(windowSurface, &scaled, 2.0, 2.0, &corner, &drawn), ZK_OK);
    p = Pixels(windowObject, 64, 48);
    CHECK(p[0] == 0xFFFF0000 && p[20] == 0xFF00FF00 && p[8 * 64 + 16] == 0);
    CHECK((p[32] >> 24) >= 0x7F && (p[32] >> 24) <= 0x81 && (p[32] & 0xFFFF) == 0 && p[40] == 0);
    CHECK(p[17 * 64 + 1] == 0xFFFF0000 && p[23 * 64 + 7] == 0xFFFF0000 && p[24 * 64 + 8] == 0);
    CHECK(window->Invalidate(nullptr) == ZK_OK && window->Present() == ZK_OK);

    // Text in a host-made GDI+ font, and the surface's GDI+ bitmap read through the host's classes.
    Gdiplus::Font font(L"Liberation Sans", 12.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    RECT bounds{};
    CHECK(surface->MeasureText(&bounds, L"Host", &font) == ZK_OK && bounds.right > bounds.left);
    const POINT textAt{1, 1};
    CHECK_EQ(surface->DrawText(&textAt, 0xFFFFFFFF, L"Host", &font, 0, 0, &bounds), ZK_OK);
    Gdiplus::Bitmap* bitmap = surface->GetGdiplusBitmap();
    CHECK(bitmap && bitmap->GetWidth() == 32 && bitmap->GetHeight() == 16);

    // The device operations ('QGSX').
    auto* device = Query<Class_ZkSurfaceDevice>(surfaceObject, ZK_FOURCC_SURFACE_IMPL);
    ID2D1DCRenderTarget* windowTarget = device->GetWindowRenderTarget();
    CHECK(windowTarget && windowTarget->Release() > 0); // the registry keeps its reference
    device->BeginDrawPass(), device->EndDrawPass(), device->ReleaseTextFormats();
    CHECK_EQ(device->RecreateDeviceResources(), ZK_OK); // a new, blank own target
    CHECK(Pixels(surfaceObject, 32, 16)[0] == 0);
    const SIZE smaller{20, 10};
    CHECK(surface->Resize(&smaller) == ZK_OK && surface->GetSize(&size) == ZK_OK && size.cx == 20 && size.cy == 10);
    device->Release();

    // An image decoded from a file (its paths are read back by LongImagePaths).
    const uint32_t blueYellow[2] = {0xFF0000FF, 0xFFFFFF00}; // blue on the left, yellow on the right
    const std::wstring file = WriteBitmapFile(L"host_test_image.bmp", 2, 1, blueYellow);
    Class_QUOR* imageObject = Make(CreateInstance_ZkImageD2D);
    const ZkImageCreateInfo i{ZK_FOURCC_IMAGE, 28, 0, L"host_test_image.bmp", reinterpret_cast<uint64_t>(handle)};
    CHECK_EQ(imageObject->Create(&i), ZK_OK);
    CHECK(Pixels(imageObject, 2, 1) == std::vector<uint32_t>(blueYellow, blueYellow + 2));
    CHECK_EQ(OnDeviceLostTessaryInternal(), 1u); // every object can be rebuilt

    windowSurface->Release(), surface->Release();
    CHECK(imageObject->Release() == 0 && surfaceObject->Release() == 0);
    tessary_test::DeleteRegion(region);
    CHECK_EQ(windowObject->ResetData(), 0u);
    CHECK(windowObject->IsCreated() == 0 && window->GetWindowHandle() == nullptr);
    window->Release();
    CHECK_EQ(windowObject->Release(), 0u);
    DeleteFileW(file.c_str());
}

// Directories of 200-character names under `root`, nested until `file` inside the last one makes a path
// of exactly `length` characters, which is returned; the directories made are added to `made`.
std::wstring NestedFile(const std::wstring& root, size_t length, const wchar_t* file, std::vector<std::wstring>& made)
{
    for (std::wstring folder = root;;) {
        const size_t left = length - folder.size() - 2 - wcslen(file); // for one more name
        folder += L'\\' + std::wstring(left > 255 ? 200 : left, L'd');
        CreateDirectoryW(folder.c_str(), nullptr);
        made.push_back(folder);
        if (left <= 255)
            return folder + L'\\' + file;
    }
}

// Image paths past MAX_PATH read into the host's own string: 2,048 characters in the \\?\ form (a
// block of 4 KB and more, which a Visual C++ string aligns), about 32,000 characters, and relative paths
// whose full form just fits, or just does not fit, the 1,024 characters the library makes it in.
void LongImagePaths()
{
    wchar_t previous[MAX_PATH], temp[MAX_PATH], current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous), GetTempPathW(MAX_PATH, temp);
    SetCurrentDirectoryW(temp), GetCurrentDirectoryW(MAX_PATH, current);
    const std::wstring base = std::wstring(current) + L"\\", root = L"\\\\?\\" + base + L"tessary-host-paths";
    std::vector<std::wstring> folders{root}, files;
    CreateDirectoryW(root.c_str(), nullptr);
    const uint32_t green = 0xFF00FF00;
    const auto written = [&](const std::wstring& path) {
        CHECK(WriteBitmapAt(path, 1, 1, &green));
        files.push_back(path);
        return path;
    };
    const std::wstring deep = written(NestedFile(root, 2048, L"p.bmp", folders));
    // Wine opens no \\?\ path longer than a Unix path may be (4,096 bytes): this one reaches its file
    // through .\ segments, which the path parser removes (on Windows past MAX_PATH with the long-path opt-in).
    std::wstring dotted = base + L"tessary-host-paths\\";
    written(L"\\\\?\\" + dotted + L"p.bmp");
    while (dotted.size() < 32000)
        dotted += L".\\";
    dotted += L"p.bmp";
    // Relative to the current directory; their full forms are 1,023 and 1,024 characters long.
    const size_t prefix = 4 + base.size(); // \\?\ and the current directory
    const std::wstring fits = written(NestedFile(root, 4 + 1023, L"f.bmp", folders)).substr(prefix);
    const std::wstring tooLong = written(NestedFile(root, 4 + 1024, L"t.bmp", folders)).substr(prefix);
    CHECK(deep.size() == 2048 && dotted.size() > 32000 && base.size() + fits.size() == 1023);

    Class_QUOR* windowObject = Make(CreateInstance_ZkWindowD2D);
    auto* window = Query<Class_ZkWindow>(windowObject, ZK_FOURCC_WINDOW);
    CREATESTRUCTW block{nullptr, GetModuleHandleW(nullptr), nullptr, nullptr, 8, 8, 0, 0, 0, L"", L"TessaryHostTest", 0};
    const ZkWindowCreateInfo w{ZK_FOURCC_WINDOW, 76, 0, &block, WS_POPUP, 0, 0, nullptr, nullptr, nullptr, nullptr,
                               SW_HIDE, 0};
    CHECK_EQ(window->Create(&w), ZK_OK);
    const HWND handle = window->GetWindowHandle();
    const struct {
        const std::wstring& given;
        std::wstring stored; // empty: refused
    } cases[] = {{deep, deep}, {dotted, dotted}, {fits, base + fits}, {tooLong, L""}};
    HostString path(L"a"); // grows into blocks of 4 KB and more, and frees them again
    for (const auto& c : cases) {
        Class_QUOR* imageObject = Make(CreateInstance_ZkImageD2D);
        const ZkImageCreateInfo i{ZK_FOURCC_IMAGE, 28, 0, c.given.c_str(), reinterpret_cast<uint64_t>(handle)};
        const std::wstring before = path.Text();
        auto* image = Query<Class_ZkImage>(imageObject, ZK_FOURCC_IMAGE);
        if (c.stored.empty()) { // the file is there; the library makes no full path past its buffer
            CHECK(imageObject->Create(&i) == ZK_FAIL && image->GetFilePath(path.Pointer()) == ZK_FAIL);
            CHECK(path.Text() == before);
        } else {
            CHECK(imageObject->Create(&i) == ZK_OK && Pixels(imageObject, 1, 1)[0] == green);
            CHECK(image->GetFilePath(path.Pointer()) == ZK_OK && path.Text() == c.stored);
        }
        image->Release();
        CHECK_EQ(imageObject->Release(), 0u);
    }
    window->Release();
    CHECK(windowObject->ResetData() == 0 && windowObject->Release() == 0);
    DestroyWindow(handle);
    for (const std::wstring& file : files)
        DeleteFileW(file.c_str());
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        RemoveDirectoryW(folder->c_str());
    SetCurrentDirectoryW(previous);
}

} // namespace

int wmain()
{
    tessary_test::StartGdiplusAndCom();
    RUN(ExportsAgreeWithTheirOrdinals);
    RUN(QueryInterfaceMatrixAndReferenceCounts);
    RUN(SlotsAndPartsOfOneObject);
    RUN(CreateRecordChecksComeFirstAndChangeNothing);
    RUN(EverySlotOnCreatedObjects);
    RUN(LongImagePaths);
    UninitializeTessaryInternal();
    std::printf(failures ? "%d check(s) failed\n" : "all host checks passed\n", failures);
    return failures ? 1 : 0;
}
