#include "template/pages/confirm_page.h"

#include "core/access_policy.h"
#include "core/catalog.h"
#include "template/page_search.h"
#include "template/template_dirs.h"
#include "template/twml/loader.h"

namespace tarnwick::tmpl {

std::optional<std::string> first_text_key(const std::vector<TwmlNode>& nodes) {
    for (const TwmlNode& node : nodes) {
        std::optional<std::string> found;
        if (const auto* main = node.get<TwmlNode::Main>()) {
            found = first_text_key(main->children);
        } else if (const auto* section = node.get<TwmlNode::Section>()) {
            found = first_text_key(section->children);
        } else if (const auto* text = node.get<TwmlNode::Text>()) {
            found = text->key;
        }
        if (found) return found;
    }
    return std::nullopt;
}

bool confirm_page_from(std::span<const std::string> folders, std::string_view page,
                       std::string_view default_key, const Catalog& catalog, bool is_admin,
                       const ConfirmAsk& ask, std::optional<QuestionArg> arg) {
    const AccessGrant grant = user_access(is_admin);
    std::string key(default_key);
    bool refused = false;
    search_folders(folders, page, [&](const std::string& path, const std::string& folder) {
        auto loaded = load_page(path, folder);
        if (!loaded) return false;  // never reported: the next folder may do
        if (!grant.holds(loaded->require)) {
            refused = true;
        } else if (loaded->title_key) {
            key = *loaded->title_key;
        } else if (auto text_key = first_text_key(loaded->nodes)) {
            key = std::move(*text_key);
        }
        return true;  // the first page that loads decides
    });
    if (refused) return false;
    const std::string question =
        arg ? translate_arg(catalog, key, arg->name, arg->value) : translate(catalog, key);
    return ask(question).value_or(false);
}

bool confirm_page(std::string_view config_dir, std::string_view page, std::string_view default_key,
                  const Catalog& catalog, bool is_admin, const ConfirmAsk& ask,
                  std::optional<QuestionArg> arg) {
    const auto folders = template_dirs(config_dir);
    return confirm_page_from(folders, page, default_key, catalog, is_admin, ask, arg);
}

}  // namespace tarnwick::tmpl
