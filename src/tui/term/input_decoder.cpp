#include "tui/term/input_decoder.h"

#include "core/text.h"

#include <utf8proc.h>

#include <charconv>
#include <vector>

namespace tarnwick::tui {
namespace {

constexpr char kEsc = '\x1b';

enum class Status { NeedMore, Invalid, Done };

// Done with no event: a reply of the terminal (cursor position, keyboard
// flags, device attributes) that is consumed but never delivered.
struct Parsed {
    Status status;
    std::optional<Event> event;
};

Parsed need_more() {
    return {Status::NeedMore, std::nullopt};
}
Parsed invalid() {
    return {Status::Invalid, std::nullopt};
}
Parsed done(Event e) {
    return {Status::Done, std::move(e)};
}
Parsed swallowed() {
    return {Status::Done, std::nullopt};
}
Parsed key(Key code, KeyModifiers m = kNoModifiers) {
    return done(KeyEvent::key(code, m));
}

auto byte(std::string_view b, std::size_t i) {
    return static_cast<unsigned char>(b[i]);
}

std::vector<std::string_view> split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t at = s.find(sep, start);
        if (at == std::string_view::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, at - start));
        start = at + 1;
    }
}

// A decimal number that fits T (an optional leading '+', as the reference
// parser allows).
template <class T>
std::optional<T> parse_number(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    T value{};
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return value;
}

// Parameters of a CSI sequence split on ';', consumed front to back.
class Params {
public:
    explicit Params(std::string_view s) : parts_(split(s, ';')) {}
    std::optional<std::string_view> next() {
        if (index_ >= parts_.size()) return std::nullopt;
        return parts_[index_++];
    }
    template <class T>
    std::optional<T> next_number() {
        auto p = next();
        if (!p) return std::nullopt;
        return parse_number<T>(*p);
    }

private:
    std::vector<std::string_view> parts_;
    std::size_t index_ = 0;
};

struct ModifierField {
    std::uint8_t mask;
    std::uint8_t kind;
};

// "m" or "m:k" in the next parameter.
std::optional<ModifierField> modifier_and_kind(Params& params) {
    auto field = params.next();
    if (!field) return std::nullopt;
    auto sub = split(*field, ':');
    auto mask = parse_number<std::uint8_t>(sub[0]);
    if (!mask) return std::nullopt;
    std::uint8_t kind = 1;
    if (sub.size() > 1) {
        if (auto k = parse_number<std::uint8_t>(sub[1])) kind = *k;
    }
    return ModifierField{*mask, kind};
}

KeyModifiers modifiers_from_mask(std::uint8_t mask) {
    unsigned bits = mask == 0 ? 0u : static_cast<unsigned>(mask - 1);
    KeyModifiers m = kNoModifiers;
    if (bits & 1u) m |= kShift;
    if (bits & 2u) m |= kAlt;
    if (bits & 4u) m |= kControl;
    if (bits & 8u) m |= kSuper;
    if (bits & 16u) m |= kHyper;
    if (bits & 32u) m |= kMeta;
    return m;
}

KeyState state_from_mask(std::uint8_t mask) {
    unsigned bits = mask == 0 ? 0u : static_cast<unsigned>(mask - 1);
    KeyState s = 0;
    if (bits & 64u) s |= kCapsLock;
    if (bits & 128u) s |= kNumLock;
    return s;
}

KeyEventKind kind_from_code(std::uint8_t code) {
    switch (code) {
        case 2:
            return KeyEventKind::Repeat;
        case 3:
            return KeyEventKind::Release;
        default:
            return KeyEventKind::Press;
    }
}

Parsed char_event(char32_t c) {
    KeyModifiers m = utf8proc_isupper(static_cast<utf8proc_int32_t>(c)) ? kShift : kNoModifiers;
    return done(KeyEvent::character(c, m));
}

Parsed parse_utf8(std::string_view b) {
    unsigned char lead = byte(b, 0);
    std::size_t required;
    if (lead <= 0x7F) {
        required = 1;
    } else if (lead >= 0xC0 && lead <= 0xDF) {
        required = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        required = 3;
    } else if (lead >= 0xF0 && lead <= 0xF7) {
        required = 4;
    } else {
        return invalid();
    }
    for (std::size_t i = 1; i < b.size(); ++i) {
        if ((byte(b, i) & 0xC0) != 0x80) return invalid();
    }
    if (b.size() < required) return need_more();
    std::size_t pos = 0;
    auto cp = next_code_point(b, pos);
    if (!cp || pos != b.size()) return invalid();
    return char_event(*cp);
}

// Mouse button byte: button number, motion bit and modifier bits.
std::optional<MouseEvent> mouse_from_cb(unsigned cb) {
    unsigned number = (cb & 3u) | ((cb & 0xC0u) >> 4);
    bool motion = (cb & 0x20u) != 0;
    MouseEvent e;
    auto with = [&](MouseEventKind k, MouseButton button = MouseButton::Left) {
        e.kind = k;
        e.button = button;
    };
    switch (number) {
        case 0:
            with(motion ? MouseEventKind::Drag : MouseEventKind::Down, MouseButton::Left);
            break;
        case 1:
            with(motion ? MouseEventKind::Drag : MouseEventKind::Down, MouseButton::Middle);
            break;
        case 2:
            with(motion ? MouseEventKind::Drag : MouseEventKind::Down, MouseButton::Right);
            break;
        case 3:
            with(motion ? MouseEventKind::Moved : MouseEventKind::Up);
            break;
        case 4:
            with(motion ? MouseEventKind::Moved : MouseEventKind::ScrollUp);
            break;
        case 5:
            with(motion ? MouseEventKind::Moved : MouseEventKind::ScrollDown);
            break;
        case 6:
            if (motion) return std::nullopt;
            with(MouseEventKind::ScrollLeft);
            break;
        case 7:
            if (motion) return std::nullopt;
            with(MouseEventKind::ScrollRight);
            break;
        default:
            return std::nullopt;
    }
    if (cb & 4u) e.modifiers |= kShift;
    if (cb & 8u) e.modifiers |= kAlt;
    if (cb & 16u) e.modifiers |= kControl;
    return e;
}

// 1-based report coordinate to a 0-based cell; 0 clamps to 0.
std::uint16_t cell(std::uint16_t one_based) {
    return one_based == 0 ? 0 : static_cast<std::uint16_t>(one_based - 1);
}

// ESC [ M cb cx cy
Parsed parse_x10_mouse(std::string_view b) {
    if (b.size() < 6) return need_more();
    if (byte(b, 3) < 32) return invalid();
    auto e = mouse_from_cb(byte(b, 3) - 32u);
    if (!e) return invalid();
    auto coord = [&](std::size_t i) {
        unsigned v = byte(b, i);
        return cell(static_cast<std::uint16_t>(v < 32 ? 0 : v - 32));
    };
    e->column = coord(4);
    e->row = coord(5);
    return done(*e);
}

// ESC [ < cb ; cx ; cy M|m
Parsed parse_sgr_mouse(std::string_view b) {
    char last = b.back();
    if (last != 'M' && last != 'm') return need_more();
    if (!is_valid_utf8(b.substr(3, b.size() - 4))) return invalid();
    Params params(b.substr(3, b.size() - 4));
    auto cb = params.next_number<std::uint8_t>();
    if (!cb) return invalid();
    auto e = mouse_from_cb(*cb);
    if (!e) return invalid();
    auto cx = params.next_number<std::uint16_t>();
    auto cy = params.next_number<std::uint16_t>();
    if (!cx || !cy) return invalid();
    e->column = cell(*cx);
    e->row = cell(*cy);
    if (last == 'm' && e->kind == MouseEventKind::Down) e->kind = MouseEventKind::Up;
    return done(*e);
}

// ESC [ cb ; cx ; cy M
Parsed parse_urxvt_mouse(std::string_view body) {
    Params params(body);
    auto cb = params.next_number<std::uint8_t>();
    if (!cb || *cb < 32) return invalid();
    auto e = mouse_from_cb(*cb - 32u);
    if (!e) return invalid();
    auto cx = params.next_number<std::uint16_t>();
    auto cy = params.next_number<std::uint16_t>();
    if (!cx || !cy) return invalid();
    e->column = cell(*cx);
    e->row = cell(*cy);
    return done(*e);
}

struct KeyFlags {
    KeyModifiers modifiers = kNoModifiers;
    KeyEventKind kind = KeyEventKind::Press;
    KeyState state = 0;
};

// The optional "modifiers:kind" field of a key sequence; a press without
// modifiers when it is absent.
KeyFlags key_flags(Params& params) {
    KeyFlags flags;
    if (auto field = modifier_and_kind(params)) {
        flags.modifiers = modifiers_from_mask(field->mask);
        flags.kind = kind_from_code(field->kind);
        flags.state = state_from_mask(field->mask);
    }
    return flags;
}

// ESC [ n (; m(:k)) ~
Parsed parse_special_key(std::string_view body) {
    Params params(body);
    auto first = params.next_number<std::uint8_t>();
    if (!first) return invalid();
    auto [m, kind, state] = key_flags(params);
    KeyEvent k = KeyEvent::key(Key::Home, m);
    unsigned n = *first;
    auto f = [&](unsigned number) {
        k.code = Key::F;
        k.number = static_cast<std::uint8_t>(number);
    };
    if (n == 1 || n == 7)
        k.code = Key::Home;
    else if (n == 2)
        k.code = Key::Insert;
    else if (n == 3)
        k.code = Key::Delete;
    else if (n == 4 || n == 8)
        k.code = Key::End;
    else if (n == 5)
        k.code = Key::PageUp;
    else if (n == 6)
        k.code = Key::PageDown;
    else if (n >= 11 && n <= 15)
        f(n - 10);
    else if (n >= 17 && n <= 21)
        f(n - 11);
    else if (n >= 23 && n <= 26)
        f(n - 12);
    else if (n >= 28 && n <= 29)
        f(n - 15);
    else if (n >= 31 && n <= 34)
        f(n - 17);
    else
        return invalid();
    k.kind = kind;
    k.state = state;
    return done(k);
}

// ESC [ (1 ; m(:k) | m) final, final one of A B C D F H P Q R S.
Parsed parse_modifier_key(std::string_view b) {
    std::string_view body = b.substr(2, b.size() - 3);
    if (!is_valid_utf8(body)) return invalid();
    Params params(body);
    (void)params.next();
    KeyModifiers m = kNoModifiers;
    KeyEventKind kind = KeyEventKind::Press;
    if (auto field = modifier_and_kind(params)) {
        m = modifiers_from_mask(field->mask);
        kind = kind_from_code(field->kind);
    } else if (b.size() > 3) {
        unsigned char digit = byte(b, b.size() - 2);
        if (digit < '0' || digit > '9') return invalid();
        m = modifiers_from_mask(static_cast<std::uint8_t>(digit - '0'));
    }
    KeyEvent k = KeyEvent::key(Key::Up, m);
    switch (b.back()) {
        case 'A':
            k.code = Key::Up;
            break;
        case 'B':
            k.code = Key::Down;
            break;
        case 'C':
            k.code = Key::Right;
            break;
        case 'D':
            k.code = Key::Left;
            break;
        case 'F':
            k.code = Key::End;
            break;
        case 'H':
            k.code = Key::Home;
            break;
        case 'P':
            k = KeyEvent::function(1, m);
            break;
        case 'Q':
            k = KeyEvent::function(2, m);
            break;
        case 'R':
            k = KeyEvent::function(3, m);
            break;
        case 'S':
            k = KeyEvent::function(4, m);
            break;
        default:
            return invalid();
    }
    k.kind = kind;
    return done(k);
}

// Functional keys of the CSI-u keyboard protocol (private-use code points).
std::optional<KeyEvent> functional_key(std::uint32_t cp) {
    auto keypad = [](KeyEvent k) {
        k.state = kKeypad;
        return k;
    };
    if (cp >= 57399 && cp <= 57408) return keypad(KeyEvent::character(U'0' + (cp - 57399)));
    static constexpr char32_t kKeypadChars[] = {U'.', U'/', U'*', U'-', U'+'};
    if (cp >= 57409 && cp <= 57413) return keypad(KeyEvent::character(kKeypadChars[cp - 57409]));
    switch (cp) {
        case 57414:
            return keypad(KeyEvent::key(Key::Enter));
        case 57415:
            return keypad(KeyEvent::character(U'='));
        case 57416:
            return keypad(KeyEvent::character(U','));
        case 57417:
            return keypad(KeyEvent::key(Key::Left));
        case 57418:
            return keypad(KeyEvent::key(Key::Right));
        case 57419:
            return keypad(KeyEvent::key(Key::Up));
        case 57420:
            return keypad(KeyEvent::key(Key::Down));
        case 57421:
            return keypad(KeyEvent::key(Key::PageUp));
        case 57422:
            return keypad(KeyEvent::key(Key::PageDown));
        case 57423:
            return keypad(KeyEvent::key(Key::Home));
        case 57424:
            return keypad(KeyEvent::key(Key::End));
        case 57425:
            return keypad(KeyEvent::key(Key::Insert));
        case 57426:
            return keypad(KeyEvent::key(Key::Delete));
        case 57427:
            return keypad(KeyEvent::key(Key::KeypadBegin));
        case 57358:
            return KeyEvent::key(Key::CapsLock);
        case 57359:
            return KeyEvent::key(Key::ScrollLock);
        case 57360:
            return KeyEvent::key(Key::NumLock);
        case 57361:
            return KeyEvent::key(Key::PrintScreen);
        case 57362:
            return KeyEvent::key(Key::Pause);
        case 57363:
            return KeyEvent::key(Key::Menu);
        default:
            break;
    }
    if (cp >= 57376 && cp <= 57398)
        return KeyEvent::function(static_cast<std::uint8_t>(13 + (cp - 57376)));
    if (cp >= 57428 && cp <= 57440) {
        KeyEvent k = KeyEvent::key(Key::Media);
        k.number = static_cast<std::uint8_t>(cp - 57428);
        return k;
    }
    if (cp >= 57441 && cp <= 57454) {
        KeyEvent k = KeyEvent::key(Key::Modifier);
        k.number = static_cast<std::uint8_t>(cp - 57441);
        return k;
    }
    return std::nullopt;
}

// ESC [ code(:shifted) (; m(:k)) u
Parsed parse_csi_u(std::string_view body) {
    Params params(body);
    auto codes_field = params.next();
    if (!codes_field) return invalid();
    auto codes = split(*codes_field, ':');
    auto cp = parse_number<std::uint32_t>(codes[0]);
    if (!cp) return invalid();
    auto [m, kind, state] = key_flags(params);
    KeyEvent k;
    if (auto special = functional_key(*cp)) {
        k = *special;
    } else if (*cp < 0x110000 && !(*cp >= 0xD800 && *cp <= 0xDFFF)) {
        char32_t c = *cp;
        if (c == 0x1B)
            k = KeyEvent::key(Key::Esc);
        else if (c == U'\r')
            k = KeyEvent::key(Key::Enter);
        else if (c == U'\t')
            k = KeyEvent::key((m & kShift) ? Key::BackTab : Key::Tab);
        else if (c == 0x7F)
            k = KeyEvent::key(Key::Backspace);
        else
            k = KeyEvent::character(c);
    } else {
        return invalid();
    }
    if (k.code == Key::Modifier) {
        static constexpr KeyModifiers kSides[] = {kShift, kControl, kAlt, kSuper, kHyper, kMeta};
        unsigned side = k.number % 6u;
        if (k.number < 12) m |= kSides[side];
    }
    // With alternate-key reporting a shifted key carries the shifted character.
    if ((m & kShift) && codes.size() > 1) {
        if (auto shifted = parse_number<std::uint32_t>(codes[1]);
            shifted && *shifted < 0x110000 && !(*shifted >= 0xD800 && *shifted <= 0xDFFF)) {
            k = KeyEvent::character(*shifted);
            m = static_cast<KeyModifiers>(m & ~kShift);
        }
    }
    k.modifiers = m;
    k.kind = kind;
    k.state = static_cast<KeyState>(k.state | state);
    return done(k);
}

Parsed parse_numbered_csi(std::string_view b) {
    if (b.size() == 3) return need_more();
    unsigned char last = byte(b, b.size() - 1);
    if (last < 64 || last > 126) return need_more();
    static constexpr std::string_view kPasteStart = "\x1b[200~";
    static constexpr std::string_view kPasteEnd = "\x1b[201~";
    if (b.substr(0, kPasteStart.size()) == kPasteStart) {
        if (b.size() < kPasteStart.size() + kPasteEnd.size() ||
            b.substr(b.size() - kPasteEnd.size()) != kPasteEnd) {
            return need_more();
        }
        std::string_view text =
            b.substr(kPasteStart.size(), b.size() - kPasteStart.size() - kPasteEnd.size());
        return done(PasteEvent{decode_lossy(text)});
    }
    std::string_view body = b.substr(2, b.size() - 3);
    if (!is_valid_utf8(body)) return invalid();
    switch (last) {
        case 'M':
            return parse_urxvt_mouse(body);
        case '~':
            return parse_special_key(body);
        case 'u':
            return parse_csi_u(body);
        case 'R':
            return swallowed();  // a cursor position report (also CSI 1;m R)
        default:
            return parse_modifier_key(b);
    }
}

Parsed parse_csi(std::string_view b) {
    if (b.size() == 2) return need_more();
    switch (b[2]) {
        case '[':
            if (b.size() == 3) return need_more();
            if (b[3] >= 'A' && b[3] <= 'E')
                return done(KeyEvent::function(static_cast<std::uint8_t>(1 + b[3] - 'A')));
            return invalid();
        case 'D':
            return key(Key::Left);
        case 'C':
            return key(Key::Right);
        case 'A':
            return key(Key::Up);
        case 'B':
            return key(Key::Down);
        case 'H':
            return key(Key::Home);
        case 'F':
            return key(Key::End);
        case 'Z':
            return key(Key::BackTab, kShift);
        case 'M':
            return parse_x10_mouse(b);
        case '<':
            return parse_sgr_mouse(b);
        case 'I':
            return done(FocusGained{});
        case 'O':
            return done(FocusLost{});
        case ';':
            return parse_modifier_key(b);
        case 'P':
            return done(KeyEvent::function(1));
        case 'Q':
            return done(KeyEvent::function(2));
        case 'S':
            return done(KeyEvent::function(4));
        case '?': {
            char last = b.back();
            // Keyboard-flags and device-attributes replies are consumed silently.
            return (last == 'u' || last == 'c') ? swallowed() : need_more();
        }
        default:
            if (b[2] >= '0' && b[2] <= '9') return parse_numbered_csi(b);
            return invalid();
    }
}

Parsed parse_event(std::string_view b, bool more_may_follow) {
    unsigned char first = byte(b, 0);
    if (first == 0x1B) {
        if (b.size() == 1) return more_may_follow ? need_more() : key(Key::Esc);
        switch (b[1]) {
            case 'O':
                if (b.size() == 2) return need_more();
                switch (b[2]) {
                    case 'D':
                        return key(Key::Left);
                    case 'C':
                        return key(Key::Right);
                    case 'A':
                        return key(Key::Up);
                    case 'B':
                        return key(Key::Down);
                    case 'H':
                        return key(Key::Home);
                    case 'F':
                        return key(Key::End);
                    case 'P':
                    case 'Q':
                    case 'R':
                    case 'S':
                        return done(KeyEvent::function(static_cast<std::uint8_t>(1 + b[2] - 'P')));
                    default:
                        return invalid();
                }
            case '[':
                return parse_csi(b);
            case kEsc:
                return key(Key::Esc);
            default: {
                Parsed inner = parse_event(b.substr(1), more_may_follow);
                if (inner.status == Status::Done && inner.event) {
                    if (auto* k = std::get_if<KeyEvent>(&*inner.event)) k->modifiers |= kAlt;
                }
                return inner;
            }
        }
    }
    switch (first) {
        case '\r':
        case '\n':
            return key(Key::Enter);
        case '\t':
            return key(Key::Tab);
        case 0x7F:
        case 0x08:
            return key(Key::Backspace);
        case 0x00:
            return done(KeyEvent::character(U' ', kControl));
        default:
            break;
    }
    if (first >= 0x01 && first <= 0x1A)
        return done(KeyEvent::character(U'a' + (first - 1u), kControl));
    if (first >= 0x1C && first <= 0x1F)
        return done(KeyEvent::character(U'4' + (first - 0x1Cu), kControl));
    return parse_utf8(b);
}

}  // namespace

void InputDecoder::feed(std::string_view bytes) {
    for (char c : bytes) push_byte(c);
}

void InputDecoder::push_byte(char c) {
    buffer_.push_back(c);
    Parsed result = parse_event(buffer_, true);
    switch (result.status) {
        case Status::NeedMore:
            if (buffer_.size() > kMaxPendingBytes) buffer_.clear();
            return;
        case Status::Invalid:
            buffer_.clear();
            return;
        case Status::Done:
            if (result.event) events_.push_back(std::move(*result.event));
            buffer_.clear();
            return;
    }
}

void InputDecoder::finish() {
    if (buffer_.empty()) return;
    Parsed result = parse_event(buffer_, false);
    if (result.status == Status::Done && result.event) events_.push_back(std::move(*result.event));
    buffer_.clear();
}

std::optional<Event> InputDecoder::pop() {
    if (events_.empty()) return std::nullopt;
    Event e = std::move(events_.front());
    events_.pop_front();
    return e;
}

}  // namespace tarnwick::tui
