// The private font registry counts adds and removes per exact path.
#include "support/library_fixture.h"
#include "text/private_fonts.h"
#include <Tessary.h>

using tessary::PrivateFontRegistry;

TEST(PrivateFonts, AddsAndRemovesAreCountedPerExactPath)
{
    tessary_test::StartHostEnvironment(); // no initialise: the registry works without it
    PrivateFontRegistry().clear();

    Tessary_AddPrivateFont(L"C:\\fonts\\a.ttf");
    Tessary_AddPrivateFont(L"C:\\fonts\\a.ttf");
    Tessary_AddPrivateFont(L"C:\\FONTS\\A.TTF"); // case-sensitive: another entry
    ASSERT_EQ(PrivateFontRegistry().size(), 2u);
    EXPECT_EQ(PrivateFontRegistry().at(L"C:\\fonts\\a.ttf"), 2);

    Tessary_RemovePrivateFont(L"C:\\fonts\\a.ttf");
    EXPECT_EQ(PrivateFontRegistry().at(L"C:\\fonts\\a.ttf"), 1) << "stays until removed as often as added";
    Tessary_RemovePrivateFont(L"C:\\fonts\\a.ttf");
    EXPECT_EQ(PrivateFontRegistry().count(L"C:\\fonts\\a.ttf"), 0u);

    Tessary_RemovePrivateFont(L"never-added.ttf");
    Tessary_RemovePrivateFont(nullptr);
    Tessary_AddPrivateFont(nullptr);
    EXPECT_EQ(PrivateFontRegistry().size(), 1u);

    // Initialise and uninitialise leave the registry alone.
    ASSERT_EQ(InitializeTessaryInternal(), 1u);
    UninitializeTessaryInternal();
    EXPECT_EQ(PrivateFontRegistry().size(), 1u);
    PrivateFontRegistry().clear();
}
