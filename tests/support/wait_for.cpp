#include "support/wait_for.h"

#include <thread>

namespace tarnwick::test {

bool wait_for(const std::function<bool()>& done, std::chrono::milliseconds timeout,
              std::chrono::milliseconds pause) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        if (pause.count() > 0) {
            std::this_thread::sleep_for(pause);
        } else {
            std::this_thread::yield();
        }
    }
    return true;
}

}  // namespace tarnwick::test
