#pragma once
// The flat key = value format of the locale folders: message files
// (tarnwick.ftl) and the optional locale.toml beside them.

#include "core/result.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

enum class I18nErrorKind {
    Io,  // the file could not be read as UTF-8 text
};

struct I18nError {
    I18nErrorKind kind = I18nErrorKind::Io;
    std::string detail;  // the system error text, or why the bytes were refused
};

std::string display_i18n_error(const I18nError& error);

// Key to message; std::less<> so lookups take string_view without a copy.
using KvMap = std::map<std::string, std::string, std::less<>>;

// The entries of a message file. Lines split at "\n" with a trailing "\r"
// removed, trimmed; empty lines and lines starting with "#" are skipped, as
// are lines without "=" or with an empty key. The value after the first "="
// is trimmed, then stripped of leading and trailing double quotes and left
// as it is. The last occurrence of a key wins.
KvMap parse_kv_text(std::string_view text);
// Files are read as UTF-8 text with read_text_file and the configuration cap;
// an Io error carries display_read_file_error's text.
Result<KvMap, I18nError> read_kv_file(const std::string& path);

// "1", "on", "yes", "true" and "0", "no", "off", "false", trimmed and in any
// ASCII letter case; anything else gives nothing.
std::optional<bool> parse_bool_word(std::string_view text);

// What a locale.toml sets. Same line rules as a message file, except that
// the value is trimmed again after the quotes are stripped, a line whose value
// is then empty changes nothing, only these six keys count and a boolean word
// that is not recognised changes nothing.
struct LocaleOverrides {
    std::optional<std::string> tag;
    std::optional<std::string> native_name;
    std::optional<std::string> english_name;
    std::optional<bool> enabled;
    std::optional<bool> rtl;
    std::optional<std::string> fallback;
};

LocaleOverrides parse_locale_toml(std::string_view text);
Result<LocaleOverrides, I18nError> read_locale_toml(const std::string& path);

}  // namespace tarnwick
