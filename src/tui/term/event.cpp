#include "tui/term/event.h"

#include "core/text.h"

#include <fmt/format.h>

namespace tarnwick::tui {
namespace {

KeyModifiers normalised_modifiers(const KeyEvent& k) {
    if (k.code == Key::Char && k.ch >= U'A' && k.ch <= U'Z') {
        return static_cast<KeyModifiers>(k.modifiers | kShift);
    }
    return k.modifiers;
}

const char* key_name(Key code) {
    switch (code) {
        case Key::Char:
            return "Char";
        case Key::F:
            return "F";
        case Key::Enter:
            return "Enter";
        case Key::Tab:
            return "Tab";
        case Key::BackTab:
            return "BackTab";
        case Key::Backspace:
            return "Backspace";
        case Key::Esc:
            return "Esc";
        case Key::Up:
            return "Up";
        case Key::Down:
            return "Down";
        case Key::Left:
            return "Left";
        case Key::Right:
            return "Right";
        case Key::Home:
            return "Home";
        case Key::End:
            return "End";
        case Key::PageUp:
            return "PageUp";
        case Key::PageDown:
            return "PageDown";
        case Key::Insert:
            return "Insert";
        case Key::Delete:
            return "Delete";
        case Key::KeypadBegin:
            return "KeypadBegin";
        case Key::CapsLock:
            return "CapsLock";
        case Key::ScrollLock:
            return "ScrollLock";
        case Key::NumLock:
            return "NumLock";
        case Key::PrintScreen:
            return "PrintScreen";
        case Key::Pause:
            return "Pause";
        case Key::Menu:
            return "Menu";
        case Key::Media:
            return "Media";
        case Key::Modifier:
            return "Modifier";
    }
    return "?";
}

const char* button_name(MouseButton b) {
    switch (b) {
        case MouseButton::Left:
            return "Left";
        case MouseButton::Right:
            return "Right";
        case MouseButton::Middle:
            return "Middle";
    }
    return "?";
}

std::string modifier_names(KeyModifiers m) {
    static constexpr std::pair<KeyModifiers, const char*> kNames[] = {
        {kShift, "SHIFT"}, {kControl, "CONTROL"}, {kAlt, "ALT"},
        {kSuper, "SUPER"}, {kHyper, "HYPER"},     {kMeta, "META"}};
    std::string out;
    for (const auto& [bit, name] : kNames) {
        if ((m & bit) != 0) {
            out += out.empty() ? "" : "|";
            out += name;
        }
    }
    return out.empty() ? "NONE" : out;
}

}  // namespace

std::optional<char32_t> text_input_char(const KeyEvent& key) {
    if (key.code != Key::Char || (key.modifiers & ~kShift) != 0) return std::nullopt;
    return key.ch;
}

bool operator==(const KeyEvent& a, const KeyEvent& b) {
    return a.code == b.code && a.ch == b.ch && a.number == b.number && a.kind == b.kind &&
           a.state == b.state && normalised_modifiers(a) == normalised_modifiers(b);
}

bool operator==(const MouseEvent& a, const MouseEvent& b) {
    bool with_button = a.kind == MouseEventKind::Down || a.kind == MouseEventKind::Up ||
                       a.kind == MouseEventKind::Drag;
    return a.kind == b.kind && (!with_button || a.button == b.button) && a.column == b.column &&
           a.row == b.row && a.modifiers == b.modifiers;
}

std::string mouse_kind_name(const MouseEvent& event) {
    switch (event.kind) {
        case MouseEventKind::Down:
            return fmt::format("Down({})", button_name(event.button));
        case MouseEventKind::Up:
            return fmt::format("Up({})", button_name(event.button));
        case MouseEventKind::Drag:
            return fmt::format("Drag({})", button_name(event.button));
        case MouseEventKind::Moved:
            return "Moved";
        case MouseEventKind::ScrollDown:
            return "ScrollDown";
        case MouseEventKind::ScrollUp:
            return "ScrollUp";
        case MouseEventKind::ScrollLeft:
            return "ScrollLeft";
        case MouseEventKind::ScrollRight:
            return "ScrollRight";
    }
    return "?";
}

std::string describe_event(const Event& event) {
    struct Describe {
        std::string operator()(const KeyEvent& k) const {
            std::string code = key_name(k.code);
            if (k.code == Key::Char) {
                std::string c;
                append_utf8(c, k.ch);
                code = fmt::format("Char({:?})", c);
            } else if (k.code == Key::F || k.code == Key::Media || k.code == Key::Modifier) {
                code = fmt::format("{}({})", code, k.number);
            }
            static constexpr const char* kKinds[] = {"Press", "Repeat", "Release"};
            return fmt::format("Key({} {} {} state={})", code, modifier_names(k.modifiers),
                               kKinds[static_cast<int>(k.kind)], k.state);
        }
        std::string operator()(const MouseEvent& m) const {
            return fmt::format("Mouse({} col={} row={} {})", mouse_kind_name(m), m.column, m.row,
                               modifier_names(m.modifiers));
        }
        std::string operator()(const ResizeEvent& r) const {
            return fmt::format("Resize({}, {})", r.columns, r.rows);
        }
        std::string operator()(const FocusGained&) const { return "FocusGained"; }
        std::string operator()(const FocusLost&) const { return "FocusLost"; }
        std::string operator()(const PasteEvent& p) const {
            return fmt::format("Paste({:?})", p.text);
        }
    };
    return std::visit(Describe{}, event);
}

}  // namespace tarnwick::tui
