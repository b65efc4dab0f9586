#pragma once
// Waiting for something another process or thread does, without a fixed
// sleep: the condition is looked at until it holds, and the deadline only
// says how long a failing test takes.

#include <chrono>
#include <functional>

namespace tarnwick::test {

// True once `done` holds, false when it still does not at `timeout`. Between
// two looks the thread pauses for `pause`, or only yields with a zero pause
// (for a wait that must end within a few milliseconds of the condition).
bool wait_for(const std::function<bool()>& done,
              std::chrono::milliseconds timeout = std::chrono::seconds(30),
              std::chrono::milliseconds pause = std::chrono::milliseconds(10));

}  // namespace tarnwick::test
