// Initialise and uninitialise seen from inside: which context fields live when, and which registrations.
#include "frame/registries.h"
#include "support/library_fixture.h"
#include "support/softd2d_control.h"
#include <Tessary.h>
#include <array>
#include <utility>
#include <thread>

using tessary::Context;

namespace {

void ExpectNothingHeld()
{
    const tessary::LibraryContext& c = Context();
    EXPECT_EQ(c.initialised, 0u);
    EXPECT_EQ((std::array<const void*, 5>{c.memoryDC, c.fontGraphics, c.d2dFactory, c.dwriteFactory, c.wicFactory}),
              (std::array<const void*, 5>{})) << "device context, GDI+ graphics, Direct2D, DirectWrite, WIC";
}

// Whether the font collection loader and the font file loader are registered with DirectWrite's shared
// factory, asked by registering each again (and taking back a registration that succeeds).
std::pair<bool, bool> LoadersRegistered()
{
    IDWriteFactory* shared = nullptr;
    const tessary::LibraryContext& c = Context();
    if (FAILED(c.dwriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                     reinterpret_cast<IUnknown**>(&shared))))
        return {};
    const HRESULT collection = shared->RegisterFontCollectionLoader(c.fontCollectionLoader);
    const HRESULT file = shared->RegisterFontFileLoader(c.fontFileLoader);
    if (SUCCEEDED(collection))
        shared->UnregisterFontCollectionLoader(c.fontCollectionLoader);
    if (SUCCEEDED(file))
        shared->UnregisterFontFileLoader(c.fontFileLoader);
    shared->Release();
    return {collection == DWRITE_E_ALREADYREGISTERED, file == DWRITE_E_ALREADYREGISTERED};
}

} // namespace

TEST(Lifecycle, AttachFindsTheFactoriesAndCreatesTheLocks)
{
    tessary_test::StartHostEnvironment(); // the factory functions found are checked by every initialise
    EXPECT_EQ(Context().updateLayeredWindowIndirect,
              tessary_test::ProcAddress<tessary::UpdateLayeredWindowIndirectFn>(GetModuleHandleW(L"user32.dll"),
                                                                               "UpdateLayeredWindowIndirect"));
    // A second attach only counts.
    const uint32_t before = Context().attachCount;
    EXPECT_TRUE(tessary::ProcessAttach(nullptr));
    EXPECT_EQ(Context().attachCount, before + 1);
    tessary::ProcessDetach();
    EXPECT_EQ(Context().attachCount, before);
}

TEST(Lifecycle, SecondInitialiseCreatesNothingUninitialiseReleasesAllAndAFailedOneIsClean)
{
    tessary_test::StartHostEnvironment();
    UninitializeTessaryInternal();
    ExpectNothingHeld();

    ASSERT_EQ(InitializeTessaryInternal(), 1u);
    const tessary::LibraryContext& c = Context();
    ID2D1Factory* d2d = c.d2dFactory;
    IWICImagingFactory* wic = c.wicFactory;
    ASSERT_TRUE(c.memoryDC && c.fontGraphics && c.dwriteFactory && d2d && wic);

    wchar_t language[256] = {};
    GetLocaleInfoW(GetUserDefaultLCID(), LOCALE_SENGLISHLANGUAGENAME, language, 256);
    EXPECT_STREQ(c.userLocale, language) << "the English language name, not a locale code";

    EXPECT_EQ(InitializeTessaryInternal(), 1u);
    EXPECT_EQ(c.d2dFactory, d2d);
    EXPECT_EQ(c.wicFactory, wic);
    EXPECT_EQ(LoadersRegistered(), (std::pair(true, true)));

    ID2D1DCRenderTarget* target = nullptr;
    const D2D1_RENDER_TARGET_PROPERTIES properties = tessary_test::WindowTargetProperties();
    ASSERT_TRUE(SUCCEEDED(d2d->CreateDCRenderTarget(&properties, &target)));
    target->AddRef(); // our own reference, to watch the count
    tessary::RegisterWindowTarget(0x42, nullptr, target);
    UninitializeTessaryInternal();
    ExpectNothingHeld();
    EXPECT_EQ(LoadersRegistered(), (std::pair(false, false))) << "the shared factory may outlive the module";
    EXPECT_TRUE(tessary::WindowTargets().empty());
    EXPECT_EQ(target->Release(), 0u) << "uninitialise released the registry's reference";
    UninitializeTessaryInternal();
    ExpectNothingHeld();

    // Without COM, initialise fails cleanly and can be retried: a fresh thread has no COM apartment, so
    // creating the WIC factory fails at the last step.
    std::thread([] {
        EXPECT_EQ(InitializeTessaryInternal(), 0u);
        ExpectNothingHeld();
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        EXPECT_EQ(InitializeTessaryInternal(), 1u);
        EXPECT_NE(Context().wicFactory, nullptr);
        UninitializeTessaryInternal();
        CoUninitialize();
    }).join();
    ExpectNothingHeld();
}
