#pragma once
// Who may use the console terminal. Between sessions it belongs to this
// process alone: root-owned, mode 0600, and every descriptor anyone else
// still holds on it revoked (FreeBSD revoke(2); Linux hang-up, the kernel's
// equivalent). While a signed-in user's shell runs, it belongs to that user.

#include <cstdint>
#include <string>

#include "core/result.h"

namespace tarnwick::platform {

// Makes the terminal at `path` exclusively this process's: owner root, mode
// 0600, every open descriptor of it revoked (this process's own among them),
// then opened afresh onto those of descriptors 0-2 that referred to it, made
// the controlling terminal and given this process's group as foreground, with
// pending input discarded. The error names the step that failed.
Result<void, std::string> claim_terminal(const std::string& path);

// Gives the terminal to a signed-in user for the time of the shell: owner
// `uid`, group "tty" when it exists, else `gid`, mode 0620.
Result<void, std::string> lend_terminal(const std::string& path, std::uint32_t uid,
                                        std::uint32_t gid);

}  // namespace tarnwick::platform
