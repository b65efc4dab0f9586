// The condition wait the tests share: it must see a condition another thread
// makes true, and must not report one that never holds.
#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace tarnwick::test {
namespace {

using namespace std::chrono_literals;

TEST(WaitFor, SeesAConditionAnotherThreadMakesTrue) {
    for (const auto pause : {10ms, 0ms}) {
        std::atomic<bool> set{false};
        std::thread setter([&set] { set = true; });
        EXPECT_TRUE(wait_for([&set] { return set.load(); }, 30s, pause)) << pause.count();
        setter.join();
    }
}

TEST(WaitFor, FalseAtTheDeadlineWhenTheConditionNeverHolds) {
    int looks = 0;
    EXPECT_FALSE(wait_for([&looks] { return ++looks < 0; }, 50ms, 5ms));
    EXPECT_GT(looks, 1);
}

}  // namespace
}  // namespace tarnwick::test
