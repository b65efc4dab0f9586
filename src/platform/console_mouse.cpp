#include "platform/console_mouse.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tarnwick::platform {

std::optional<ConsoleMouseDevice> ConsoleMouseDevice::open(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    return ConsoleMouseDevice(fd);
}

ConsoleMouseDevice::ConsoleMouseDevice(ConsoleMouseDevice&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

ConsoleMouseDevice& ConsoleMouseDevice::operator=(ConsoleMouseDevice&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

ConsoleMouseDevice::~ConsoleMouseDevice() {
    if (fd_ >= 0) ::close(fd_);
}

bool ConsoleMouseDevice::request(MouseInfoRecord& record) {
    int rc;
    do {
        rc = ::ioctl(fd_, kConsMouseCtl, &record);
    } while (rc < 0 && errno == EINTR);
    return rc == 0;
}

bool ConsoleMouseDevice::show() {
    MouseInfoRecord record;
    record.operation = kMouseShow;
    return request(record);
}

std::optional<ConsoleMouseReport> ConsoleMouseDevice::get_info() {
    MouseInfoRecord record;
    record.operation = kMouseGetInfo;
    if (!request(record)) return std::nullopt;
    return ConsoleMouseReport{record.x, record.y, record.z, record.buttons};
}

}  // namespace tarnwick::platform
