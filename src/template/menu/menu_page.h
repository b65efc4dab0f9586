#pragma once
// Menu pages: the item nodes of a TWML menu page become the entries a viewer
// may see. The page is looked for in every template folder in turn; a page
// that fails to load or shows the viewer nothing passes the search on.

#include "core/capability.h"
#include "template/menu/menu_item.h"
#include "template/twml/page.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tmpl {

// An item of a menu page before filtering.
struct MenuEntry {
    std::string id;
    std::string action;  // as written
    std::optional<std::string> label_key;
    std::optional<Capability> require;

    bool operator==(const MenuEntry&) const = default;
};

// Items with an action, depth first in document order, from main, section and
// menu nodes; every other node contributes nothing.
std::vector<MenuEntry> collect_menu_entries(const std::vector<tmpl::TwmlNode>& nodes);

// The entries of the first page along the template folders that the viewer
// may see and that leaves at least one item; none when no folder gives one.
// Load errors are never reported: the caller falls back to its built-in menu.
std::optional<std::vector<MenuItem>> load_menu_page(std::string_view config_dir,
                                                    std::string_view page, bool is_admin,
                                                    const Catalog& catalog);

// The same over an explicit folder list.
std::optional<std::vector<MenuItem>> load_menu_page_from(std::span<const std::string> folders,
                                                         std::string_view page, bool is_admin,
                                                         const Catalog& catalog);

}  // namespace tarnwick::tmpl
