#include "template/menu/menu_page.h"

#include "core/access_policy.h"
#include "core/catalog.h"
#include "template/page_search.h"
#include "template/template_dirs.h"
#include "template/twml/loader.h"

namespace tarnwick::tmpl {
namespace {

void collect_into(const std::vector<tmpl::TwmlNode>& nodes, std::vector<MenuEntry>& out) {
    for (const auto& node : nodes) {
        if (const auto* main = node.get<tmpl::TwmlNode::Main>()) {
            collect_into(main->children, out);
        } else if (const auto* section = node.get<tmpl::TwmlNode::Section>()) {
            collect_into(section->children, out);
        } else if (const auto* menu = node.get<tmpl::TwmlNode::Menu>()) {
            collect_into(menu->children, out);
        } else if (const auto* item = node.get<tmpl::TwmlNode::Item>()) {
            if (item->action)
                out.push_back(MenuEntry{item->id, *item->action, item->label_key, item->require});
        }
    }
}

// The items the viewer may see, or none when the page is not for them.
std::optional<std::vector<MenuItem>> menu_items_of(const tmpl::TwmlPage& page,
                                                   const AccessGrant& grant,
                                                   const Catalog& catalog) {
    if (!grant.holds(page.require)) return std::nullopt;
    std::vector<MenuItem> items;
    for (const auto& entry : collect_menu_entries(page.nodes)) {
        if (entry.require && !grant.holds(*entry.require)) continue;
        items.push_back(MenuItem{
            entry.id,
            entry.label_key ? translate(catalog, *entry.label_key) : entry.id,
            parse_menu_action(entry.action),
        });
    }
    if (items.empty()) return std::nullopt;
    return items;
}

}  // namespace

std::vector<MenuEntry> collect_menu_entries(const std::vector<tmpl::TwmlNode>& nodes) {
    std::vector<MenuEntry> entries;
    collect_into(nodes, entries);
    return entries;
}

std::optional<std::vector<MenuItem>> load_menu_page_from(std::span<const std::string> folders,
                                                         std::string_view page, bool is_admin,
                                                         const Catalog& catalog) {
    const AccessGrant grant = user_access(is_admin);
    std::optional<std::vector<MenuItem>> items;
    search_folders(folders, page, [&](const std::string& path, const std::string& folder) {
        auto loaded = tmpl::load_page(path, folder);
        if (!loaded) return false;  // never reported: the next folder may do
        items = menu_items_of(*loaded, grant, catalog);
        return items.has_value();
    });
    return items;
}

std::optional<std::vector<MenuItem>> load_menu_page(std::string_view config_dir,
                                                    std::string_view page, bool is_admin,
                                                    const Catalog& catalog) {
    const auto folders = template_dirs(config_dir);
    return load_menu_page_from(folders, page, is_admin, catalog);
}

}  // namespace tarnwick::tmpl
