#include "core/catalog.h"

#include "core/text.h"

#include <algorithm>

namespace tarnwick {
namespace {

KvMap read_messages(std::string_view locales_dir, std::string_view tag) {
    const std::string path = join_path(join_path(locales_dir, tag), kMessageFileName);
    auto messages = read_kv_file(path);
    return messages ? std::move(*messages) : KvMap{};
}

}  // namespace

Catalog load_catalog(std::string_view locales_dir, std::string_view tag,
                     std::string_view fallback_tag) {
    Catalog catalog;
    catalog.tag = std::string(tag);
    catalog.fallback_tag = std::string(fallback_tag);
    catalog.fallback_messages = read_messages(locales_dir, fallback_tag);
    catalog.messages =
        (tag == fallback_tag) ? catalog.fallback_messages : read_messages(locales_dir, tag);
    return catalog;
}

Catalog select_catalog(std::string_view locales_dir, std::string_view tag,
                       const std::vector<LocaleInfo>& languages, std::string_view config_fallback) {
    const auto it = std::find_if(languages.begin(), languages.end(),
                                 [&](const LocaleInfo& l) { return l.tag == tag; });
    std::string_view fallback = config_fallback;
    if (it != languages.end() && it->fallback && !it->fallback->empty()) fallback = *it->fallback;
    return load_catalog(locales_dir, tag, fallback);
}

std::string translate(const Catalog& catalog, std::string_view key) {
    if (const auto it = catalog.messages.find(key); it != catalog.messages.end()) return it->second;
    if (const auto it = catalog.fallback_messages.find(key); it != catalog.fallback_messages.end())
        return it->second;
    return std::string(key);
}

std::string translate_arg(const Catalog& catalog, std::string_view key, std::string_view name,
                          std::string_view value) {
    const std::string text = translate(catalog, key);
    std::string pattern;
    pattern.reserve(name.size() + 2);
    pattern.append("{").append(name).append("}");

    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(pattern, pos)) != std::string::npos;
         pos = hit + pattern.size()) {
        out.append(text, pos, hit - pos);
        out.append(value);
    }
    out.append(text, pos, std::string::npos);
    return out;
}

}  // namespace tarnwick
