// The component base as Tessary relies on it: references, interface registration, the object lock.
#include "support/library_fixture.h"
#include "surface/surface.h"
#include <Tessary.h>
#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Counted : Class_QUOR {
    static inline int destroyed = 0;
    Counted() { SetCoreData(this, sizeof(*this), ZkFourCC("TEST")); }
    ~Counted() override { ++destroyed; }
};

std::vector<QuillonInterfaceRecord> Registrations(Class_QUOR* owner)
{
    const auto get = tessary_test::Quillon().getInterfaces;
    std::vector<QuillonInterfaceRecord> records(get(owner, nullptr, 0));
    get(owner, records.data(), static_cast<uint32_t>(records.size()));
    return records;
}

} // namespace

TEST(ComponentBase, ObjectsRegisterTheirPartsInOrderOnFirstQuery)
{
    tessary_test::StartHostEnvironment();
    void* raw = nullptr;
    ASSERT_EQ(CreateInstance_ZkWindowD2D(&raw), 0u);
    auto* object = static_cast<Class_QUOR*>(raw);
    EXPECT_TRUE(Registrations(object).empty()) << "nothing registered before the first query";

    void* unknown = nullptr;
    object->QueryInterface(ZkFourCC("NOPE"), &unknown); // reaches the base, which registers the parts
    void *window = nullptr, *surface = nullptr, *impl = nullptr, *windowImpl = nullptr;
    object->QueryInterface(ZK_FOURCC_WINDOW, &window);
    object->QueryInterface(ZK_FOURCC_SURFACE, &surface);
    object->QueryInterface(ZK_FOURCC_SURFACE_IMPL, &impl);
    std::vector<std::pair<uint32_t, void*>> registered;
    for (const QuillonInterfaceRecord& r : Registrations(object))
        registered.emplace_back(r.fourcc, r.iface);
    object->QueryInterface(ZK_FOURCC_WINDOW_IMPL, &windowImpl); // after the reading: registers nothing new
    EXPECT_EQ(registered, (std::vector<std::pair<uint32_t, void*>>{
                              {ZK_FOURCC_WINDOW_IMPL, windowImpl}, {ZK_FOURCC_WINDOW, window},
                              {ZK_FOURCC_SURFACE, surface}, {ZK_FOURCC_SURFACE_IMPL, impl}}));
    for (int i = 0; i < 4; ++i) // window, surface and both impls
        object->Release();
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_TRUE(Registrations(object).empty());
}

TEST(ComponentBase, ObjectLockIsReentrantAndBlocksOtherThreadsAndTheLastReleaseDestroys)
{
    auto* object = new Counted;
    Counted::destroyed = 0;
    // Counts and refusals are the host test's (its query matrix); here the base's own registration.
    void* out = nullptr;
    EXPECT_EQ(object->QueryInterface(ZkFourCC("TEST"), nullptr), QUOR_E_POINTER);
    EXPECT_EQ(object->QueryInterface(ZkFourCC("TEST"), &out), QUOR_OK) << "the core FourCC is registered";
    EXPECT_TRUE(out == object && object->GetRefCount() == 2u);
    object->Release();
    const auto held = tessary_test::Quillon().heldLocks;
    const auto lastSite = tessary_test::Quillon().lastLockSite;
    ASSERT_TRUE(held && lastSite);
    const uint32_t before = held();

    ASSERT_EQ(LockObjectAt(object, L".\\ZkWindow", 136, L"May  5 2013", L"11:42:50"), 0u);
    ASSERT_EQ(LockObjectAt(object, L".\\ZkWindow", 163, L"May  5 2013", L"11:42:50"), 0u) << "re-entrant";
    QuillonLockSite site{};
    lastSite(&site);
    EXPECT_EQ(site.object, object);
    EXPECT_STREQ(site.file, L".\\ZkWindow");
    EXPECT_EQ(site.line, 163u);
    EXPECT_EQ(held(), before + 2);

    std::atomic<int> stage{0};
    std::thread other([&] {
        EXPECT_NE(object->TryLockObject(), 0u) << "held by the first thread";
        EXPECT_NE(UnlockObjectAt(object), 0u) << "only the owner may unlock";
        stage = 1;
        EXPECT_EQ(LockObjectAt(object, L".\\ZkWindow", 646, L"", L""), 0u); // blocks until released
        stage = 2;
        UnlockObjectAt(object);
    });
    while (stage.load() == 0)
        Sleep(1);
    Sleep(50);
    EXPECT_EQ(stage.load(), 1) << "the second thread must still be waiting";
    UnlockObjectAt(object);
    Sleep(20);
    EXPECT_EQ(stage.load(), 1) << "one entry is still held";
    UnlockObjectAt(object);
    other.join();
    EXPECT_EQ(stage.load(), 2);
    EXPECT_EQ(held(), before);

    // A refused lock owes no unlock.
    tessary_test::Quillon().refuseLocks(1);
    EXPECT_EQ(LockObjectAt(object, L".\\ZkWindow", 411, L"", L""), QUOR_LOCK_REFUSED);
    EXPECT_EQ(held(), before);
    EXPECT_EQ(LockObjectAt(object, L".\\ZkWindow", 411, L"", L""), 0u);
    // ... and an unlock after a refusal is a no-op: the lock held further out stays held.
    tessary_test::Quillon().refuseLocks(1);
    EXPECT_EQ(LockObjectAt(object, L".\\ZkWindow", 163, L"", L""), QUOR_LOCK_REFUSED);
    EXPECT_EQ(UnlockObjectAt(object), 0u);
    EXPECT_EQ(held(), before + 1);
    UnlockObjectAt(object);
    EXPECT_EQ(held(), before);

    // A null object takes the one process-wide lock, re-entrant for its thread.
    ASSERT_EQ(LockObjectAt(nullptr, L".\\ZkWindow", 646, L"", L""), 0u);
    ASSERT_EQ(LockObjectAt(nullptr, L".\\ZkWindow", 646, L"", L""), 0u);
    std::atomic<bool> locked{false};
    std::thread waiting([&] {
        LockObjectAt(nullptr, L".\\ZkWindow", 646, L"", L"");
        locked = true;
        UnlockObjectAt(nullptr);
    });
    Sleep(50);
    EXPECT_FALSE(locked.load()) << "held by the test's thread";
    EXPECT_EQ(UnlockObjectAt(nullptr), 0u);
    EXPECT_EQ(UnlockObjectAt(nullptr), 0u);
    waiting.join();
    EXPECT_TRUE(locked.load());
    EXPECT_EQ(held(), before);

    // Registering a pointer again under another owner moves it; a null pointer is refused.
    Counted second;
    int part = 0;
    EXPECT_EQ(RegisterInterface(nullptr, object, ZkFourCC("PART"), 0), QUOR_E_POINTER);
    EXPECT_EQ(RegisterInterface(&part, object, ZkFourCC("PART"), 0), QUOR_OK);
    EXPECT_EQ(RegisterInterface(&part, &second, ZkFourCC("PART"), 0), QUOR_OK);
    EXPECT_EQ(Registrations(&second).size(), 1u);
    UnregisterInterface(&part);
    HMODULE module = reinterpret_cast<HMODULE>(1);
    EXPECT_EQ(GetModuleByName(L"User32.dll", nullptr), QUOR_E_POINTER);
    EXPECT_EQ(GetModuleByName(nullptr, &module), QUOR_E_NOINTERFACE);
    EXPECT_EQ(module, nullptr);

    // The base's Create and ResetData set and clear the created flag; a count that reached 0 cannot
    // be raised again by SafeAddRef.
    EXPECT_EQ(object->Create(nullptr), QUOR_OK);
    EXPECT_EQ(object->IsCreated(), 1u);
    object->ResetData();
    EXPECT_EQ(object->IsCreated(), 0u);
    EXPECT_EQ(second.DecRef(), 0u);
    EXPECT_EQ(second.SafeAddRef(), 0u);

    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(Counted::destroyed, 1);
    EXPECT_TRUE(Registrations(object).empty()) << "destruction unregisters every interface";
}
