// velorin --language en: the English catalogue covers every text the
// program draws, and holds none it does not.

#include "support/ScreenFixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
bool hasCyrillic(const std::wstring& text)
{
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x0400 && c <= 0x04FF; });
}

TEST(English, EveryRussianTextHasATranslationAndNoneIsStale)
{
    // The Russian program asks its empty catalogue for every text it draws.
    ScreenFixture russian(1920, 1080);
    std::vector<std::wstring> drawn;
    for (const std::wstring& text : russian.app().catalogue.untranslated())
        if (hasCyrillic(text))
            drawn.push_back(text);
    ASSERT_GE(drawn.size(), 40u); // menu, buttons, captions, axes, pages

    ScreenFixture english(1920, 1080, 7, 0, "en");
    const Catalogue& words = english.app().catalogue;
    for (const std::wstring& text : drawn)
        EXPECT_NE(words(text.c_str()), text) << toUtf8(text) << " has no English";
    EXPECT_EQ(words.size(), drawn.size()) << "po/en.po translates texts the program no longer draws";
    for (const std::wstring& text : words.untranslated())
        EXPECT_FALSE(hasCyrillic(text)) << toUtf8(text) << " stays Russian on the English screens";
}
} // namespace
