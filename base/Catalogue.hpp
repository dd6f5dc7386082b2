#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

// The texts of one language other than Russian: a compiled gettext catalogue
// (GNU .mo) read directly, whatever the system's locale settings, so that
// choosing the language never touches how numbers are written. Keys are the
// Russian texts as the program draws them, in UTF-8.
class Catalogue
{
public:
    // Speaks the texts as written: Russian.
    Catalogue() = default;

    // A .mo file's bytes; nothing (and `why`) when they are not one.
    static std::optional<Catalogue> parse(const std::string& bytes, std::string& why);
    static std::optional<Catalogue> read(const std::filesystem::path& file, std::string& why);

    // The translation of `text`, or `text` itself where there is none (a
    // number, a formula; see untranslated()).
    std::wstring operator()(const wchar_t* text) const;

    std::size_t size() const { return translations_.size(); }
    // Every text asked for that had no translation, so far (a check that
    // nothing Russian is left on an English screen).
    const std::set<std::wstring>& untranslated() const { return untranslated_; }

private:
    std::unordered_map<std::string, std::string> translations_;
    mutable std::set<std::wstring> untranslated_;
};

// Where a language's catalogue lies under the data folder:
// locale/<language>/LC_MESSAGES/velorin.mo, as gettext lays them out.
std::filesystem::path catalogueFile(const std::string& language);

// UTF-8 to and from the wide strings the texts are written in (UTF-32 here).
std::string toUtf8(const std::wstring& text);
std::optional<std::wstring> fromUtf8(const std::string& text);
