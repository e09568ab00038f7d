// tessary.dll driven exactly as a host drives it: LoadLibraryW, exports by ordinal, interfaces by FourCC.
#include "tessary_module.h"
#include <gtest/gtest.h>
#include <cstring>

using tessary_test::TessaryModule;

namespace {

TessaryModule& Tessary()
{
    static TessaryModule module;
    static bool loaded = [] {
        tessary_test::StartGdiplusAndCom();
        return module.Load();
    }();
    EXPECT_TRUE(loaded) << "tessary.dll or one of its nine exports is missing";
    return module;
}

struct Initialised {
    Initialised() { EXPECT_EQ(Tessary().initialize(), 1u); }
    ~Initialised() { Tessary().uninitialize(); }
};

template <class T = void>
T* Query(Class_QUOR* object, uint32_t fourcc, uint32_t* status = nullptr)
{
    void* out = reinterpret_cast<void*>(0x1); // the base must overwrite it on failure too
    const uint32_t result = object->QueryInterface(fourcc, &out);
    if (status)
        *status = result;
    return static_cast<T*>(out);
}

} // namespace

TEST(HostExports, EveryNameAgreesWithItsOrdinal)
{
    const HMODULE module = Tessary().module;
    const struct {
        const char* name;
        int ordinal;
    } exports[] = {{"CreateInstance_ZkGraphicSurfaceD2D", 1}, {"CreateInstance_ZkImageD2D", 2},
                   {"CreateInstance_ZkWindowD2D", 3},          {"InitializeTessaryInternal", 11},
                   {"UninitializeTessaryInternal", 12},        {"SetDeviceLostHandlerTessaryInternal", 21},
                   {"OnDeviceLostTessaryInternal", 22},        {"Tessary_AddPrivateFont", 23},
                   {"Tessary_RemovePrivateFont", 24}};
    for (const auto& e : exports) {
        FARPROC byName = GetProcAddress(module, e.name);
        ASSERT_NE(byName, nullptr) << e.name;
        EXPECT_EQ(byName, GetProcAddress(module, MAKEINTRESOURCEA(e.ordinal))) << e.name;
    }
    for (int empty : {4, 5, 10, 13, 20, 25})
        EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(empty)), nullptr) << "ordinal " << empty;
}

TEST(HostLifecycle, InitialiseAndUninitialiseInAnyOrder)
{
    TessaryModule& t = Tessary();
    t.uninitialize(); // never initialised: harmless
    t.uninitialize();
    EXPECT_EQ(t.initialize(), 1u);
    EXPECT_EQ(t.initialize(), 1u) << "a second initialise reports success";
    t.uninitialize();
    t.uninitialize();
    EXPECT_EQ(t.initialize(), 1u) << "uninitialise returns to the loaded state, from which initialise starts afresh";
    t.uninitialize();
}

TEST(HostFactories, NullOutPointerIsRefused)
{
    EXPECT_EQ(Tessary().createSurface(nullptr), ZK_FAIL);
    EXPECT_EQ(Tessary().createImage(nullptr), ZK_FAIL);
    EXPECT_EQ(Tessary().createWindow(nullptr), ZK_FAIL);
}

TEST(HostInterfaces, QueryInterfaceMatrixAndReferenceCounts)
{
    Initialised library;
    struct Case {
        uint32_t (*factory)(void**);
        uint32_t answered[4];
        uint32_t refused[5];
    };
    const uint32_t unknown = ZkFourCC("ABCD");
    const Case cases[] = {
        {Tessary().createSurface,
         {ZK_FOURCC_SURFACE, ZK_FOURCC_SURFACE_IMPL, 0, 0},
         {ZK_FOURCC_IMAGE, ZK_FOURCC_IMAGE_IMPL, ZK_FOURCC_WINDOW, ZK_FOURCC_WINDOW_IMPL, unknown}},
        {Tessary().createImage,
         {ZK_FOURCC_IMAGE, ZK_FOURCC_IMAGE_IMPL, ZK_FOURCC_SURFACE, ZK_FOURCC_SURFACE_IMPL},
         {ZK_FOURCC_WINDOW, ZK_FOURCC_WINDOW_IMPL, unknown, 0, 0}},
        {Tessary().createWindow,
         {ZK_FOURCC_WINDOW, ZK_FOURCC_WINDOW_IMPL, ZK_FOURCC_SURFACE, ZK_FOURCC_SURFACE_IMPL},
         {ZK_FOURCC_IMAGE, ZK_FOURCC_IMAGE_IMPL, unknown, 0, 0}},
    };
    for (const Case& c : cases) {
        void* raw = nullptr;
        ASSERT_EQ(c.factory(&raw), ZK_OK);
        auto* object = static_cast<Class_QUOR*>(raw);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->GetRefCount(), 1u) << "a factory-made object holds one reference";
        EXPECT_EQ(object->IsCreated(), 0u);

        uint32_t expectedCount = 1;
        for (uint32_t fourcc : c.answered) {
            if (!fourcc)
                continue;
            uint32_t status = 1;
            void* part = Query(object, fourcc, &status);
            EXPECT_EQ(status, ZK_OK);
            EXPECT_NE(part, nullptr);
            EXPECT_EQ(object->GetRefCount(), ++expectedCount) << "each answer adds one reference";
        }
        for (uint32_t fourcc : c.refused) {
            if (!fourcc)
                continue;
            uint32_t status = 0;
            void* part = Query(object, fourcc, &status);
            EXPECT_EQ(status, QUOR_E_NOINTERFACE);
            EXPECT_EQ(part, nullptr);
            EXPECT_EQ(object->GetRefCount(), expectedCount) << "a refusal adds no reference";
        }
        // The host releases every pointer it obtained; the last release destroys the object.
        while (expectedCount > 1)
            EXPECT_EQ(object->Release(), --expectedCount);
        EXPECT_EQ(object->Release(), 0u);
    }
}

TEST(HostInterfaces, PartsOfOneObjectAreTheSameObject)
{
    Initialised library;
    void* raw = nullptr;
    ASSERT_EQ(Tessary().createImage(&raw), ZK_OK);
    auto* object = static_cast<Class_QUOR*>(raw);
    auto* image = Query<Class_ZkImage>(object, ZK_FOURCC_IMAGE);
    auto* surface = Query<Class_ZkGraphicSurface>(object, ZK_FOURCC_SURFACE);
    EXPECT_EQ(surface, static_cast<Class_ZkGraphicSurface*>(image));
    EXPECT_EQ(static_cast<Class_QUOR*>(surface), object);
    // Drawing slots reached through the surface part of an image answer for the image.
    SIZE size{};
    EXPECT_EQ(surface->GetSize(&size), ZK_FAIL) << "not created yet";
    EXPECT_EQ(surface->Reserved0(), ZK_FAIL);
    surface->Release();
    image->Release();
    EXPECT_EQ(object->Release(), 0u);

    ASSERT_EQ(Tessary().createWindow(&raw), ZK_OK);
    object = static_cast<Class_QUOR*>(raw);
    auto* window = Query<Class_ZkWindow>(object, ZK_FOURCC_WINDOW);
    surface = Query<Class_ZkGraphicSurface>(object, ZK_FOURCC_SURFACE);
    EXPECT_EQ(surface, static_cast<Class_ZkGraphicSurface*>(window));
    EXPECT_EQ(window->GetWindowHandle(), nullptr);
    EXPECT_EQ(window->Present(), ZK_E_WINDOW_NOT_CREATED);
    surface->Release();
    window->Release();
    EXPECT_EQ(object->Release(), 0u);
}

TEST(HostCreate, RecordChecksComeFirstAndChangeNothing)
{
    Initialised library;
    void* raw = nullptr;

    ASSERT_EQ(Tessary().createSurface(&raw), ZK_OK);
    auto* surface = static_cast<Class_QUOR*>(raw);
    ZkSurfaceCreateInfo s{ZK_FOURCC_SURFACE_IMPL, 28, 0, 100, 50, 0x1234};
    EXPECT_EQ(surface->Create(&s), ZK_E_WRONG_FOURCC);
    s.fourcc = ZK_FOURCC_SURFACE;
    s.size = 27;
    EXPECT_EQ(surface->Create(&s), ZK_E_WRONG_SIZE);
    s.size = 32;
    EXPECT_EQ(surface->Create(&s), ZK_E_WRONG_SIZE);
    s.size = 28;
    EXPECT_EQ(surface->Create(&s), ZK_FAIL) << "no window target is registered under the key";
    EXPECT_EQ(surface->Create(nullptr), ZK_FAIL);
    EXPECT_EQ(surface->IsCreated(), 0u);
    EXPECT_EQ(surface->Release(), 0u);

    ASSERT_EQ(Tessary().createImage(&raw), ZK_OK);
    auto* image = static_cast<Class_QUOR*>(raw);
    ZkImageCreateInfo i{ZK_FOURCC_SURFACE, 28, 0, L"missing.png", 0x1234};
    EXPECT_EQ(image->Create(&i), ZK_E_WRONG_FOURCC);
    i.fourcc = ZK_FOURCC_IMAGE;
    i.size = 32;
    EXPECT_EQ(image->Create(&i), ZK_E_WRONG_SIZE);
    i.size = 28;
    EXPECT_EQ(image->Create(&i), ZK_FAIL) << "the file does not exist";
    auto* imageInterface = Query<Class_ZkImage>(image, ZK_FOURCC_IMAGE);
    std::wstring path = L"untouched";
    EXPECT_EQ(imageInterface->GetFilePath(&path), ZK_FAIL);
    EXPECT_EQ(path, L"untouched");
    imageInterface->Release();
    EXPECT_EQ(image->IsCreated(), 0u);
    EXPECT_EQ(image->Release(), 0u);

    ASSERT_EQ(Tessary().createWindow(&raw), ZK_OK);
    auto* window = static_cast<Class_QUOR*>(raw);
    ZkWindowCreateInfo w{};
    w.fourcc = ZK_FOURCC_SURFACE;
    w.size = 76;
    EXPECT_EQ(window->Create(&w), ZK_E_WINDOW_WRONG_FOURCC);
    w.fourcc = ZK_FOURCC_WINDOW;
    w.size = 80;
    EXPECT_EQ(window->Create(&w), ZK_E_WINDOW_WRONG_SIZE);
    EXPECT_EQ(window->IsCreated(), 0u);
    EXPECT_EQ(window->Release(), 0u);
}

TEST(HostDeviceLoss, RecoveryReportsObjectsThatCannotBeRebuilt)
{
    Initialised library;
    EXPECT_EQ(Tessary().onDeviceLost(), 1u) << "nothing registered: nothing can fail";

    void* raw = nullptr;
    ASSERT_EQ(Tessary().createSurface(&raw), ZK_OK);
    auto* neverCreated = static_cast<Class_QUOR*>(raw);
    EXPECT_EQ(Tessary().onDeviceLost(), 0u) << "a surface that was never created cannot be rebuilt";

    // Releasing it destroys it and takes it out of the walk.
    EXPECT_EQ(neverCreated->Release(), 0u);
    EXPECT_EQ(Tessary().onDeviceLost(), 1u);
}

namespace {

// The vtable byte offset of a virtual member function, as g++'s pointer-to-member encodes it (offset + 1).
template <class F>
ptrdiff_t SlotOf(F member)
{
    ptrdiff_t raw[2];
    static_assert(sizeof(member) == sizeof(raw));
    memcpy(raw, &member, sizeof(raw));
    return (raw[0] - 1) / static_cast<ptrdiff_t>(sizeof(void*));
}

} // namespace

TEST(HostInterfaces, DrawingOperationsSitAtSlotsZeroToTwenty)
{
    using S = Class_ZkGraphicSurface;
    const ptrdiff_t slots[] = {
        SlotOf(&S::Reserved0),     SlotOf(&S::Reserved1),      SlotOf(&S::DrawTo),         SlotOf(&S::DrawToAlpha),
        SlotOf(&S::DrawToScaled),  SlotOf(&S::FillRect),       SlotOf(&S::ClearRegion),    SlotOf(&S::ClearRect),
        SlotOf(&S::DrawText),      SlotOf(&S::LockAlphaMask),  SlotOf(&S::UnlockAlphaMask), SlotOf(&S::GetSize),
        SlotOf(&S::Resize),        SlotOf(&S::SetBltRect),     SlotOf(&S::GetBltRect),     SlotOf(&S::SetClipRegion),
        SlotOf(&S::GetClipRegion), SlotOf(&S::CreateAlphaRegion), SlotOf(&S::SetUpdateOnClear), SlotOf(&S::MeasureText),
        SlotOf(&S::GetGdiplusBitmap)};
    for (ptrdiff_t i = 0; i < 21; ++i)
        EXPECT_EQ(slots[i], i) << "drawing operation " << i;

    using W = Class_ZkWindow;
    const ptrdiff_t window[] = {
        SlotOf(&W::SetMessageHandler), SlotOf(&W::RemoveMessageHandler), SlotOf(&W::SuspendMessageHandler),
        SlotOf(&W::ResumeMessageHandler), SlotOf(&W::Present), SlotOf(&W::Invalidate), SlotOf(&W::GetWindowHandle),
        SlotOf(&W::IsActive), SlotOf(&W::GetInstanceHandle), SlotOf(&W::SetWindowCursor), SlotOf(&W::SetClientSize),
        SlotOf(&W::SetOpacity), SlotOf(&W::GetOpacity), SlotOf(&W::SendWindowMessage), SlotOf(&W::SetShape),
        SlotOf(&W::Reserved15)};
    for (ptrdiff_t i = 1; i < 16; ++i)
        EXPECT_EQ(window[i], window[0] + i) << "window operation " << i << " follows its predecessor";
}
