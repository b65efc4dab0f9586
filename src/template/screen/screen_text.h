#pragma once
// Plain-text rendering of a JSON screen template: what the dry run prints.

#include "template/screen/screen_template.h"

#include <string>
#include <vector>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tmpl {

// Whether a widget (and so its subtree) is shown to this viewer.
bool widget_visible(const Widget& widget, bool viewer_is_admin);

// Three header lines, then the widgets the viewer would see as an indented tree.
std::string render_screen_text(const ScreenTemplate& screen, const Catalog& catalog,
                               bool viewer_is_admin, bool monochrome);

void print_widget_tree(std::string& out, const std::vector<Widget>& widgets, const Catalog& catalog,
                       bool viewer_is_admin, unsigned depth);

}  // namespace tarnwick::tmpl
