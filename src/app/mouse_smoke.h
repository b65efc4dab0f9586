#pragma once
// --smoke-mouse: the mouse hit-testing self-test.

#include <string>
#include <vector>

namespace tarnwick {

struct SmokeReport {
    bool failed = false;
    std::vector<std::string> lines;  // printed on stdout, one per line
};

SmokeReport run_mouse_smoke_tests();

}  // namespace tarnwick
