#pragma once
// The bytes a terminal sends for keys and SGR mouse reports, for tests that
// type into a pseudo-terminal.

#include <string>
#include <string_view>

#include <fmt/format.h>

namespace tarnwick::test {

inline constexpr std::string_view kUp = "\x1b[A";
inline constexpr std::string_view kDown = "\x1b[B";
inline constexpr std::string_view kRight = "\x1b[C";
inline constexpr std::string_view kLeft = "\x1b[D";
inline constexpr std::string_view kHome = "\x1b[H";
inline constexpr std::string_view kEnd = "\x1b[F";
inline constexpr std::string_view kPageUp = "\x1b[5~";
inline constexpr std::string_view kPageDown = "\x1b[6~";
inline constexpr std::string_view kTab = "\t";
inline constexpr std::string_view kBackTab = "\x1b[Z";
inline constexpr std::string_view kBackspace = "\x7f";
inline constexpr std::string_view kEsc = "\x1b";
inline constexpr std::string_view kF1 = "\x1bOP";
inline constexpr std::string_view kF2 = "\x1bOQ";
inline constexpr std::string_view kF3 = "\x1bOR";

// An SGR mouse report at a 0-based cell; 'M' presses, 'm' releases.
inline std::string mouse(int button, int column, int row, char final = 'M') {
    return fmt::format("\x1b[<{};{};{}{}", button, column + 1, row + 1, final);
}
inline std::string click(int column, int row) {
    return mouse(0, column, row);
}
inline std::string click_and_release(int column, int row) {
    return mouse(0, column, row) + mouse(0, column, row, 'm');
}
inline std::string wheel_up(int column, int row) {
    return mouse(64, column, row);
}
inline std::string wheel_down(int column, int row) {
    return mouse(65, column, row);
}

}  // namespace tarnwick::test
