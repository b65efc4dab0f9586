#pragma once
// Sets or removes environment variables for the life of the object and puts
// the previous values back afterwards. Not thread-safe (nor is setenv).

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::test {

class ScopedEnv {
public:
    ScopedEnv() = default;
    ScopedEnv(const std::string& name, const std::optional<std::string>& value) {
        set(name, value);
    }
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    // nullopt removes the variable.
    ScopedEnv& set(const std::string& name, const std::optional<std::string>& value);
    ScopedEnv& unset(const std::string& name) { return set(name, std::nullopt); }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>>
        saved_;  // first value seen per name
};

}  // namespace tarnwick::test
