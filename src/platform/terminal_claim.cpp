#include "platform/terminal_claim.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <vector>

#include "core/sigttou_blocked.h"
#include "core/text.h"
#include "core/unique_fd.h"
#include "platform/signals_ignored.h"

namespace tarnwick::platform {
namespace {

std::string step_error(std::string_view step, const std::string& path, int errnum) {
    return std::string(step) + " " + decode_lossy(path) + ": " + system_error_text(errnum);
}

// Opens the terminal without waiting for a carrier and without making it
// the controlling terminal by accident.
UniqueFd open_terminal(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd && ::fcntl(fd.get(), F_SETFL, 0) != 0) fd.reset();
    return fd;
}

// Cuts every open descriptor of the terminal off it.
Result<void, std::string> revoke_terminal(const std::string& path) {
#if defined(__FreeBSD__)
    if (::revoke(path.c_str()) != 0) return fail(step_error("revoke", path, errno));
    return {};
#else
    // TIOCVHANGUP hangs up any terminal by descriptor (vhangup(2) only the
    // caller's controlling one), this descriptor included.
    const UniqueFd fd = open_terminal(path);
    if (!fd) return fail(step_error("open", path, errno));
    if (::ioctl(fd.get(), TIOCVHANGUP) != 0) return fail(step_error("hang up", path, errno));
    return {};
#endif
}

gid_t tty_group_or(gid_t fallback) {
    struct group entry {};
    struct group* found = nullptr;
    std::vector<char> buf(4096);
    while (::getgrnam_r("tty", &entry, buf.data(), buf.size(), &found) == ERANGE &&
           buf.size() < 1024 * 1024) {
        buf.resize(buf.size() * 2);
    }
    return found != nullptr ? found->gr_gid : fallback;
}

}  // namespace

Result<void, std::string> claim_terminal(const std::string& path) {
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0) return fail(step_error("stat", path, errno));
    if (!S_ISCHR(device.st_mode)) return fail(step_error("stat", path, ENOTTY));
    // Which standard descriptors are this terminal: the capture pipe on 2
    // must stay where it is.
    std::array<bool, 3> standard{};
    for (int fd = 0; fd < 3; ++fd) {
        struct stat st {};
        standard[static_cast<std::size_t>(fd)] =
            ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == device.st_rdev;
    }
    // Owner and mode first, so nobody can open it again between the
    // revocation and our own open.
    if (::chown(path.c_str(), 0, 0) != 0) return fail(step_error("chown", path, errno));
    if (::chmod(path.c_str(), 0600) != 0) return fail(step_error("chmod", path, errno));

    // The hang-up signals the session of the terminal; this process may lead it.
    const SignalsIgnored hangup_ignored{SIGHUP};
    if (auto revoked = revoke_terminal(path); !revoked) return fail(std::move(revoked.error()));
    const UniqueFd fresh = open_terminal(path);
    if (!fresh) return fail(step_error("open", path, errno));
    // The hang-up took the terminal from its session; lead a session of our
    // own (we may have led the old one) and make it ours again.
    if (::getsid(0) != ::getpid()) (void)::setsid();
    (void)::ioctl(fresh.get(), TIOCSCTTY, 0);
    for (int fd = 0; fd < 3; ++fd) {
        if (standard[static_cast<std::size_t>(fd)] && ::dup2(fresh.get(), fd) != fd) {
            return fail(step_error("dup2", path, errno));
        }
    }
    {
        // After the revocation this group may not be the foreground one yet.
        const SigttouBlocked blocked;
        (void)::tcsetpgrp(fresh.get(), ::getpgrp());
    }
    (void)::tcflush(fresh.get(), TCIFLUSH);
    return {};
}

Result<void, std::string> lend_terminal(const std::string& path, std::uint32_t uid,
                                        std::uint32_t gid) {
    const gid_t group = tty_group_or(static_cast<gid_t>(gid));
    if (::chown(path.c_str(), static_cast<uid_t>(uid), group) != 0) {
        return fail(step_error("chown", path, errno));
    }
    if (::chmod(path.c_str(), 0620) != 0) return fail(step_error("chmod", path, errno));
    return {};
}

}  // namespace tarnwick::platform
