#include "core/locale.h"

#include "core/case_map.h"
#include "core/kv_file.h"
#include "core/text.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tarnwick {
namespace {

bool is_folder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_regular_file(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> non_empty(const KvMap& map, std::string_view key) {
    const auto it = map.find(key);
    if (it == map.end() || it->second.empty()) return std::nullopt;
    return it->second;
}

std::optional<bool> bool_word(const KvMap& map, std::string_view key) {
    const auto it = map.find(key);
    if (it == map.end()) return std::nullopt;
    return parse_bool_word(it->second);
}

// The description of one language folder; `name` is the raw entry name.
LocaleInfo describe_locale(const std::string& folder, std::string_view name) {
    LocaleInfo info;
    info.tag = decode_lossy(name);
    info.native_name = info.tag;

    if (const auto messages = read_kv_file(join_path(folder, kMessageFileName))) {
        if (auto v = non_empty(*messages, "locale.native_name")) info.native_name = std::move(*v);
        if (auto v = non_empty(*messages, "locale.english_name")) info.english_name = std::move(*v);
        info.enabled = bool_word(*messages, "locale.enabled").value_or(true);
        info.rtl = bool_word(*messages, "locale.rtl").value_or(false);
        if (auto v = non_empty(*messages, "locale.fallback")) info.fallback = std::move(*v);
    }

    const std::string toml_path = join_path(folder, kLocaleTomlName);
    if (!is_regular_file(toml_path)) return info;
    const auto overrides = read_locale_toml(toml_path);
    if (!overrides) return info;
    if (overrides->tag) info.tag = *overrides->tag;
    if (overrides->native_name) info.native_name = *overrides->native_name;
    if (overrides->english_name) info.english_name = overrides->english_name;
    if (overrides->enabled) info.enabled = *overrides->enabled;
    if (overrides->rtl) info.rtl = *overrides->rtl;
    if (overrides->fallback) info.fallback = overrides->fallback;
    return info;
}

bool is_english_tag(std::string_view tag) {
    return tag == "en" || tag.starts_with("en-");
}

// 0 for en-US, 1 for the other English tags, 2 for the rest.
int rank(const LocaleInfo& l) {
    if (l.tag == kDefaultLocaleTag) return 0;
    return is_english_tag(l.tag) ? 1 : 2;
}

std::weak_ordering bytewise(std::string_view a, std::string_view b) {
    // string_view compares as unsigned char through char_traits.
    const int c = a.compare(b);
    return c < 0   ? std::weak_ordering::less
           : c > 0 ? std::weak_ordering::greater
                   : std::weak_ordering::equivalent;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

LocaleInfo builtin_locale() {
    return LocaleInfo{
        std::string(kDefaultLocaleTag), "English", "English", true, false, std::nullopt};
}

std::string env_locale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* raw = std::getenv(name);
        if (raw == nullptr) continue;
        const std::string_view value(raw);
        if (value.empty() || value == "C" || value == "POSIX" || !is_valid_utf8(value)) continue;
        std::string tag(value.substr(0, value.find('.')));
        std::replace(tag.begin(), tag.end(), '_', '-');
        return tag;
    }
    return std::string(kDefaultLocaleTag);
}

std::vector<LocaleInfo> discover_locales(const std::string& locales_dir) {
    std::vector<LocaleInfo> found;
    // opendir on an empty path fails with ENOENT, which gives the built-in list.
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(locales_dir.c_str()));
    if (dir) {
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string_view name(entry->d_name);
            const std::string folder = join_path(locales_dir, name);
            if (!is_folder(folder)) continue;
            if (name.starts_with('.')) continue;
            if (!is_regular_file(join_path(folder, kMessageFileName))) continue;
            LocaleInfo info = describe_locale(folder, name);
            if (info.enabled) found.push_back(std::move(info));
        }
    }
    if (found.empty()) return {builtin_locale()};
    sort_locales(found);
    return found;
}

std::weak_ordering locale_ordering(const LocaleInfo& a, const LocaleInfo& b) {
    const int ra = rank(a);
    const int rb = rank(b);
    if (ra != rb) return ra <=> rb;
    if (ra == 0) return std::weak_ordering::equivalent;
    if (ra == 1) return bytewise(a.tag, b.tag);
    if (const auto by_name = bytewise(lowercase_full(a.native_name), lowercase_full(b.native_name));
        by_name != 0) {
        return by_name;
    }
    return bytewise(a.tag, b.tag);
}

void sort_locales(std::vector<LocaleInfo>& locales) {
    std::stable_sort(locales.begin(), locales.end(), [](const LocaleInfo& a, const LocaleInfo& b) {
        return locale_ordering(a, b) < 0;
    });
}

}  // namespace tarnwick
