#include "template/screen/default_main_menu.h"

namespace tarnwick::tmpl {
namespace {

Widget item(std::string id, std::string label_key, std::string action) {
    Widget w;
    w.type = "item";
    w.id = std::move(id);
    w.label_key = std::move(label_key);
    w.action = std::move(action);
    return w;
}

}  // namespace

ScreenTemplate default_main_menu() {
    Widget main;
    main.type = "menu";
    main.id = "main";
    main.label_key = "menu.main";
    main.children = {
        item("sysinfo", "action.sysinfo", "system_info"),
        item("net", "action.network", "network_status"),
        item("session", "action.power", "power_menu"),
    };
    return ScreenTemplate{"1.0", "main-menu", "menu.main.title", {std::move(main)}};
}

}  // namespace tarnwick::tmpl
