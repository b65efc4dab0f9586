#include "app/network/config_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "core/read_file.h"
#include "core/text.h"
#include "core/unique_fd.h"

namespace tarnwick::app {

Result<std::optional<ConfigText>, std::string> read_config_text(const std::string& path) {
    // Non-blocking, so a FIFO put at the name cannot hang the console.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd) {
        if (errno == ENOENT) return std::optional<ConfigText>();
        return fail(system_error_text(errno));
    }
    ConfigText file;
    if (::fstat(fd.get(), &file.info) != 0) return fail(system_error_text(errno));
    if (S_ISDIR(file.info.st_mode)) return fail(system_error_text(EISDIR));
    if (!S_ISREG(file.info.st_mode)) return fail(std::string("not a regular file"));
    if (static_cast<std::size_t>(file.info.st_size) > kConfigTextMaxBytes) {
        return fail(system_error_text(EFBIG));
    }
    auto bytes = read_fd(fd.get());
    if (!bytes) return fail(system_error_text(bytes.error()));
    if (bytes->size() > kConfigTextMaxBytes) return fail(system_error_text(EFBIG));
    if (!is_valid_utf8(*bytes)) return fail(std::string(kInvalidUtf8Text));
    file.text = std::move(*bytes);
    return std::optional<ConfigText>(std::move(file));
}

}  // namespace tarnwick::app
