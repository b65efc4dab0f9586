#include "core/read_file.h"

#include "core/text.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

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

Result<std::string, int> read_file_bytes(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return fail(errno);
    }
    auto data = read_fd(fd);
    ::close(fd);
    return data;
}

Result<std::string, std::string> read_utf8_file(const std::string& path) {
    auto bytes = read_file_bytes(path);
    if (!bytes) {
        return fail(system_error_text(bytes.error()));
    }
    if (!is_valid_utf8(*bytes)) {
        return fail(std::string(kInvalidUtf8Text));
    }
    return std::move(*bytes);
}

}  // namespace tarnwick
