// --screen-matrix: for every locale, whether the message keys each TWML page
// names resolve to a text.

#include "app/offline/check_config.h"
#include "app/offline/offline_output.h"
#include "app/offline/offline_paths.h"
#include "app/offline/page_label_keys.h"
#include "core/catalog.h"
#include "core/config.h"
#include "core/locale.h"
#include "core/read_file.h"
#include "core/text.h"
#include "template/twml/error.h"
#include "template/twml/loader.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>

namespace tarnwick::app {
namespace {

struct Screen {
    std::string name;       // as shown: invalid UTF-8 replaced
    std::string file_name;  // as found in the folder
};

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The entries of `folder` whose names end in ".twml", whatever their kind,
// sorted bytewise; the error is the system error text.
Result<std::vector<Screen>, std::string> list_screens(const std::string& folder) {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return fail(system_error_text(errno));
    std::vector<Screen> screens;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view raw = entry->d_name;
        std::string name = decode_lossy(raw);
        if (name.size() < 5 || name.compare(name.size() - 5, 5, ".twml") != 0) continue;
        screens.push_back(Screen{std::move(name), std::string(raw)});
    }
    std::sort(screens.begin(), screens.end(),
              [](const Screen& a, const Screen& b) { return a.name < b.name; });
    return screens;
}

bool resolved(const std::string& text, std::string_view key) {
    return !text.empty() && text != key;
}

struct Counters {
    std::uint32_t red = 0;
    std::uint32_t green = 0;
};

// One locale's lines. Returns false when a page that loaded cannot be read
// again, which ends the whole mode.
bool check_locale(const std::string& tag, const Catalog& catalog,
                  const std::vector<Screen>& screens, const std::string& pages,
                  const std::string& templates, Counters& counters) {
    const std::string native = translate(catalog, "locale.native_name");
    if (!resolved(native, "locale.native_name")) {
        print_line(fmt::format("RED locale={} native_name unresolved", tag));
        ++counters.red;
        return true;
    }
    print_line(fmt::format("GREEN locale={} native_name={}", tag, native));
    ++counters.green;

    for (const Screen& screen : screens) {
        const std::string path = join_path(pages, screen.file_name);
        if (const auto page = tmpl::load_page(path, templates); !page) {
            print_line(fmt::format("RED locale={} screen={} load={}", tag, screen.name,
                                   tmpl::display_twml_error(page.error())));
            ++counters.red;
            continue;
        }
        const auto text = read_text_file(path, kMaxConfigFileBytes);
        if (!text) {
            print_error_line(display_read_file_error(text.error()));
            return false;
        }
        const std::vector<std::string> keys = page_label_keys(*text);
        if (keys.empty()) {
            print_line(fmt::format("RED locale={} screen={} no-keys", tag, screen.name));
            ++counters.red;
            continue;
        }
        std::vector<std::string> pairs;
        bool all_resolved = true;
        for (const std::string& key : keys) {
            std::string message = translate(catalog, key);
            if (!resolved(message, key)) {
                print_line(fmt::format("RED locale={} screen={} key={} unresolved", tag,
                                       screen.name, key));
                ++counters.red;
                all_resolved = false;
            } else {
                pairs.push_back(fmt::format("{}={}", key, message));
            }
        }
        if (all_resolved) {
            print_line(fmt::format("GREEN locale={} screen={} keys={} {}", tag, screen.name,
                                   keys.size(), fmt::join(pairs, " | ")));
            ++counters.green;
        }
    }
    return true;
}

}  // namespace

int run_screen_matrix(const std::string& config_dir, const std::optional<std::string>& locale) {
    const auto config = load_config(config_dir);
    if (!config) return print_error_line(display_config_error(config.error()));

    const std::string locales = configured_locales_dir(*config, config_dir);
    const std::string templates = configured_templates_dir(*config, config_dir);
    const std::string pages = join_path(templates, "pages");

    // A forced tag is taken as written, not looked up among the folders.
    std::vector<std::string> tags;
    if (locale) {
        tags.push_back(*locale);
    } else {
        for (const LocaleInfo& info : discover_locales(locales)) tags.push_back(info.tag);
    }

    const auto screens = list_screens(pages);
    if (!screens) return print_error_line(screens.error());
    if (screens->empty())
        return print_error_line(fmt::format("no TWML pages under {}", decode_lossy(pages)));

    Counters counters;
    for (const std::string& tag : tags) {
        const Catalog catalog = load_catalog(locales, tag, config->locale_fallback);
        if (!check_locale(tag, catalog, *screens, pages, templates, counters)) return kExitConfig;
    }

    print_line(fmt::format("MATRIX_SUMMARY locales={} screens={} green={} red={}", tags.size(),
                           screens->size(), counters.green, counters.red));
    if (counters.red > 0)
        return print_error_line(fmt::format("screen matrix red={}", counters.red));
    return 0;
}

}  // namespace tarnwick::app
