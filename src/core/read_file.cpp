#include "core/read_file.h"

#include "core/text.h"
#include "core/unique_fd.h"

#include <fmt/format.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>

namespace tarnwick {
namespace {

ReadFileError system_error(int errnum) {
    return ReadFileError{ReadFileError::Kind::System, errnum, 0};
}

}  // namespace

std::string display_read_file_error(const ReadFileError& error) {
    switch (error.kind) {
        case ReadFileError::Kind::System:
            return system_error_text(error.os_error);
        case ReadFileError::Kind::Directory:
            return system_error_text(EISDIR);
        case ReadFileError::Kind::NotRegular:
            return system_error_text(EINVAL);
        case ReadFileError::Kind::TooLarge:
            return fmt::format("file is larger than {} bytes", error.max_bytes);
        case ReadFileError::Kind::InvalidUtf8:
            return kInvalidUtf8Text;
    }
    return {};
}

Result<std::string, ReadFileError> read_regular_file_at(int dir_fd, const std::string& name,
                                                        std::size_t max_bytes, FinalLink link) {
    // Non-blocking, so that opening a FIFO cannot hang; it changes nothing for
    // the reads of a regular file.
    int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (link == FinalLink::Refuse) {
        flags |= O_NOFOLLOW;
    }
    UniqueFd fd(::openat(dir_fd, name.c_str(), flags));
    if (!fd) {
        return fail(system_error(errno));
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        return fail(system_error(errno));
    }
    if (S_ISDIR(status.st_mode)) {
        return fail(ReadFileError{ReadFileError::Kind::Directory, 0, 0});
    }
    if (!S_ISREG(status.st_mode)) {
        return fail(ReadFileError{ReadFileError::Kind::NotRegular, 0, 0});
    }
    const ReadFileError too_large{ReadFileError::Kind::TooLarge, 0, max_bytes};
    if (status.st_size < 0 || static_cast<std::uintmax_t>(status.st_size) > max_bytes) {
        return fail(too_large);
    }
    // The size is checked again while reading: the file may grow meanwhile.
    std::string data;
    data.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(system_error(errno));
        }
        if (n == 0) {
            return data;
        }
        if (static_cast<std::size_t>(n) > max_bytes - data.size()) {
            return fail(too_large);
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
}

Result<std::string, ReadFileError> read_regular_file(const std::string& path,
                                                     std::size_t max_bytes) {
    return read_regular_file_at(AT_FDCWD, path, max_bytes, FinalLink::Follow);
}

Result<std::string, ReadFileError> require_utf8(Result<std::string, ReadFileError> read) {
    if (read && !is_valid_utf8(*read)) {
        return fail(ReadFileError{ReadFileError::Kind::InvalidUtf8, 0, 0});
    }
    return read;
}

Result<std::string, ReadFileError> read_text_file(const std::string& path, std::size_t max_bytes) {
    return require_utf8(read_regular_file(path, max_bytes));
}

}  // namespace tarnwick
