#pragma once
// Whether the end-to-end sandbox (tests/e2e/sandbox) can run here: it needs
// root for its private mount and network namespaces.

#include <unistd.h>

#include <cstdlib>
#include <string>

inline bool sandbox_possible(std::string& why) {
    if (geteuid() != 0) {
        why = "needs root for the private namespaces";
        return false;
    }
    if (std::system("unshare --mount --net true >/dev/null 2>&1") != 0) {
        why = "unshare --mount --net is not available";
        return false;
    }
    return true;
}
