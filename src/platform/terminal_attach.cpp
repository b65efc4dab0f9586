#include "platform/terminal_attach.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "core/text.h"

namespace tarnwick::platform {

Result<void, std::string> attach_console_tty(const std::string& terminal_path) {
    const std::array<std::string, 4> candidates = {terminal_path, "/dev/ttyv0", "/dev/console",
                                                   "/dev/tty"};
    for (const auto& path : candidates) {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) continue;
        const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return fail("open " + decode_lossy(path) + ": " + system_error_text(errno));
        // Test before duplicating: a mistyped path naming a plain file must
        // never become the program's standard streams.
        if (!isatty(fd)) {
            close(fd);
            continue;
        }
        const char* what[] = {"dup2 stdin failed", "dup2 stdout failed", "dup2 stderr failed"};
        for (int target = 0; target < 3; ++target) {
            if (dup2(fd, target) < 0) {
                close(fd);
                return fail(std::string(what[target]));
            }
        }
        (void)setsid();
        (void)ioctl(0, TIOCSCTTY, 0);
        close(fd);
        if (isatty(0)) return {};
    }
    return fail(std::string("could not attach a console TTY"));
}

std::string terminal_name_of_stdin(bool& present) {
    std::array<char, 128> buf{};
    present = false;
    if (ttyname_r(0, buf.data(), buf.size()) != 0) return {};
    const std::string name(buf.data(), strnlen(buf.data(), buf.size()));
    if (!is_valid_utf8(name)) return {};
    present = true;
    return name;
}

}  // namespace tarnwick::platform
