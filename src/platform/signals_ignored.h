#pragma once
// Signals ignored for a stretch of code.

#include <signal.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace tarnwick::platform {

// Ignores the signals for the life of the object, then puts back the handling
// each had before.
class SignalsIgnored {
public:
    explicit SignalsIgnored(std::initializer_list<int> signals);
    ~SignalsIgnored();
    SignalsIgnored(const SignalsIgnored&) = delete;
    SignalsIgnored& operator=(const SignalsIgnored&) = delete;

private:
    std::vector<std::pair<int, struct sigaction>> saved_;
};

}  // namespace tarnwick::platform
