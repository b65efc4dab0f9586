#pragma once
// A test that cannot run here (no root, no namespaces, a tool missing) skips
// on a developer's machine and fails in CI, which must run every test.

#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

namespace tarnwick::test {

// CI is set to anything but "", "0" or "false".
bool in_ci();

}  // namespace tarnwick::test

#define SKIP_OR_FAIL_IN_CI(why)                                \
    do {                                                       \
        const std::string skip_reason_ = (why);                \
        if (::tarnwick::test::in_ci()) FAIL() << skip_reason_; \
        GTEST_SKIP() << skip_reason_;                          \
    } while (false)

#define REQUIRE_ROOT(why)                              \
    do {                                               \
        if (::geteuid() != 0) SKIP_OR_FAIL_IN_CI(why); \
    } while (false)
