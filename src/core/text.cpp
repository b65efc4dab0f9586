#include "core/text.h"

#include <algorithm>
#include <cstring>

namespace tarnwick {
namespace {

// Length of the valid prefix of a UTF-8 sequence starting at bytes[pos] and the
// sequence's full length; valid == full means a complete code point.
struct SeqCheck {
    std::size_t valid;
    std::size_t full;
};

SeqCheck check_sequence(std::string_view bytes, std::size_t pos) {
    const auto b0 = static_cast<unsigned char>(bytes[pos]);
    if (b0 < 0x80) return {1, 1};
    std::size_t need = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return {0, 1};
    }
    std::size_t i = 1;
    for (; i < need; ++i) {
        if (pos + i >= bytes.size()) break;
        const auto b = static_cast<unsigned char>(bytes[pos + i]);
        const unsigned char l = (i == 1) ? lo : 0x80;
        const unsigned char h = (i == 1) ? hi : 0xBF;
        if (b < l || b > h) break;
    }
    return {i, need};
}

}  // namespace

std::string decode_lossy(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const SeqCheck c = check_sequence(bytes, pos);
        if (c.valid == c.full) {
            out.append(bytes.substr(pos, c.full));
            pos += c.full;
        } else {
            out.append(kReplacementChar);
            pos += (c.valid == 0) ? 1 : c.valid;
        }
    }
    return out;
}

bool is_valid_utf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const SeqCheck c = check_sequence(bytes, pos);
        if (c.valid != c.full) return false;
        pos += c.full;
    }
    return true;
}

std::optional<char32_t> next_code_point(std::string_view text, std::size_t& pos) {
    if (pos >= text.size()) return std::nullopt;
    const SeqCheck c = check_sequence(text, pos);
    if (c.valid != c.full) return std::nullopt;
    const auto b0 = static_cast<unsigned char>(text[pos]);
    char32_t cp = 0;
    switch (c.full) {
        case 1:
            cp = b0;
            break;
        case 2:
            cp = b0 & 0x1Fu;
            break;
        case 3:
            cp = b0 & 0x0Fu;
            break;
        default:
            cp = b0 & 0x07u;
            break;
    }
    for (std::size_t i = 1; i < c.full; ++i) {
        cp = (cp << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3Fu);
    }
    pos += c.full;
    return cp;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool is_white_space(char32_t cp) {
    return (cp >= 0x09 && cp <= 0x0D) || cp == 0x20 || cp == 0x85 || cp == 0xA0 || cp == 0x1680 ||
           (cp >= 0x2000 && cp <= 0x200A) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F ||
           cp == 0x205F || cp == 0x3000;
}

std::string_view trim_start(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t next = pos;
        const auto cp = next_code_point(text, next);
        if (!cp || !is_white_space(*cp)) break;
        pos = next;
    }
    return text.substr(pos);
}

std::string_view trim_end(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0) {
        std::size_t start = end - 1;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
        std::size_t probe = start;
        const auto cp = next_code_point(text, probe);
        if (!cp || probe != end || !is_white_space(*cp)) break;
        end = start;
    }
    return text.substr(0, end);
}

std::string_view trim(std::string_view text) {
    return trim_end(trim_start(text));
}

std::vector<std::string_view> split_words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    std::size_t word_start = std::string_view::npos;
    while (pos < text.size()) {
        std::size_t next = pos;
        const auto cp = next_code_point(text, next);
        if (!cp) next = pos + 1;  // invalid byte: part of a word
        const bool space = cp && is_white_space(*cp);
        if (space && word_start != std::string_view::npos) {
            words.push_back(text.substr(word_start, pos - word_start));
            word_start = std::string_view::npos;
        } else if (!space && word_start == std::string_view::npos) {
            word_start = pos;
        }
        pos = next;
    }
    if (word_start != std::string_view::npos) words.push_back(text.substr(word_start));
    return words;
}

std::vector<std::string_view> split_at_line_feeds(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines = split_at_line_feeds(text);
    for (std::string_view& line : lines) {
        if (line.ends_with('\r')) line.remove_suffix(1);
    }
    return lines;
}

std::string ascii_lowercase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string ascii_uppercase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool is_ascii_alnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool is_control_char(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

std::string escape_control_chars(std::string_view raw, Backslash backslash) {
    const std::string text = decode_lossy(raw);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const std::optional<char32_t> cp = next_code_point(text, pos);
        if (!cp) {  // cannot happen on decoded text; never loop
            out += kReplacementChar;
            ++pos;
            continue;
        }
        const std::string_view bytes = std::string_view(text).substr(start, pos - start);
        if (*cp == U'\\' && backslash == Backslash::kDoubled) {
            out += "\\\\";
        } else if (*cp != U'\t' && is_control_char(*cp)) {
            for (const char byte : bytes) {
                const auto b = static_cast<unsigned char>(byte);
                out += '\\';
                out += static_cast<char>('0' + (b >> 6));
                out += static_cast<char>('0' + ((b >> 3) & 7));
                out += static_cast<char>('0' + (b & 7));
            }
        } else {
            out += bytes;
        }
    }
    return out;
}

std::size_t char_count(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    }
    return n;
}

std::string pad_chars(std::string_view text, std::size_t width) {
    std::string out(text);
    out.append(width - std::min(width, char_count(out)), ' ');
    return out;
}

std::string_view take_chars(std::string_view text, std::size_t n) {
    std::size_t pos = 0;
    std::size_t seen = 0;
    while (pos < text.size()) {
        if ((static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80) {
            if (seen == n) break;
            ++seen;
        }
        ++pos;
    }
    return text.substr(0, pos);
}

namespace {
// strerror_r comes in a GNU flavour (returns char*) and an XSI one (returns int).
[[maybe_unused]] const char* strerror_result(char* ret, const char*) {
    return ret;
}
[[maybe_unused]] const char* strerror_result(int ret, const char* buf) {
    return ret == 0 ? buf : "Unknown error";
}
}  // namespace

std::string system_error_text(int errnum) {
    char buf[256] = {};
    const char* text = strerror_result(strerror_r(errnum, buf, sizeof buf), buf);
    return std::string(text) + " (os error " + std::to_string(errnum) + ")";
}

std::string join_path(std::string_view folder, std::string_view name) {
    if (!name.empty() && name.front() == '/') return std::string(name);
    if (folder.empty()) return std::string(name);
    std::string out(folder);
    if (out.back() != '/') out.push_back('/');
    out.append(name);
    return out;
}

}  // namespace tarnwick
