#include "app/network/resolv_conf.h"

#include "core/text.h"

namespace tarnwick::app {
ResolverSettings parse_resolv_conf(std::string_view text) {
    ResolverSettings settings;
    for (const std::string_view raw : split_lines(text)) {
        const std::string_view line = trim(raw);
        if (line.starts_with("nameserver ")) {
            const auto words = split_words(line.substr(11));
            if (!words.empty()) settings.nameservers.emplace_back(words[0]);
        } else if (line.starts_with("search ")) {
            for (const std::string_view word : split_words(line.substr(7))) {
                settings.search_domains.emplace_back(word);
            }
        } else if (line.starts_with("domain ")) {
            const auto words = split_words(line.substr(7));
            if (!words.empty()) settings.search_domains.emplace_back(words[0]);
        }
    }
    return settings;
}

}  // namespace tarnwick::app
