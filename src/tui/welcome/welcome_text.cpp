#include "tui/welcome/welcome_text.h"

#include "core/console_log.h"
#include "core/fixed_res_dir.h"
#include "core/read_file.h"
#include "core/text.h"

#include <fmt/format.h>

namespace tarnwick::tui {

std::vector<std::string> welcome_folders(const std::string& config_dir) {
    return {config_dir, "/usr/local/etc/tarnwick", std::string(fixed_res_dir())};
}

std::vector<std::string> welcome_file_names(std::string_view tag) {
    std::vector<std::string> names;
    std::string_view t = is_valid_utf8(tag) ? trim(tag) : std::string_view{};
    // The tag becomes part of a path: it must not reach another folder.
    bool usable = !t.empty() && t.find('/') == std::string_view::npos &&
                  t.find('\0') == std::string_view::npos;
    if (usable) {
        names.push_back(fmt::format("welcome.{}.md", t));
        std::size_t separator = t.find('-');
        if (separator == std::string_view::npos) {
            separator = t.find('_');
        }
        if (separator != std::string_view::npos && separator > 0) {
            names.push_back(fmt::format("welcome.{}.md", t.substr(0, separator)));
        }
    }
    names.emplace_back("welcome.md");
    return names;
}

std::vector<MarkupLine> load_welcome_text_from(const std::vector<std::string>& folders,
                                               std::string_view tag) {
    const std::vector<std::string> names = welcome_file_names(tag);
    for (const std::string& folder : folders) {
        for (const std::string& name : names) {
            std::string path = join_path(folder, name);
            auto text = read_text_file(path, kMaxConfigFileBytes);
            if (!text) {
                continue;
            }
            std::vector<MarkupLine> lines = parse_welcome_markup(*text);
            if (lines.empty()) {
                continue;
            }
            log_console(fmt::format("welcome loaded locale={} file={}", tag, path));
            return lines;
        }
    }
    return {};
}

std::vector<MarkupLine> load_welcome_text(const std::string& config_dir, std::string_view tag) {
    return load_welcome_text_from(welcome_folders(config_dir), tag);
}

}  // namespace tarnwick::tui
