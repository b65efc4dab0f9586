#include "tui/screens/page_screens.h"

#include "template/pages/confirm_page.h"
#include "template/pages/info_page.h"
#include "tui/screens/confirm_dialog.h"
#include "tui/screens/form_screen.h"

namespace tarnwick::tui {

std::optional<tmpl::FormOutcome> show_info_page(std::string_view config_dir, std::string_view page,
                                                const tmpl::BindingStore& store, bool is_admin,
                                                const Catalog& catalog, AutoMode color,
                                                ValueFit fit) {
    return tmpl::show_info_page(
        config_dir, page, store, is_admin, catalog,
        [&](std::string_view title,
            const std::vector<tmpl::FormField>& rows) -> std::optional<tmpl::FormOutcome> {
            auto outcome = form_screen(title, rows, color, catalog, fit);
            if (!outcome) return std::nullopt;  // the caller shows its built-in view instead
            return *outcome;
        });
}

bool confirm_page(std::string_view config_dir, std::string_view page, std::string_view default_key,
                  AutoMode color, const Catalog& catalog, bool is_admin,
                  std::optional<tmpl::QuestionArg> arg) {
    return tmpl::confirm_page(
        config_dir, page, default_key, catalog, is_admin,
        [&](std::string_view message) -> std::optional<bool> {
            auto answer = confirm_dialog(message, color, catalog);
            if (!answer) return std::nullopt;  // counts as no
            return *answer;
        },
        arg);
}

}  // namespace tarnwick::tui
