#include "tui/term/input_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::tui {
namespace {

struct Case {
    const char* name;
    std::string bytes;
    std::vector<Event> expected;
};

Event k(Key code, KeyModifiers m = kNoModifiers) {
    return KeyEvent::key(code, m);
}
Event c(char32_t ch, KeyModifiers m = kNoModifiers) {
    return KeyEvent::character(ch, m);
}
Event f(std::uint8_t n, KeyModifiers m = kNoModifiers) {
    return KeyEvent::function(n, m);
}
Event kind(Event e, KeyEventKind kd) {
    std::get<KeyEvent>(e).kind = kd;
    return e;
}
Event mouse(MouseEventKind kd, std::uint16_t col, std::uint16_t row,
            MouseButton b = MouseButton::Left, KeyModifiers m = kNoModifiers) {
    return MouseEvent{kd, b, col, row, m};
}
using MK = MouseEventKind;
using MB = MouseButton;

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s.push_back(static_cast<char>(b));
    return s;
}

const std::vector<Case>& cases() {
    static const std::vector<Case> table = {
        // Single bytes, including the deliberate differences (0x08, LF).
        {"cr", "\r", {k(Key::Enter)}},
        {"lf_is_enter", "\n", {k(Key::Enter)}},
        {"tab", "\t", {k(Key::Tab)}},
        {"del_is_backspace", "\x7f", {k(Key::Backspace)}},
        {"ctrl_h_is_backspace", "\x08", {k(Key::Backspace)}},
        {"ctrl_c", "\x03", {c('c', kControl)}},
        {"ctrl_a_and_z", "\x01\x1a", {c('a', kControl), c('z', kControl)}},
        {"ctrl_4_to_7", "\x1c\x1f", {c('4', kControl), c('7', kControl)}},
        {"nul", bytes({0}), {c(' ', kControl)}},
        {"ascii", "aZ1", {c('a'), c('Z', kShift), c('1')}},
        {"utf8",
         "\xc3\xa9\xc3\x89\xe2\x82\xac\xf0\x9f\x98\x80",
         {c(U'\u00e9'), c(U'\u00c9', kShift), c(U'\u20ac'), c(U'\U0001F600')}},
        // The byte that breaks a sequence is dropped with it.
        {"invalid_utf8_dropped",
         "\x80x\xff"
         "y\xc3(z",
         {c('x'), c('y'), c('z')}},
        {"overlong_dropped", "\xc0\xafz", {c('z')}},
        {"lone_esc", "\x1b", {k(Key::Esc)}},
        {"esc_esc_is_one_esc", "\x1b\x1b", {k(Key::Esc)}},
        {"esc_esc_csi", "\x1b\x1b[A", {k(Key::Esc), c('['), c('A', kShift)}},
        // Alt prefixes.
        {"alt_a",
         "\x1b"
         "a",
         {c('a', kAlt)}},
        {"alt_shift_a",
         "\x1b"
         "A",
         {c('A', kShift | kAlt)}},
        {"alt_enter", "\x1b\r", {k(Key::Enter, kAlt)}},
        {"alt_backspace", "\x1b\x7f", {k(Key::Backspace, kAlt)}},
        {"alt_ctrl_a", "\x1b\x01", {c('a', kControl | kAlt)}},
        {"alt_utf8", "\x1b\xc3\xa9", {c(U'\u00e9', kAlt)}},
        // SS3 (xterm application cursor keys, FreeBSD vt with TERM=xterm).
        {"ss3_arrows",
         "\x1bOA\x1bOB\x1bOC\x1bOD",
         {k(Key::Up), k(Key::Down), k(Key::Right), k(Key::Left)}},
        {"ss3_home_end", "\x1bOH\x1bOF", {k(Key::Home), k(Key::End)}},
        {"ss3_f1_f4", "\x1bOP\x1bOQ\x1bOR\x1bOS", {f(1), f(2), f(3), f(4)}},
        {"ss3_keypad_dropped", "\x1bOpx", {c('x')}},
        // CSI keys of xterm, tmux/screen and the consoles.
        {"csi_arrows",
         "\x1b[A\x1b[B\x1b[C\x1b[D",
         {k(Key::Up), k(Key::Down), k(Key::Right), k(Key::Left)}},
        {"csi_home_end", "\x1b[H\x1b[F", {k(Key::Home), k(Key::End)}},
        {"backtab", "\x1b[Z", {k(Key::BackTab, kShift)}},
        {"csi_pqs", "\x1b[P\x1b[Q\x1b[S", {f(1), f(2), f(4)}},
        {"linux_console_f1_f5", "\x1b[[A\x1b[[E", {f(1), f(5)}},
        {"linux_console_bad", "\x1b[[Zq", {c('q')}},
        {"focus", "\x1b[I\x1b[O", {FocusGained{}, FocusLost{}}},
        {"tilde_home_end_tmux",
         "\x1b[1~\x1b[4~\x1b[7~\x1b[8~",
         {k(Key::Home), k(Key::End), k(Key::Home), k(Key::End)}},
        {"tilde_edit_keys",
         "\x1b[2~\x1b[3~\x1b[5~\x1b[6~",
         {k(Key::Insert), k(Key::Delete), k(Key::PageUp), k(Key::PageDown)}},
        {"tilde_f1_f4", "\x1b[11~\x1b[14~", {f(1), f(4)}},
        {"tilde_f5_f12",
         "\x1b[15~\x1b[17~\x1b[21~\x1b[23~\x1b[24~",
         {f(5), f(6), f(10), f(11), f(12)}},
        {"tilde_f13_up",
         "\x1b[25~\x1b[26~\x1b[28~\x1b[29~\x1b[31~\x1b[34~",
         {f(13), f(14), f(13), f(14), f(14), f(17)}},
        {"tilde_modifiers", "\x1b[3;5~\x1b[5;3~", {k(Key::Delete, kControl), k(Key::PageUp, kAlt)}},
        {"tilde_kind",
         "\x1b[3;1:2~\x1b[3;1:3~",
         {kind(k(Key::Delete), KeyEventKind::Repeat), kind(k(Key::Delete), KeyEventKind::Release)}},
        {"tilde_unknown_dropped", "\x1b[99~x", {c('x')}},
        {"modifier_keys",
         "\x1b[1;5A\x1b[1;2H\x1b[1;5P\x1b[1;8D",
         {k(Key::Up, kControl), k(Key::Home, kShift), f(1, kControl),
          k(Key::Left, kControl | kAlt | kShift)}},
        {"short_modifier_form", "\x1b[5A\x1b[2C", {k(Key::Up, kControl), k(Key::Right, kShift)}},
        {"modifier_kind", "\x1b[1;5:3B", {kind(k(Key::Down, kControl), KeyEventKind::Release)}},
        {"cursor_report_swallowed", "\x1b[1;5R\x1b[12;40Rx", {c('x')}},
        {"unknown_final_dropped", "\x1b[1;5Xy", {c('y')}},
        {"broken_semicolon", "\x1b[;5A", {c('5'), c('A', kShift)}},
        {"unknown_after_csi", "\x1b[=5u", {c('5'), c('u')}},
        {"unknown_e_after_csi", "\x1b[Eq", {c('q')}},
        {"private_reply_swallowed", "\x1b[?1;2c\x1b[?7ux", {c('x')}},
        // CSI-u keyboard protocol.
        {"csi_u_basic",
         "\x1b[97;5u\x1b[27u\x1b[13u\x1b[127u",
         {c('a', kControl), k(Key::Esc), k(Key::Enter), k(Key::Backspace)}},
        {"csi_u_tab", "\x1b[9u\x1b[9;2u", {k(Key::Tab), k(Key::BackTab, kShift)}},
        {"csi_u_shifted_alternate", "\x1b[97:65;2u", {c('A')}},
        {"csi_u_keypad", "\x1b[57399u", {[] {
             KeyEvent e = KeyEvent::character('0');
             e.state = kKeypad;
             return Event{e};
         }()}},
        {"csi_u_left_control", "\x1b[57442u", {[] {
             KeyEvent e = KeyEvent::key(Key::Modifier, kControl);
             e.number = 1;
             return Event{e};
         }()}},
        {"csi_u_bad_codepoint", "\x1b[55296ux", {c('x')}},
        // Bracketed paste.
        {"paste",
         "\x1b[200~hello\x1b[A \xff\x1b[201~",
         {PasteEvent{std::string("hello\x1b[A \xef\xbf\xbd")}}},
        // X10 mouse.
        {"x10_down", bytes({0x1b, '[', 'M', 0x20, 0x2a, 0x25}), {mouse(MK::Down, 9, 4)}},
        {"x10_up", bytes({0x1b, '[', 'M', 0x23, 0x21, 0x21}), {mouse(MK::Up, 0, 0)}},
        {"x10_right_ctrl",
         bytes({0x1b, '[', 'M', 0x20 + 2 + 16, 0x21, 0x22}),
         {mouse(MK::Down, 0, 1, MB::Right, kControl)}},
        {"x10_wheel",
         bytes({0x1b, '[', 'M', 0x60, 0x30, 0x30, 0x1b, '[', 'M', 0x61, 0xff, 0xff}),
         {mouse(MK::ScrollUp, 15, 15), mouse(MK::ScrollDown, 222, 222)}},
        {"x10_coordinate_clamps",
         bytes({0x1b, '[', 'M', 0x20, 0x20, 0x10}),
         {mouse(MK::Down, 0, 0)}},
        {"x10_cb_below_32_dropped", bytes({0x1b, '[', 'M', 0x10, 0x21, 0x21, 'x'}), {c('x')}},
        // SGR mouse.
        {"sgr_down_up", "\x1b[<0;10;5M\x1b[<0;10;5m", {mouse(MK::Down, 9, 4), mouse(MK::Up, 9, 4)}},
        {"sgr_right_middle",
         "\x1b[<2;1;1M\x1b[<2;1;1m\x1b[<1;3;4M",
         {mouse(MK::Down, 0, 0, MB::Right), mouse(MK::Up, 0, 0, MB::Right),
          mouse(MK::Down, 2, 3, MB::Middle)}},
        {"sgr_drag_moved",
         "\x1b[<32;10;5M\x1b[<35;10;5M\x1b[<35;10;5m",
         {mouse(MK::Drag, 9, 4), mouse(MK::Moved, 9, 4), mouse(MK::Moved, 9, 4)}},
        {"sgr_scroll",
         "\x1b[<64;1;1M\x1b[<65;2;2M\x1b[<66;3;3M\x1b[<67;4;4M",
         {mouse(MK::ScrollUp, 0, 0), mouse(MK::ScrollDown, 1, 1), mouse(MK::ScrollLeft, 2, 2),
          mouse(MK::ScrollRight, 3, 3)}},
        {"sgr_modifiers",
         "\x1b[<16;1;1M\x1b[<12;1;1M",
         {mouse(MK::Down, 0, 0, MB::Left, kControl),
          mouse(MK::Down, 0, 0, MB::Left, kShift | kAlt)}},
        {"sgr_zero_clamps", "\x1b[<0;0;0M", {mouse(MK::Down, 0, 0)}},
        {"sgr_large", "\x1b[<0;300;200M", {mouse(MK::Down, 299, 199)}},
        {"sgr_extra_buttons_dropped", "\x1b[<128;1;1M\x1b[<98;1;1Mx", {c('x')}},
        {"sgr_bad_number_dropped", "\x1b[<0;x;1Mq\x1b[<0;70000;1Mr", {c('q'), c('r')}},
        // urxvt mouse.
        {"urxvt_down", "\x1b[32;10;5M", {mouse(MK::Down, 9, 4)}},
        {"urxvt_release_scroll",
         "\x1b[35;2;3M\x1b[96;1;1M",
         {mouse(MK::Up, 1, 2), mouse(MK::ScrollUp, 0, 0)}},
        {"urxvt_zero_clamps", "\x1b[32;0;0M", {mouse(MK::Down, 0, 0)}},
        {"urxvt_cb_below_32_dropped", "\x1b[31;1;1Mx", {c('x')}},
        // Mixed input in one read.
        {"mixed", "a\x1b[<0;2;2M\x1b[Bb", {c('a'), mouse(MK::Down, 1, 1), k(Key::Down), c('b')}},
    };
    return table;
}

std::vector<Event> decode(const std::vector<std::string>& reads) {
    InputDecoder d;
    std::vector<Event> out;
    for (const auto& r : reads) {
        d.feed(r);
        while (auto e = d.pop()) out.push_back(*e);
    }
    d.finish();
    while (auto e = d.pop()) out.push_back(*e);
    return out;
}

std::string describe(const std::vector<Event>& events) {
    std::string s;
    for (const auto& e : events) s += describe_event(e) + "; ";
    return s;
}

void PrintTo(const Case& tc, std::ostream* os) {
    *os << tc.name;
}

class DecoderTable : public ::testing::TestWithParam<Case> {};

// Every case decodes the same whole and split at every byte boundary.
TEST_P(DecoderTable, WholeAndSplitAtEveryBoundary) {
    const Case& tc = GetParam();
    EXPECT_EQ(describe(decode({tc.bytes})), describe(tc.expected));
    EXPECT_EQ(decode({tc.bytes}), tc.expected);
    for (std::size_t cut = 1; cut < tc.bytes.size(); ++cut) {
        auto got = decode({tc.bytes.substr(0, cut), tc.bytes.substr(cut)});
        EXPECT_EQ(got, tc.expected) << "split at " << cut << ": " << describe(got);
    }
    std::vector<std::string> single;
    for (char ch : tc.bytes) single.emplace_back(1, ch);
    EXPECT_EQ(decode(single), tc.expected) << "byte by byte";
}

INSTANTIATE_TEST_SUITE_P(Sequences, DecoderTable, ::testing::ValuesIn(cases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(InputDecoder, WaitsForTheRestOfASequence) {
    InputDecoder d;
    d.feed("\x1b[<0;1");
    EXPECT_TRUE(d.pending());
    EXPECT_FALSE(d.has_event());
    d.feed(";1M");
    EXPECT_FALSE(d.pending());
    EXPECT_EQ(d.pop(), Event{mouse(MK::Down, 0, 0)});
}

TEST(InputDecoder, FinishDropsUnfinishedSequencesAndKeepsLoneEsc) {
    for (const char* partial :
         {"\x1b[", "\x1bO", "\x1b[1;5", "\x1b[<0;1;1", "\xe2\x82", "\x1b[200~abc"}) {
        InputDecoder d;
        d.feed(partial);
        d.finish();
        EXPECT_FALSE(d.has_event()) << describe_event(*d.pop());
        d.feed("x");
        EXPECT_EQ(d.pop(), Event{c('x')}) << "the decoder starts afresh";
    }
}

TEST(InputDecoder, OverlongPendingSequenceIsDropped) {
    InputDecoder d;
    d.feed("\x1b[<");
    d.feed(std::string(InputDecoder::kMaxPendingBytes - 2, '1'));
    EXPECT_FALSE(d.pending());
    EXPECT_FALSE(d.has_event());
    d.feed("\x1b[A");
    d.finish();
    EXPECT_EQ(d.pop(), Event{k(Key::Up)});
}

TEST(KeyEvent, UpperCaseLetterEqualsWithOrWithoutShift) {
    EXPECT_EQ(KeyEvent::character('A'), KeyEvent::character('A', kShift));
    EXPECT_NE(KeyEvent::character('a'), KeyEvent::character('a', kShift));
}

}  // namespace
}  // namespace tarnwick::tui
