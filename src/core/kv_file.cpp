#include "core/kv_file.h"

#include "core/read_file.h"
#include "core/text.h"

namespace tarnwick {
namespace {

struct RawEntry {
    std::string_view key;
    std::string_view value;  // trimmed, quotes not yet stripped
};

// Calls `on_entry` for every line of `text` that has a non-empty key before
// its first "=", in file order. `text` must be valid UTF-8.
template <class OnEntry>
void for_each_entry(std::string_view text, OnEntry&& on_entry) {
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t nl = text.find('\n', start);
        std::string_view line =
            text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        start = (nl == std::string_view::npos) ? text.size() + 1 : nl + 1;

        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = trim(line);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = trim(line.substr(0, eq));
        if (key.empty()) continue;
        on_entry(RawEntry{key, trim(line.substr(eq + 1))});
    }
}

std::string_view strip_quotes(std::string_view value) {
    while (!value.empty() && value.front() == '"') value.remove_prefix(1);
    while (!value.empty() && value.back() == '"') value.remove_suffix(1);
    return value;
}

Result<std::string, I18nError> read_utf8_file(const std::string& path) {
    auto text = read_text_file(path, kMaxConfigFileBytes);
    if (!text) return fail(I18nError{I18nErrorKind::Io, display_read_file_error(text.error())});
    return std::move(*text);
}

}  // namespace

std::string display_i18n_error(const I18nError& error) {
    switch (error.kind) {
        case I18nErrorKind::Io:
            return "io error: " + error.detail;
    }
    return error.detail;
}

KvMap parse_kv_text(std::string_view text) {
    KvMap map;
    for_each_entry(text, [&](const RawEntry& e) {
        map.insert_or_assign(std::string(e.key), std::string(strip_quotes(e.value)));
    });
    return map;
}

Result<KvMap, I18nError> read_kv_file(const std::string& path) {
    return read_utf8_file(path).map([](const std::string& text) { return parse_kv_text(text); });
}

std::optional<bool> parse_bool_word(std::string_view text) {
    std::string word(trim(text));
    for (char& c : word) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (word == "1" || word == "on" || word == "yes" || word == "true") return true;
    if (word == "0" || word == "no" || word == "off" || word == "false") return false;
    return std::nullopt;
}

LocaleOverrides parse_locale_toml(std::string_view text) {
    LocaleOverrides out;
    for_each_entry(text, [&](const RawEntry& e) {
        const std::string_view value = trim(strip_quotes(e.value));
        if (value.empty()) return;
        if (e.key == "tag") {
            out.tag = std::string(value);
        } else if (e.key == "native_name") {
            out.native_name = std::string(value);
        } else if (e.key == "english_name") {
            out.english_name = std::string(value);
        } else if (e.key == "fallback") {
            out.fallback = std::string(value);
        } else if (e.key == "enabled" || e.key == "rtl") {
            const std::optional<bool> flag = parse_bool_word(value);
            if (!flag) return;
            (e.key == "enabled" ? out.enabled : out.rtl) = flag;
        }
    });
    return out;
}

Result<LocaleOverrides, I18nError> read_locale_toml(const std::string& path) {
    return read_utf8_file(path).map(
        [](const std::string& text) { return parse_locale_toml(text); });
}

}  // namespace tarnwick
