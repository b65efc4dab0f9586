#pragma once
// The built-in main menu, used whenever the templates folder yields no template.

#include "template/screen/screen_template.h"

namespace tarnwick::tmpl {

ScreenTemplate default_main_menu();

}  // namespace tarnwick::tmpl
