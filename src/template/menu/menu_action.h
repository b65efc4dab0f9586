#pragma once
// The action names that templates use, read from the action table
// (core/menu_action.h), where MenuAction itself lives.

#include "core/menu_action.h"

#include <string_view>

namespace tarnwick::tmpl {

using tarnwick::MenuAction;

// Exact, case-sensitive match of the whole text; anything unknown is None.
MenuAction parse_menu_action(std::string_view text);

// The variant name ("SpawnShell", "PowerMenu", ...), as the dry run prints it.
std::string_view menu_action_name(MenuAction action);

}  // namespace tarnwick::tmpl
