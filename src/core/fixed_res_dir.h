#pragma once
// The last folder the page and welcome-text searches look in. The libraries
// only declare it: each executable links the definition of fixed_res_dir.cpp
// built for it, so that the program `cmake --install` puts in sbin reads the
// installation's share/tarnwick and never the folder it was built from, while
// the build tree's program and the tests read the source tree's res/.

#include <string_view>

namespace tarnwick {

std::string_view fixed_res_dir();

}  // namespace tarnwick
