#pragma once
// The honest end of a mode whose body is not built yet.

#include <string_view>

namespace tarnwick {

inline constexpr int kExitSoftware = 70;  // EX_SOFTWARE

// Prints "ERROR: {mode} is not built yet" on stderr; returns 70.
int mode_not_built(std::string_view mode);

}  // namespace tarnwick
