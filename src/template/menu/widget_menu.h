#pragma once
// The session menu built from the widget tree of a JSON screen template, used
// when no TWML menu page can be shown.

#include "template/menu/menu_item.h"
#include "template/screen/screen_template.h"

#include <span>
#include <vector>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tmpl {

// Appends, in depth-first pre-order, one entry per visible "item" widget with
// an action; invisible widgets are skipped with their subtrees.
void collect_menu_items(std::span<const Widget> widgets, const Catalog& catalog, bool is_admin,
                        std::vector<MenuItem>& out);

// The collected entries without power off, reboot and log-out (those belong to
// the power menu), always with a way into the power menu; the three built-in
// entries when the widgets give none.
std::vector<MenuItem> build_menu_items(std::span<const Widget> widgets, const Catalog& catalog,
                                       bool is_admin);

}  // namespace tarnwick::tmpl
