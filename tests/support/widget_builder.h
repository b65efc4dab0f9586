#pragma once
// A screen-template widget built in one call, for menu and rendering tests.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "template/screen/screen_template.h"

namespace tarnwick::test {

inline tmpl::Widget widget(std::string type, std::string id, std::optional<std::string> action = {},
                           tmpl::WidgetCondition condition = tmpl::WidgetCondition::Always,
                           std::vector<tmpl::Widget> children = {}) {
    tmpl::Widget w;
    w.type = std::move(type);
    w.id = std::move(id);
    w.action = std::move(action);
    w.condition = condition;
    w.children = std::move(children);
    return w;
}

}  // namespace tarnwick::test
