#pragma once
// UTF-8 text helpers shared by every layer. Bytes from files, commands and the
// OS are decoded explicitly; nothing here assumes its input is valid UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

inline constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";  // U+FFFD

// Decodes bytes as UTF-8, replacing each maximal invalid subpart with U+FFFD.
std::string decode_lossy(std::string_view bytes);

// True when the bytes are well-formed UTF-8.
bool is_valid_utf8(std::string_view bytes);

// Decodes one code point of valid UTF-8 at `pos`, advancing `pos`.
// Returns nullopt (and leaves pos) on an invalid or truncated sequence.
std::optional<char32_t> next_code_point(std::string_view text, std::size_t& pos);

// Appends the UTF-8 encoding of a code point.
void append_utf8(std::string& out, char32_t cp);

// Unicode White_Space property.
bool is_white_space(char32_t cp);

// Trimming by Unicode White_Space (input must be valid UTF-8).
std::string_view trim(std::string_view text);
std::string_view trim_start(std::string_view text);
std::string_view trim_end(std::string_view text);

// Splits on runs of Unicode White_Space; no empty words.
std::vector<std::string_view> split_words(std::string_view text);

// The lines of a text as /bin/sh reads them: split at line feeds, every other
// byte kept, no empty last line after a final line feed.
std::vector<std::string_view> split_at_line_feeds(std::string_view text);

// The same lines with one carriage return before each line feed dropped.
std::vector<std::string_view> split_lines(std::string_view text);

// ASCII letters mapped to the other case, every other byte kept: for
// keywords and flags that are compared without regard to case.
std::string ascii_lowercase(std::string_view text);
std::string ascii_uppercase(std::string_view text);

// An ASCII letter or digit.
bool is_ascii_alnum(char c);

// A C0 control, DEL or a C1 control.
bool is_control_char(char32_t cp);

// The text as it may reach a reader's terminal: each control character but
// the tab written as a backslash and three octal digits per byte of its
// UTF-8 form (ESC "\033", the C1 CSI "\302\233"), invalid UTF-8 as U+FFFD.
// With kDoubled a backslash becomes "\\", so the escaping can be undone;
// kKept leaves texts that quote backslashes themselves as they are.
enum class Backslash { kDoubled, kKept };
std::string escape_control_chars(std::string_view text, Backslash backslash);

// Number of code points (characters) in valid UTF-8.
std::size_t char_count(std::string_view text);

// Pads with blanks on the right to at least `width` characters; never cuts.
std::string pad_chars(std::string_view text, std::size_t width);

// The first `n` characters of valid UTF-8.
std::string_view take_chars(std::string_view text, std::size_t n);

// "<strerror text> (os error N)".
std::string system_error_text(int errnum);

// Joins a file name onto a folder: an absolute name replaces the folder, an
// empty folder yields the name, and one "/" is added unless the folder already
// ends with one.
std::string join_path(std::string_view folder, std::string_view name);

}  // namespace tarnwick
