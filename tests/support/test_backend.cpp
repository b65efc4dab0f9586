#include "support/test_backend.h"

#include <charconv>
#include <vector>

#include "tui/kit/width.h"

namespace tarnwick::test {

using namespace tui;
namespace {

std::vector<unsigned> parse_params(std::string_view params) {
    std::vector<unsigned> out;
    std::size_t pos = 0;
    while (true) {
        std::size_t end = params.find(';', pos);
        std::string_view part = params.substr(pos, end == std::string_view::npos ? end : end - pos);
        unsigned value = 0;
        std::from_chars(part.data(), part.data() + part.size(), value);
        out.push_back(value);
        if (end == std::string_view::npos) break;
        pos = end + 1;
    }
    return out;
}

Color from_index(unsigned n) {
    return n < 16 ? static_cast<Color>(n + 1) : Color::Reset;
}

}  // namespace

TestBackend::TestBackend(std::uint16_t width, std::uint16_t height)
    : size_{width, height}, screen_(Rect{0, 0, width, height}) {}

Result<Size, IoError> TestBackend::size() {
    if (failure_) return fail(IoError{*failure_});
    return size_;
}

Result<void, IoError> TestBackend::write(std::string_view bytes) {
    if (failure_) return fail(IoError{*failure_});
    pending_.append(bytes);
    return {};
}

Result<void, IoError> TestBackend::flush() {
    if (failure_) return fail(IoError{*failure_});
    ++flushes_;
    flushed_.append(pending_);
    apply(pending_);
    pending_.clear();
    return {};
}

std::string TestBackend::take_bytes() {
    std::string out = flushed_.substr(taken_);
    taken_ = flushed_.size();
    return out;
}

std::string TestBackend::row_text(std::uint16_t y) const {
    std::string out;
    for (std::uint16_t x = 0; x < screen_.area().width; ++x) {
        if (const Cell* c = screen_.cell(x, y)) out.append(c->symbol);
    }
    return out;
}

void TestBackend::set_size(std::uint16_t width, std::uint16_t height) {
    size_ = {width, height};
    screen_.resize(Rect{0, 0, width, height});
}

// Interprets the subset of sequences the kit and the terminal layer write:
// cursor moves, colours and modifiers, clear, cursor show/hide. Other
// sequences (modes) are consumed without effect.
void TestBackend::apply(std::string_view bytes) {
    std::string data = partial_;
    data.append(bytes);
    partial_.clear();
    std::size_t text_start = 0;
    std::size_t i = 0;
    while (i < data.size()) {
        if (data[i] != '\x1b') {
            ++i;
            continue;
        }
        put_text(std::string_view(data).substr(text_start, i - text_start));
        if (i + 1 >= data.size()) {
            partial_ = data.substr(i);
            return;
        }
        if (data[i + 1] == '[') {
            std::size_t j = i + 2;
            while (j < data.size() && !(data[j] >= 0x40 && data[j] <= 0x7E)) ++j;
            if (j >= data.size()) {
                partial_ = data.substr(i);
                return;
            }
            apply_csi(std::string_view(data).substr(i + 2, j - i - 2), data[j]);
            i = j + 1;
        } else {
            i += 2;  // ESC 7, ESC 8 and the like
        }
        text_start = i;
    }
    put_text(std::string_view(data).substr(text_start));
}

void TestBackend::apply_csi(std::string_view params, char final_byte) {
    if (!params.empty() && params[0] == '?') {
        if (params == "?25" && final_byte == 'l') cursor_visible_ = false;
        if (params == "?25" && final_byte == 'h') cursor_visible_ = true;
        return;
    }
    switch (final_byte) {
        case 'H': {
            std::vector<unsigned> p = parse_params(params);
            unsigned row = p.empty() || p[0] == 0 ? 1 : p[0];
            unsigned col = p.size() < 2 || p[1] == 0 ? 1 : p[1];
            cursor_ = {static_cast<std::uint16_t>(col - 1), static_cast<std::uint16_t>(row - 1)};
            break;
        }
        case 'J':
            if (params == "2") screen_.reset();
            break;
        case 'm':
            apply_sgr(params);
            break;
        default:
            break;
    }
}

void TestBackend::apply_sgr(std::string_view params) {
    if (params.empty() || params == ";") {
        pen_ = Style::reset();
        return;
    }
    std::vector<unsigned> p = parse_params(params);
    for (std::size_t i = 0; i < p.size(); ++i) {
        unsigned code = p[i];
        if ((code == 38 || code == 48) && i + 2 < p.size() && p[i + 1] == 5) {
            Color c = from_index(p[i + 2]);
            pen_ = code == 38 ? pen_.with_fg(c) : pen_.with_bg(c);
            i += 2;
            continue;
        }
        switch (code) {
            case 0:
                pen_ = Style::reset();
                break;
            case 1:
                pen_ = pen_.add(Modifier::Bold);
                break;
            case 2:
                pen_ = pen_.add(Modifier::Dim);
                break;
            case 3:
                pen_ = pen_.add(Modifier::Italic);
                break;
            case 4:
                pen_ = pen_.add(Modifier::Underlined);
                break;
            case 7:
                pen_ = pen_.add(Modifier::Reversed);
                break;
            case 22:
                pen_ = pen_.remove(Modifier::Bold | Modifier::Dim);
                break;
            case 23:
                pen_ = pen_.remove(Modifier::Italic);
                break;
            case 24:
                pen_ = pen_.remove(Modifier::Underlined);
                break;
            case 27:
                pen_ = pen_.remove(Modifier::Reversed);
                break;
            case 39:
                pen_ = pen_.with_fg(Color::Reset);
                break;
            case 49:
                pen_ = pen_.with_bg(Color::Reset);
                break;
            default:
                break;
        }
    }
}

void TestBackend::put_text(std::string_view text) {
    for (const Grapheme& g : graphemes(text)) {
        Cell* c = screen_.cell(cursor_.x, cursor_.y);
        if (c == nullptr) break;
        c->set_symbol(g.symbol);
        c->fg = pen_.fg.value_or(Color::Reset);
        c->bg = pen_.bg.value_or(Color::Reset);
        c->modifier = pen_.add_modifier;
        cursor_.x = saturating_add(cursor_.x, g.width);
    }
}

}  // namespace tarnwick::test
