#include "core/write_all.h"

#include <unistd.h>

#include <cerrno>

namespace tarnwick {

Result<void, int> write_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(errno);
        // A descriptor that takes nothing would be asked again for ever.
        if (n == 0) return fail(EIO);
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

}  // namespace tarnwick
