#pragma once
// The FreeBSD console mouse: the pointer state the console keeps for its
// mouse, read through the console control device. Elsewhere the device is
// absent and opening fails.

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::platform {

inline constexpr const char* kConsoleControlPath = "/dev/consolectl";

// The record exchanged with the console (native byte order, 20 bytes).
struct MouseInfoRecord {
    std::int32_t operation = 0;
    std::int32_t x = 0;        // pointer column
    std::int32_t y = 0;        // pointer row
    std::int32_t z = 0;        // wheel value
    std::int32_t buttons = 0;  // 1 = button 1 (left), 4 = button 3 (right)
};
static_assert(sizeof(MouseInfoRecord) == 20);

// The read-write control request of group 'c', number 10, carrying the record.
inline constexpr unsigned long kConsMouseCtl = 0xc014630aUL;
inline constexpr std::int32_t kMouseShow = 1;
inline constexpr std::int32_t kMouseGetInfo = 5;

// The pointer state of one poll.
struct ConsoleMouseReport {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t z = 0;
    std::int32_t buttons = 0;
};

// An open console control device; closing happens on destruction.
class ConsoleMouseDevice {
public:
    // nullopt when the device cannot be opened (absent off FreeBSD).
    static std::optional<ConsoleMouseDevice> open(const std::string& path = kConsoleControlPath);

    ConsoleMouseDevice(ConsoleMouseDevice&& other) noexcept;
    ConsoleMouseDevice& operator=(ConsoleMouseDevice&& other) noexcept;
    ConsoleMouseDevice(const ConsoleMouseDevice&) = delete;
    ConsoleMouseDevice& operator=(const ConsoleMouseDevice&) = delete;
    ~ConsoleMouseDevice();

    // Asks the console to draw its pointer; false when refused.
    bool show();
    // The current pointer state; nullopt when the request is refused.
    std::optional<ConsoleMouseReport> get_info();

    int fd() const { return fd_; }

private:
    explicit ConsoleMouseDevice(int fd) : fd_(fd) {}
    bool request(MouseInfoRecord& record);

    int fd_ = -1;
};

}  // namespace tarnwick::platform
