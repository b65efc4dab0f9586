#pragma once
// The interface languages installed in a locales folder, and the language the
// environment asks for. Nothing here reports an error: unreadable folders and
// files are skipped or leave defaults, and the language list is never empty.

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct LocaleInfo {
    std::string tag;          // folder name, or the tag of its locale.toml
    std::string native_name;  // never empty; defaults to the folder name
    std::optional<std::string> english_name;
    bool enabled = true;  // always true in a discovered list
    bool rtl = false;
    std::optional<std::string> fallback;  // tag whose messages fill the gaps

    bool operator==(const LocaleInfo&) const = default;
};

inline constexpr std::string_view kDefaultLocaleTag = "en-US";
inline constexpr std::string_view kMessageFileName = "tarnwick.ftl";
inline constexpr std::string_view kLocaleTomlName = "locale.toml";

// en-US, "English", English name "English", enabled, left-to-right.
LocaleInfo builtin_locale();

// The tag from LC_ALL, LC_MESSAGES, then LANG: the first that is set, valid
// UTF-8, not empty and not exactly "C" or "POSIX", cut at its first "." with
// "_" turned into "-"; "en-US" when none qualifies.
std::string env_locale();

// The enabled languages of the sub-folders of `locales_dir`, in display order;
// [builtin_locale()] when there are none or the folder cannot be listed.
std::vector<LocaleInfo> discover_locales(const std::string& locales_dir);

// Display order: en-US first, then the other English tags bytewise, then the
// rest by lower-cased native name, then by tag.
std::weak_ordering locale_ordering(const LocaleInfo& a, const LocaleInfo& b);

// Sorts with locale_ordering, keeping the given order of equal entries.
void sort_locales(std::vector<LocaleInfo>& locales);

}  // namespace tarnwick
