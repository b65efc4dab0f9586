#pragma once
// The mouse self-test: fixed checks of the pure logic behind mouse handling
// (list and rectangle helpers, the login screen's clicks, form option cycling,
// SGR report text), reported as PASS and FAIL lines.

#include "template/form_field.h"
#include "tui/screens/login_layout.h"
#include "tui/screens/login_state.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::tui {

struct SmokeReport {
    bool failed = false;
    std::vector<std::string> lines;  // printed on stdout, one per line
};

// What the checks start from; the standard one is smoke_fixture().
struct SmokeFixture {
    LoginHitAreas login_areas;   // the areas the login clicks are judged against
    tmpl::FormField mode_field;  // the choice field of the option-cycling checks
};

// The login form every login check starts from, fresh each time.
LoginState smoke_login_fixture();

SmokeFixture smoke_fixture();

// ESC "[<" code ";" column ";" row "M".
std::string sgr_mouse_report(unsigned button_code, std::uint16_t column, std::uint16_t row);

// All checks in their fixed order. Without a failure: the PASS lines, then
// "MOUSE_SMOKE_OK"; with one: the FAIL lines, then the PASS lines.
SmokeReport run_mouse_smoke_tests(const SmokeFixture& fixture);
SmokeReport run_mouse_smoke_tests();

}  // namespace tarnwick::tui
