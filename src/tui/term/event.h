#pragma once
// Input events read from the terminal (and the FreeBSD console mouse): keys
// with their modifiers and kind, mouse reports, resizes, focus changes and
// bracketed pastes.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace tarnwick::tui {

// Modifier bits of keys and mouse reports.
using KeyModifiers = std::uint8_t;
inline constexpr KeyModifiers kNoModifiers = 0;
inline constexpr KeyModifiers kShift = 1;
inline constexpr KeyModifiers kControl = 2;
inline constexpr KeyModifiers kAlt = 4;
inline constexpr KeyModifiers kSuper = 8;
inline constexpr KeyModifiers kHyper = 16;
inline constexpr KeyModifiers kMeta = 32;

// Lock and keypad state that some keyboard protocols report beside the modifiers.
using KeyState = std::uint8_t;
inline constexpr KeyState kKeypad = 1;
inline constexpr KeyState kCapsLock = 2;
inline constexpr KeyState kNumLock = 4;

enum class Key : std::uint8_t {
    Char,  // KeyEvent::ch holds the character
    F,     // KeyEvent::number holds 1..35
    Enter,
    Tab,
    BackTab,
    Backspace,
    Esc,
    Up,
    Down,
    Left,
    Right,
    Home,
    End,
    PageUp,
    PageDown,
    Insert,
    Delete,
    KeypadBegin,
    CapsLock,
    ScrollLock,
    NumLock,
    PrintScreen,
    Pause,
    Menu,
    Media,     // KeyEvent::number: 0 play ... 12 mute, in the order of the keyboard protocol
    Modifier,  // KeyEvent::number: 0 left shift ... 13 ISO level 5 shift
};

enum class KeyEventKind : std::uint8_t { Press, Repeat, Release };

struct KeyEvent {
    Key code = Key::Char;
    char32_t ch = 0;
    std::uint8_t number = 0;
    KeyModifiers modifiers = kNoModifiers;
    KeyEventKind kind = KeyEventKind::Press;
    KeyState state = 0;

    static KeyEvent key(Key code, KeyModifiers modifiers = kNoModifiers) {
        return KeyEvent{code, 0, 0, modifiers, KeyEventKind::Press, 0};
    }
    static KeyEvent character(char32_t c, KeyModifiers modifiers = kNoModifiers) {
        return KeyEvent{Key::Char, c, 0, modifiers, KeyEventKind::Press, 0};
    }
    static KeyEvent function(std::uint8_t n, KeyModifiers modifiers = kNoModifiers) {
        return KeyEvent{Key::F, 0, n, modifiers, KeyEventKind::Press, 0};
    }
    bool is_press() const { return kind == KeyEventKind::Press; }
};

// An ASCII upper-case letter compares equal with or without SHIFT.
bool operator==(const KeyEvent& a, const KeyEvent& b);

// The character a key puts into a text field (user name, password, form
// values): a character key with no modifier but Shift. Ctrl-U or Alt-x is a
// shortcut, never the plain letter, so it is not typed.
std::optional<char32_t> text_input_char(const KeyEvent& key);

enum class MouseButton : std::uint8_t { Left, Right, Middle };

enum class MouseEventKind : std::uint8_t {
    Down,  // with a button
    Up,    // with a button
    Drag,  // with a button
    Moved,
    ScrollDown,
    ScrollUp,
    ScrollLeft,
    ScrollRight,
};

struct MouseEvent {
    MouseEventKind kind = MouseEventKind::Moved;
    MouseButton button = MouseButton::Left;  // meaningful for Down, Up and Drag only
    std::uint16_t column = 0;                // 0-based from the left
    std::uint16_t row = 0;                   // 0-based from the top
    KeyModifiers modifiers = kNoModifiers;
};

bool operator==(const MouseEvent& a, const MouseEvent& b);

// Kind and button in debug spelling: "Down(Left)", "Moved", "ScrollUp", ...
std::string mouse_kind_name(const MouseEvent& event);

struct ResizeEvent {
    std::uint16_t columns = 0;
    std::uint16_t rows = 0;
    bool operator==(const ResizeEvent&) const = default;
};
struct FocusGained {
    bool operator==(const FocusGained&) const = default;
};
struct FocusLost {
    bool operator==(const FocusLost&) const = default;
};
struct PasteEvent {
    std::string text;  // valid UTF-8 (decoded lossily)
    bool operator==(const PasteEvent&) const = default;
};

using Event = std::variant<KeyEvent, MouseEvent, ResizeEvent, FocusGained, FocusLost, PasteEvent>;

// A readable one-line description of an event, for test failures and traces.
std::string describe_event(const Event& event);

}  // namespace tarnwick::tui
