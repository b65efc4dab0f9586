#include "platform/account.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace tarnwick::platform {

std::optional<Account> lookup_account(std::string_view name) {
    if (name.find('\0') != std::string_view::npos) return std::nullopt;
    const std::string cname(name);
    long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::size_t size = hint > 0 ? static_cast<std::size_t>(hint) : 4096;
    for (;;) {
        std::vector<char> buf(size);
        passwd pw{};
        passwd* found = nullptr;
        const int rc = getpwnam_r(cname.c_str(), &pw, buf.data(), buf.size(), &found);
        if (rc == ERANGE && size < (1u << 20)) {
            size *= 2;
            continue;
        }
        if (rc != 0 || found == nullptr) return std::nullopt;
        return Account{pw.pw_uid, pw.pw_gid, pw.pw_dir ? pw.pw_dir : "",
                       pw.pw_shell ? pw.pw_shell : ""};
    }
}

}  // namespace tarnwick::platform
