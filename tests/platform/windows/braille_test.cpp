// Braille on Windows: the panel window's title, which the screen reader shows.

#include "platform/windows/title_braille.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace vantor {
namespace {

constexpr char kTitle[] = "*** Vantor braille window ***";

std::wstring titleOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

TEST(TitleBraille, EachTextBecomesTheWindowsTitle) {
    WindowsScreen screen;
    TitleBraille braille(&screen);
    std::string why;
    ASSERT_TRUE(braille.open(why)) << why;
    ASSERT_TRUE(screen.openWindow(250, 100, 400, 200, kTitle));
    const HWND window = ::FindWindowW(nullptr, L"*** Vantor braille window ***");
    ASSERT_NE(window, nullptr);
    const struct {
        const char* name;
        std::string text;
        std::wstring title;
    } cases[] = {
        {"plain", "14.250.00 USB", L"14.250.00 USB"},
        {"UTF-8", "J\xc3\xbcrgen \xd0\x96", L"J\u00fcrgen \u0416"},
        {"invalid bytes", "a\xff" "b", L"a\ufffd" "b"},
        {"a NUL inside", std::string("memory\0 12", 10), L"memory"},
        {"nothing", "", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        braille.show(c.text);
        EXPECT_EQ(titleOf(window), c.title);
    }
}

TEST(TitleBraille, TextShownBeforeTheWindowOpensIsItsTitle) {
    WindowsScreen screen;
    TitleBraille braille(&screen);
    braille.show("connecting \xd0\x96");
    ASSERT_TRUE(screen.openWindow(250, 100, 400, 200, kTitle));
    const HWND window = ::FindWindowW(nullptr, L"connecting \u0416");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::FindWindowW(nullptr, L"*** Vantor braille window ***"), nullptr);
    // A window opened again keeps it.
    screen.closeWindow();
    ASSERT_TRUE(screen.openWindow(250, 100, 400, 200, kTitle));
    EXPECT_NE(::FindWindowW(nullptr, L"connecting \u0416"), nullptr);
}

TEST(TitleBraille, WithoutAScreenItDoesNotOpen) {
    TitleBraille braille(nullptr);
    std::string why;
    EXPECT_FALSE(braille.open(why));
    EXPECT_FALSE(why.empty());
    braille.show("nowhere");
}

}  // namespace
}  // namespace vantor
