#include "base/Catalogue.hpp"

#include <fstream>
#include <iterator>

namespace
{
constexpr std::uint32_t moMagic = 0x950412de;
constexpr std::uint32_t moMagicSwapped = 0xde120495;

std::uint32_t word(const std::string& bytes, std::size_t at, bool swapped)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
    {
        const auto byte = static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(swapped ? i : 3 - i)]);
        value = value << 8 | byte;
    }
    return value;
}
} // namespace

std::optional<Catalogue> Catalogue::parse(const std::string& bytes, std::string& why)
{
    if (bytes.size() < 20)
    {
        why = "is too short to be a catalogue";
        return std::nullopt;
    }
    const std::uint32_t magic = word(bytes, 0, false);
    if (magic != moMagic && magic != moMagicSwapped)
    {
        why = "is not a compiled gettext catalogue";
        return std::nullopt;
    }
    const bool swapped = magic == moMagicSwapped;
    if (word(bytes, 4, swapped) >> 16 != 0)
    {
        why = "has a catalogue revision this program does not read";
        return std::nullopt;
    }
    const std::uint64_t count = word(bytes, 8, swapped);
    const std::uint64_t originals = word(bytes, 12, swapped);
    const std::uint64_t translations = word(bytes, 16, swapped);
    // A string: its length and offset, 8 bytes in a table; its bytes and a
    // closing NUL inside the file.
    const auto string = [&](std::uint64_t table, std::uint64_t i) -> std::optional<std::string>
    {
        const std::uint64_t entry = table + 8 * i;
        if (entry + 8 > bytes.size())
            return std::nullopt;
        const std::uint64_t length = word(bytes, entry, swapped), offset = word(bytes, entry + 4, swapped);
        if (offset + length >= bytes.size() || bytes[offset + length] != '\0')
            return std::nullopt;
        return bytes.substr(offset, length);
    };
    Catalogue catalogue;
    for (std::uint64_t i = 0; i < count; ++i)
    {
        std::optional<std::string> original = string(originals, i), translation = string(translations, i);
        if (!original || !translation || !fromUtf8(*original) || !fromUtf8(*translation))
        {
            why = "is damaged (message " + std::to_string(i) + ")";
            return std::nullopt;
        }
        if (original->empty()) // the header
            continue;
        // Plural forms: the singular stands for both.
        original->resize(original->find('\0') == std::string::npos ? original->size() : original->find('\0'));
        translation->resize(translation->find('\0') == std::string::npos ? translation->size()
                                                                         : translation->find('\0'));
        catalogue.translations_.emplace(std::move(*original), std::move(*translation));
    }
    return catalogue;
}

std::optional<Catalogue> Catalogue::read(const std::filesystem::path& file, std::string& why)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
    {
        why = "cannot be read";
        return std::nullopt;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
    {
        why = "cannot be read";
        return std::nullopt;
    }
    return parse(bytes, why);
}

std::wstring Catalogue::operator()(const wchar_t* text) const
{
    const std::wstring original(text);
    if (!translations_.empty())
    {
        const auto found = translations_.find(toUtf8(original));
        if (found != translations_.end())
            return *fromUtf8(found->second); // checked when read
    }
    untranslated_.insert(original);
    return original;
}

std::filesystem::path catalogueFile(const std::string& language)
{
    return std::filesystem::path("locale") / language / "LC_MESSAGES" / "velorin.mo";
}

std::string toUtf8(const std::wstring& text)
{
    std::string out;
    for (const wchar_t wide : text)
    {
        const auto c = static_cast<std::uint32_t>(wide);
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c < 0x800)
        {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::optional<std::wstring> fromUtf8(const std::string& text)
{
    std::wstring out;
    for (std::size_t i = 0; i < text.size();)
    {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        const int extra = lead < 0x80             ? 0
                          : (lead & 0xE0) == 0xC0 ? 1
                          : (lead & 0xF0) == 0xE0 ? 2
                          : (lead & 0xF8) == 0xF0 ? 3
                                                  : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size())
            return std::nullopt;
        std::uint32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k)
        {
            const auto next = static_cast<std::uint8_t>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = c << 6 | (next & 0x3F);
        }
        out += static_cast<wchar_t>(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}
