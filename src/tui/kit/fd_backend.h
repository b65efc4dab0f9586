#pragma once
// A backend writing to a terminal descriptor (not owned), buffered until flush.

#include <chrono>
#include <optional>
#include <string>

#include "tui/kit/backend.h"

namespace tarnwick::tui {

class FdBackend final : public Backend {
public:
    explicit FdBackend(int fd) : fd_(fd) {}
    // A flush to a terminal that waits at most `limit` for it to take the
    // bytes and drops the rest (write_all_within); to anything else it
    // waits as the plain backend does.
    FdBackend(int fd, std::chrono::milliseconds limit) : fd_(fd), limit_(limit) {}

    // The size of the controlling terminal (/dev/tty), else of the descriptor.
    Result<Size, IoError> size() override;
    Result<void, IoError> write(std::string_view bytes) override;
    // Writes everything queued; on an error the queued bytes are dropped.
    Result<void, IoError> flush() override;

    int fd() const { return fd_; }

private:
    int fd_;
    std::optional<std::chrono::milliseconds> limit_;
    std::string pending_;
};

// Writes all bytes to the descriptor, retrying short and interrupted writes.
Result<void, IoError> write_all(int fd, std::string_view bytes);

}  // namespace tarnwick::tui
