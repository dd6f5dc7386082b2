// velorin --language: each catalogue covers every text the program draws,
// holds none it does not, and each translation ends no further right than
// the Russian text it stands in for, at every desktop size.

#include "app/CommandLine.hpp"
#include "support/ScreenFixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
bool hasCyrillic(const std::wstring& text)
{
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x0400 && c <= 0x04FF; });
}

TEST(Language, EachCatalogueTranslatesEveryRussianTextAndNoneIsStale)
{
    // The Russian program asks its empty catalogue for every text it draws.
    ScreenFixture russian(1920, 1080);
    std::vector<std::wstring> drawn;
    for (const std::wstring& text : russian.app().catalogue.untranslated())
        if (hasCyrillic(text))
            drawn.push_back(text);
    ASSERT_GE(drawn.size(), 40u); // menu, buttons, captions, axes, pages

    ASSERT_FALSE(catalogueLanguages().empty());
    for (const std::string& language : catalogueLanguages())
    {
        ScreenFixture translated(1920, 1080, 7, 0, language);
        const Catalogue& words = translated.app().catalogue;
        for (const std::wstring& text : drawn)
            EXPECT_NE(words(text.c_str()), text) << language << ": " << toUtf8(text) << " has no translation";
        EXPECT_EQ(words.size(), drawn.size())
            << "po/" << language << ".po translates texts the program no longer draws";
        for (const std::wstring& text : words.untranslated())
            EXPECT_FALSE(hasCyrillic(text)) << language << ": " << toUtf8(text) << " stays Russian";
    }
}

// The texts that stand together: a multi-line caption is one block, whose
// widest line counts.
std::vector<std::vector<const sf::Text*>> textBlocks(const App& app)
{
    std::vector<std::vector<const sf::Text*>> blocks;
    for (const Button& button : app.buttons)
        blocks.push_back({&button.label});
    for (const Slider& slider : app.sliders.sliders)
        blocks.push_back({&slider.label});
    blocks.push_back({&app.sliders.heading});
    blocks.push_back({&app.potentialHeading});
    blocks.push_back({&app.graph.graphTitle});
    blocks.push_back({&app.histogram.meanCaption});
    const HistogramPanel& h = app.histogram;
    blocks.push_back({&h.sigmaCaption[0], &h.sigmaCaption[1], &h.sigmaCaption[2]});
    blocks.push_back({&h.xAxisTitle[0], &h.xAxisTitle[1], &h.xAxisTitle[2], &h.xAxisTitle[3]});
    blocks.push_back({&h.yAxisTitle[0], &h.yAxisTitle[1], &h.yAxisTitle[2]});
    blocks.push_back({&app.theory.theoryCaption});
    blocks.push_back({&app.theory.meanCaption});
    for (const sf::Text& text : app.pages.texts)
        blocks.push_back({&text});
    return blocks;
}

float rightEdge(const std::vector<const sf::Text*>& block)
{
    float right = 0.0f;
    for (const sf::Text* text : block)
        right = std::max(right, text->getGlobalBounds().left + text->getGlobalBounds().width);
    return right;
}

TEST(Language, EachTranslationEndsWhereTheRussianEnds)
{
    struct Size
    {
        unsigned width, height;
    };
    for (const Size size : {Size{1920, 1080}, Size{1280, 720}, Size{1024, 768}})
    {
        ScreenFixture russian(size.width, size.height);
        const auto russianBlocks = textBlocks(russian.app());
        for (const std::string& language : catalogueLanguages())
        {
            ScreenFixture translated(size.width, size.height, 7, 0, language);
            const auto translatedBlocks = textBlocks(translated.app());
            for (std::size_t i = 0; i < russianBlocks.size(); ++i)
                // Glyph spacing aside: "Authors" ends 2 pixels after "Авторы".
                EXPECT_LE(rightEdge(translatedBlocks[i]), rightEdge(russianBlocks[i]) + 3.0f)
                    << language << " at " << size.width << "x" << size.height << ": \""
                    << toUtf8(translatedBlocks[i].front()->getString().toWideString()) << "\" runs past \""
                    << toUtf8(russianBlocks[i].front()->getString().toWideString()) << "\"";
        }
    }
}
} // namespace
