#pragma once
// Confirmation pages: the question asked before power off, reboot and the
// network panel's make-static action, taken from a TWML page when one loads,
// else a default message key.

#include "template/twml/page.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tmpl {

// Asks the translated question: true for yes, false for no, none when the
// dialog ended with an input/output error. (The dialog lives in the terminal
// layer.)
using ConfirmAsk = std::function<std::optional<bool>(std::string_view message)>;

// A "{name}" placeholder of the question and the text that takes its place
// (a message without the placeholder is asked as it is).
struct QuestionArg {
    std::string_view name;
    std::string_view value;
};

// The key of the first text node that has one, depth first through main and
// section nodes; none when there is no such node.
std::optional<std::string> first_text_key(const std::vector<TwmlNode>& nodes);

// True only when the user answered yes. The first page along the folders
// that loads decides: a page the viewer may not see answers no without a
// dialog; otherwise its title key, else its first text key, else the default
// key is asked, with `arg` filled in whichever key it is. Without a page the
// default key is asked. A failed dialog counts as no.
bool confirm_page(std::string_view config_dir, std::string_view page, std::string_view default_key,
                  const Catalog& catalog, bool is_admin, const ConfirmAsk& ask,
                  std::optional<QuestionArg> arg = std::nullopt);

// The same over an explicit folder list.
bool confirm_page_from(std::span<const std::string> folders, std::string_view page,
                       std::string_view default_key, const Catalog& catalog, bool is_admin,
                       const ConfirmAsk& ask, std::optional<QuestionArg> arg = std::nullopt);

}  // namespace tarnwick::tmpl
