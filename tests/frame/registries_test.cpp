// The two registries and the device-loss walk over them.
#include "frame/registries.h"
#include "support/library_fixture.h"
#include "surface/surface.h"
#include "window/window.h"
#include <Tessary.h>
#include <vector>

using namespace tessary;

namespace {

std::vector<const void*> g_rebuilt;

uint32_t Rebuilt(const void* object, uint32_t result)
{
    g_rebuilt.push_back(object);
    return result;
}

// Windows and surfaces whose rebuild only records its turn and reports a chosen result.
struct RecordingWindow : Class_ZkWindowD2D {
    uint32_t result = 1;
    uint32_t RecreateWindowTarget() override { return Rebuilt(this, result); }
    uint32_t RecreateDeviceResources() override { return Rebuilt(static_cast<Class_ZkGraphicSurfaceD2D*>(this), 0); }
};

struct RecordingSurface : Class_ZkGraphicSurfaceD2D {
    uint32_t result = 0;
    uint32_t RecreateDeviceResources() override { return Rebuilt(static_cast<Class_ZkGraphicSurfaceD2D*>(this), result); }
};

auto* Fake(uintptr_t value) { return reinterpret_cast<ID2D1DCRenderTarget*>(value); }

} // namespace

class Registries : public ::testing::Test {
protected:
    void SetUp() override
    {
        tessary_test::StartHostEnvironment();
        ASSERT_EQ(InitializeTessaryInternal(), 1u);
    }
    void TearDown() override { UninitializeTessaryInternal(); }
};

TEST_F(Registries, WindowTargetsReplaceFindExactlyAndWalkInUnsignedOrder)
{
    auto* first = reinterpret_cast<Class_ZkWindowD2D*>(0x10);
    auto* second = reinterpret_cast<Class_ZkWindowD2D*>(0x20);
    RegisterWindowTarget(30, first, Fake(0x300));
    RegisterWindowTarget(30, second, Fake(0x301));
    ASSERT_EQ(WindowTargets().size(), 1u);
    EXPECT_EQ(WindowTargets().at(30).window, second);
    EXPECT_EQ(FindWindowTarget(30), Fake(0x301));

    RegisterWindowTarget(10, first, Fake(0x100));
    const uint64_t high = 0x8000000000000000ull; // negative as a signed number
    RegisterWindowTarget(high, first, Fake(0x800));
    EXPECT_EQ(FindWindowTarget(20), nullptr) << "never a neighbouring entry";
    EXPECT_EQ(FindWindowTarget(0), nullptr);

    std::vector<uint64_t> order;
    for (auto& [key, entry] : WindowTargets()) {
        EXPECT_EQ(entry.windowHandle, key);
        order.push_back(key);
    }
    EXPECT_EQ(order, (std::vector<uint64_t>{10, 30, high}));

    UnregisterWindowTarget(99); // not registered: nothing changes
    EXPECT_EQ(WindowTargets().size(), 3u);
    for (uint64_t key : order)
        UnregisterWindowTarget(key);
    EXPECT_EQ(FindWindowTarget(30), nullptr);
    EXPECT_TRUE(WindowTargets().empty());
}

TEST_F(Registries, ObjectsAreRegisteredFromConstructionToDestructionAndRebuiltAfterTheWindows)
{
    const size_t before = Objects().size();
    void* raw[3] = {};
    ASSERT_EQ(CreateInstance_ZkGraphicSurfaceD2D(&raw[0]), 0u);
    ASSERT_EQ(CreateInstance_ZkImageD2D(&raw[1]), 0u);
    ASSERT_EQ(CreateInstance_ZkWindowD2D(&raw[2]), 0u);
    EXPECT_EQ(Objects().size(), before + 3);
    for (void* r : raw) {
        void* part = nullptr;
        auto* object = static_cast<Class_QUOR*>(r);
        ASSERT_EQ(object->QueryInterface(ZK_FOURCC_SURFACE_IMPL, &part), 0u);
        auto* surfacePart = static_cast<Class_ZkGraphicSurfaceD2D*>(part);
        const auto found = Objects().find(reinterpret_cast<uintptr_t>(surfacePart));
        ASSERT_NE(found, Objects().end()) << "keyed by the address of the surface part";
        EXPECT_EQ(found->second, surfacePart);
        EXPECT_EQ(object->IsCreated(), 0u) << "registered although not created";
        object->Release();
    }
    uintptr_t previous = 0;
    for (auto& [address, object] : Objects()) {
        EXPECT_GT(address, previous) << "walked in ascending address order";
        previous = address;
    }
    for (void* r : raw)
        EXPECT_EQ(static_cast<Class_QUOR*>(r)->Release(), 0u);
    EXPECT_EQ(Objects().size(), before);

    // Device loss rebuilds windows by handle, then objects by address.
    RecordingWindow* windows[2] = {new RecordingWindow, new RecordingWindow};
    RecordingSurface* surfaces[3] = {new RecordingSurface, new RecordingSurface, new RecordingSurface};
    // Windows are keyed by handle: the second window gets the smaller handle and goes first.
    RegisterWindowTarget(0x200, windows[0], Fake(0x1));
    RegisterWindowTarget(0x100, windows[1], Fake(0x2));

    g_rebuilt.clear();
    EXPECT_EQ(OnDeviceLostTessaryInternal(), 1u);
    std::vector<const void*> expected{windows[1], windows[0]};
    for (auto& [address, object] : Objects())
        expected.push_back(object);
    EXPECT_EQ(g_rebuilt, expected) << "windows by handle, then every object (windows too) by address";

    // One object failing fails the call, and the others are still rebuilt.
    surfaces[1]->result = ZK_FAIL;
    g_rebuilt.clear();
    EXPECT_EQ(OnDeviceLostTessaryInternal(), 0u);
    EXPECT_EQ(g_rebuilt.size(), expected.size());

    // A window that cannot be rebuilt stops before any object, after trying every window.
    surfaces[1]->result = ZK_OK;
    windows[1]->result = 0;
    g_rebuilt.clear();
    EXPECT_EQ(OnDeviceLostTessaryInternal(), 0u);
    EXPECT_EQ(g_rebuilt, (std::vector<const void*>{windows[1], windows[0]}));

    UnregisterWindowTarget(0x100);
    UnregisterWindowTarget(0x200);
    for (auto* w : windows)
        EXPECT_EQ(static_cast<Class_QUOR*>(w)->Release(), 0u);
    for (auto* s : surfaces)
        EXPECT_EQ(static_cast<Class_QUOR*>(s)->Release(), 0u);
}
