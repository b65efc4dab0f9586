#pragma once
// The information and confirmation page builders with their screens: the
// form view shows an information page, the confirmation dialog asks a
// confirmation page's question.

#include "core/config.h"
#include "template/bindings/binding_store.h"
#include "template/form_field.h"
#include "template/pages/confirm_page.h"
#include "tui/screens/form_screen.h"

#include <optional>
#include <string_view>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tui {

// tmpl::show_info_page shown in the form view, its values fitted by `fit`;
// none when no page was shown (or the view failed), so that the caller shows
// its built-in view.
std::optional<tmpl::FormOutcome> show_info_page(std::string_view config_dir, std::string_view page,
                                                const tmpl::BindingStore& store, bool is_admin,
                                                const Catalog& catalog, AutoMode color,
                                                ValueFit fit = ValueFit::Cut);

// tmpl::confirm_page asked with the confirmation dialog: true only for yes.
bool confirm_page(std::string_view config_dir, std::string_view page, std::string_view default_key,
                  AutoMode color, const Catalog& catalog, bool is_admin,
                  std::optional<tmpl::QuestionArg> arg = std::nullopt);

}  // namespace tarnwick::tui
