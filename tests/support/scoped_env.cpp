#include "support/scoped_env.h"

#include <algorithm>
#include <cstdlib>

namespace tarnwick::test {

ScopedEnv& ScopedEnv::set(const std::string& name, const std::optional<std::string>& value) {
    const bool seen =
        std::any_of(saved_.begin(), saved_.end(), [&](const auto& s) { return s.first == name; });
    if (!seen) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
    return *this;
}

ScopedEnv::~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) {
            ::setenv(it->first.c_str(), it->second->c_str(), 1);
        } else {
            ::unsetenv(it->first.c_str());
        }
    }
}

}  // namespace tarnwick::test
