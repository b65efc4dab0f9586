#include "app/offline/page_label_keys.h"

#include <algorithm>

namespace tarnwick::app {

std::vector<std::string> page_label_keys(std::string_view text) {
    static constexpr std::string_view kPatterns[] = {"title-key=\"", "label-key=\"", "help-key=\""};
    std::vector<std::string> keys;
    for (const std::string_view pattern : kPatterns) {
        std::size_t from = 0;
        while (true) {
            const std::size_t at = text.find(pattern, from);
            if (at == std::string_view::npos) break;
            const std::size_t start = at + pattern.size();
            const std::size_t end = text.find('"', start);
            if (end == std::string_view::npos) break;
            const std::string_view value = text.substr(start, end - start);
            if (!value.empty() && std::find(keys.begin(), keys.end(), value) == keys.end())
                keys.emplace_back(value);
            from = end + 1;
        }
    }
    return keys;
}

}  // namespace tarnwick::app
