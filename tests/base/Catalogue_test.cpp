#include "base/Catalogue.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{
using Messages = std::vector<std::pair<std::string, std::string>>;

void put(std::string& bytes, std::uint32_t value, bool bigEndian)
{
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>(value >> 8 * (bigEndian ? 3 - i : i) & 0xFF);
}

// A compiled catalogue as msgfmt lays it out: header, the two tables of
// (length, offset), then the strings each closed by a NUL.
std::string moFile(const Messages& messages, bool bigEndian = false)
{
    const auto count = static_cast<std::uint32_t>(messages.size());
    const std::uint32_t originals = 28, translations = originals + 8 * count;
    std::uint32_t offset = translations + 8 * count;
    std::string bytes, strings;
    put(bytes, 0x950412de, bigEndian);
    for (std::uint32_t value : {0u, count, originals, translations, 0u, 0u})
        put(bytes, value, bigEndian);
    for (int column = 0; column < 2; ++column)
        for (const auto& [original, translation] : messages)
        {
            const std::string& text = column == 0 ? original : translation;
            put(bytes, static_cast<std::uint32_t>(text.size()), bigEndian);
            put(bytes, offset, bigEndian);
            strings += text + '\0';
            offset += static_cast<std::uint32_t>(text.size()) + 1;
        }
    return bytes + strings;
}

const Messages english = {{"", "Content-Type: text/plain; charset=UTF-8\n"},
                          {"Выход", "Exit"},
                          {"«Статистическая физика»", "“Statistical Physics”"}};

TEST(Catalogue, TranslatesWhatItHoldsAndLeavesTheRestAsWritten)
{
    for (const bool bigEndian : {false, true})
    {
        std::string why;
        const std::optional<Catalogue> catalogue = Catalogue::parse(moFile(english, bigEndian), why);
        ASSERT_TRUE(catalogue) << why;
        EXPECT_EQ(catalogue->size(), 2u); // the header is no text
        EXPECT_EQ((*catalogue)(L"Выход"), L"Exit");
        EXPECT_EQ((*catalogue)(L"«Статистическая физика»"), L"“Statistical Physics”");
        EXPECT_EQ((*catalogue)(L"U(R) = 0"), L"U(R) = 0");
        EXPECT_EQ((*catalogue)(L"Пауза"), L"Пауза");
        EXPECT_EQ(catalogue->untranslated(), (std::set<std::wstring>{L"U(R) = 0", L"Пауза"}));
    }
}

TEST(Catalogue, EmptySpeaksRussian)
{
    const Catalogue russian;
    EXPECT_EQ(russian(L"Выход"), L"Выход");
}

TEST(Catalogue, RefusesWhatIsNotACatalogue)
{
    const std::string good = moFile(english);
    std::string wrongMagic = good;
    wrongMagic[0] = 'x';
    std::string newRevision = good;
    newRevision[6] = 1; // major revision 1
    std::string offsetPastEnd = good;
    offsetPastEnd[28 + 8 + 4 + 3] = 0x7F; // the second original's offset
    std::string unclosed = good;
    unclosed.back() = 'x';
    const std::pair<std::string, std::string> cases[] = {
        {"", "too short"},
        {good.substr(0, 19), "too short"},
        {wrongMagic, "not a compiled gettext catalogue"},
        {newRevision, "revision"},
        {good.substr(0, 40), "damaged"},
        {offsetPastEnd, "damaged"},
        {unclosed, "damaged"},
        {moFile({{"Выход", "\xFF\xFE"}}), "damaged"},
    };
    for (const auto& [bytes, reason] : cases)
    {
        std::string why;
        EXPECT_FALSE(Catalogue::parse(bytes, why)) << reason;
        EXPECT_NE(why.find(reason), std::string::npos) << why;
    }
}

TEST(Catalogue, ReadSaysWhenTheFileIsMissing)
{
    std::string why;
    EXPECT_FALSE(Catalogue::read("no/such/velorin.mo", why));
    EXPECT_EQ(why, "cannot be read");
    EXPECT_EQ(catalogueFile("en"), std::filesystem::path("locale/en/LC_MESSAGES/velorin.mo"));
}

TEST(Catalogue, Utf8BothWays)
{
    for (const std::wstring text : {L"", L"sigma / E", L"Флуктуации", L"«»“”", L"\U0001F600"})
        EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    for (const char* broken : {"\x80", "\xD0", "\xE2\x80", "\xD0\x41", "\xF8\x80\x80\x80\x80"})
        EXPECT_FALSE(fromUtf8(broken)) << broken;
}
} // namespace
