#include "core/read_file.h"

#include <unistd.h>
#include <cerrno>

namespace tarnwick {

Result<std::string, int> read_fd(int fd) {
    std::string data;
    char buffer[8192];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        if (n == 0) {
            return data;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace tarnwick
