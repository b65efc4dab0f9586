#include "core/json/parser.h"

#include "core/text.h"

#include <fmt/format.h>
#include <rapidjson/error/error.h>
#include <rapidjson/reader.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace tarnwick::json {
namespace {

// A byte stream over the text. RapidJSON copies its own string streams into
// locals while it parses a token, so their Tell() lags behind; this one has
// no copy optimisation and the handler can ask it for the current offset.
class TextStream {
public:
    using Ch = char;
    explicit TextStream(std::string_view text) : text_(text) {}
    Ch Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    Ch Take() { return pos_ < text_.size() ? text_[pos_++] : '\0'; }
    std::size_t Tell() const { return pos_; }
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    std::size_t PutEnd(Ch*) { return 0; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool is_json_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The decimal exponent of a non-zero JSON number's leading digit, saturated
// far beyond the range of a double: tells an overflow from an underflow.
std::int64_t decimal_magnitude(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    const std::size_t e_pos = text.find_first_of("eE");
    const std::string_view mantissa = text.substr(0, e_pos);
    std::int64_t exponent = 0;
    if (e_pos != std::string_view::npos) {
        std::string_view digits = text.substr(e_pos + 1);
        bool negative = false;
        if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
            negative = digits.front() == '-';
            digits.remove_prefix(1);
        }
        for (char c : digits) {
            exponent = std::min<std::int64_t>(exponent * 10 + (c - '0'), 1'000'000'000);
        }
        if (negative) exponent = -exponent;
    }
    const std::size_t point = mantissa.find('.');
    const std::size_t int_digits = point == std::string_view::npos ? mantissa.size() : point;
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return std::numeric_limits<std::int64_t>::min();
    const auto position = first < int_digits ? static_cast<std::int64_t>(int_digits - first) - 1
                                             : -static_cast<std::int64_t>(first - int_digits);
    return exponent + position;
}

// A JSON number (already checked by the reader) as a tree value: integers
// that fit 64 bits as Uint or Int, everything else as a correctly rounded
// double. Nothing when the number is too large for a double; one too small
// becomes zero.
std::optional<Value> number_value(std::string_view text) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const bool negative = !text.empty() && text.front() == '-';
    Value v;
    if (text.find_first_of(".eE") == std::string_view::npos) {
        if (text == "-0") {  // a negative zero is a float, as in serde
            v.kind = Kind::Float;
            v.float_value = -0.0;
            return v;
        }
        if (negative) {
            std::int64_t i = 0;
            if (auto r = std::from_chars(first, last, i); r.ec == std::errc() && r.ptr == last) {
                v.kind = Kind::Int;
                v.int_value = i;
                return v;
            }
        } else {
            std::uint64_t u = 0;
            if (auto r = std::from_chars(first, last, u); r.ec == std::errc() && r.ptr == last) {
                v.kind = Kind::Uint;
                v.uint_value = u;
                return v;
            }
        }
    }
    v.kind = Kind::Float;
    const auto r = std::from_chars(first, last, v.float_value);
    if (r.ec == std::errc::result_out_of_range) {
        if (decimal_magnitude(text) > 0) return std::nullopt;
        v.float_value = negative ? -0.0 : 0.0;
    } else if (r.ec != std::errc() || r.ptr != last) {
        return std::nullopt;
    }
    return v;
}

// Builds the tree from SAX events. Offsets come from the stream: every event
// arrives right after its token was consumed.
class TreeBuilder {
public:
    TreeBuilder(std::string_view text, const TextStream& stream) : text_(text), stream_(stream) {}

    bool Null() { return scalar(Value{}); }
    bool Bool(bool b) {
        Value v;
        v.kind = Kind::Bool;
        v.boolean = b;
        return scalar(std::move(v));
    }
    // Numbers arrive as their text (RawNumber below); the reader still needs
    // the typed events to compile.
    bool Int(int) { return false; }
    bool Int64(std::int64_t) { return false; }
    bool Uint(unsigned) { return false; }
    bool Uint64(std::uint64_t) { return false; }
    bool Double(double) { return false; }
    // Numbers are converted here: the library's own full-precision
    // conversion crashes on some long mantissas with large negative
    // exponents (and gives wrong values past the double range), and its fast
    // one rounds wrongly.
    bool RawNumber(const char* s, rapidjson::SizeType len, bool) {
        auto number = number_value(std::string_view(s, len));
        if (!number) {
            out_of_range_at_ = stream_.Tell();
            return false;
        }
        return scalar(std::move(*number));
    }
    bool String(const char* s, rapidjson::SizeType len, bool) {
        Value v;
        v.kind = Kind::String;
        v.string.assign(s, len);
        return scalar(std::move(v));
    }
    bool Key(const char* s, rapidjson::SizeType len, bool) {
        Member m;
        m.key.assign(s, len);
        m.key_start = token_start();
        m.key_end = stream_.Tell();
        last_end_ = m.key_end;
        stack_.back().members.push_back(std::move(m));
        return true;
    }
    bool StartObject() { return open(Kind::Object); }
    bool EndObject(rapidjson::SizeType) { return close(); }
    bool StartArray() { return open(Kind::Array); }
    bool EndArray(rapidjson::SizeType) { return close(); }

    std::optional<Value>& root() { return root_; }
    // Offset of the bracket that went past the nesting limit.
    std::optional<std::size_t> too_deep_at() const { return too_deep_at_; }
    std::size_t last_end() const { return last_end_; }
    // Where a number too large for a double ended.
    std::optional<std::size_t> out_of_range_at() const { return out_of_range_at_; }

private:
    // A value or key starts at the first byte after the previous token that
    // is neither white space nor a separator.
    std::size_t token_start() const {
        std::size_t i = last_end_;
        while (i < text_.size() && (is_json_space(text_[i]) || text_[i] == ',' || text_[i] == ':'))
            ++i;
        return i;
    }

    bool scalar(Value v) {
        v.start = token_start();
        v.end = stream_.Tell();
        last_end_ = v.end;
        attach(std::move(v));
        return true;
    }

    bool open(Kind kind) {
        const std::size_t end = stream_.Tell();
        if (stack_.size() >= kMaxDepth) {
            too_deep_at_ = end - 1;
            return false;
        }
        Value v;
        v.kind = kind;
        v.start = end - 1;
        last_end_ = end;
        stack_.push_back(std::move(v));
        return true;
    }

    bool close() {
        Value v = std::move(stack_.back());
        stack_.pop_back();
        v.end = stream_.Tell();
        last_end_ = v.end;
        attach(std::move(v));
        return true;
    }

    void attach(Value v) {
        if (stack_.empty()) {
            root_ = std::move(v);
            return;
        }
        Value& parent = stack_.back();
        if (parent.kind == Kind::Array) {
            parent.items.push_back(std::move(v));
        } else {
            parent.members.back().value = std::move(v);
        }
    }

    std::string_view text_;
    const TextStream& stream_;
    std::vector<Value> stack_;
    std::optional<Value> root_;
    std::optional<std::size_t> too_deep_at_;
    std::optional<std::size_t> out_of_range_at_;
    std::size_t last_end_ = 0;
};

// The last non-space byte before `offset`, or '\0'.
char previous_byte(std::string_view text, std::size_t offset) {
    while (offset > 0) {
        --offset;
        if (!is_json_space(text[offset])) return text[offset];
    }
    return '\0';
}

bool is_ident_prefix(std::string_view text, std::size_t offset) {
    std::size_t begin = offset;
    while (begin > 0 && text[begin - 1] >= 'a' && text[begin - 1] <= 'z') --begin;
    if (begin == offset) return false;
    const std::string_view run = text.substr(begin, offset - begin);
    for (std::string_view word : {"true", "false", "null"}) {
        if (word.size() > run.size() && word.substr(0, run.size()) == run) return true;
    }
    return false;
}

struct Fault {
    std::string_view description;
    std::size_t index;  // consumed bytes when the fault is reported
};

constexpr std::string_view kControlInString =
    "control character (\\u0000-\\u001F) found while parsing a string";

// Walks a string token from its opening quote to find the first fault the
// way a byte-by-byte reader meets it.
Fault string_fault(std::string_view text, std::size_t quote) {
    const std::size_t n = text.size();
    std::size_t i = quote + 1;
    while (i < n) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"') break;
        if (c == '\\') {
            if (i + 1 >= n) return {"EOF while parsing a string", n};
            const char e = text[i + 1];
            if (e == 'u') {
                for (std::size_t k = i + 2; k < i + 6; ++k) {
                    if (k >= n) return {"EOF while parsing a string", n};
                    if (!std::isxdigit(static_cast<unsigned char>(text[k])))
                        return {"invalid escape", k + 1};
                }
                i += 6;
                continue;
            }
            if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
                return {"invalid escape", i + 2};
            }
            i += 2;
            continue;
        }
        if (c < 0x20) return {kControlInString, i + 1};
        if (c >= 0x80) {
            std::size_t probe = i;
            if (!next_code_point(text, probe)) return {"invalid unicode code point", i + 1};
            i = probe;
            continue;
        }
        ++i;
    }
    if (i >= n) return {"EOF while parsing a string", n};
    // The characters are fine: the escapes form an invalid surrogate pair.
    return {"lone leading surrogate in hex escape", i};
}

std::size_t number_end(std::string_view text, std::size_t i) {
    while (i < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.' || text[i] == 'e' ||
            text[i] == 'E' || text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    return i;
}

Fault describe_fault(std::string_view text, rapidjson::ParseErrorCode code, std::size_t offset,
                     const TreeBuilder& builder) {
    const std::size_t n = text.size();
    const bool at_eof = offset >= n;
    const std::size_t here = std::min(offset + 1, n);
    const char prev = previous_byte(text, std::min(offset, n));
    // A digit straight after a leading zero: "01".
    if (!at_eof && std::isdigit(static_cast<unsigned char>(text[offset])) && offset > 0 &&
        text[offset - 1] == '0') {
        return {"invalid number", here};
    }
    switch (code) {
        case rapidjson::kParseErrorDocumentEmpty:  // also a NUL byte where the value should start
            if (!at_eof) return {"expected value", here};
            return {"EOF while parsing a value", n};
        case rapidjson::kParseErrorValueInvalid:
            if (at_eof)
                return {prev == '[' ? "EOF while parsing a list" : "EOF while parsing a value", n};
            if (text[offset] == ']' && prev == ',') return {"trailing comma", here};
            if (offset > 0 && text[offset - 1] == '-') return {"invalid number", here};
            if (is_ident_prefix(text, offset)) return {"expected ident", here};
            return {"expected value", here};
        case rapidjson::kParseErrorObjectMissName:
            if (at_eof)
                return {prev == ',' ? "EOF while parsing a value" : "EOF while parsing an object",
                        n};
            if (text[offset] == '}' && prev == ',') return {"trailing comma", here};
            return {"key must be a string", here};
        case rapidjson::kParseErrorObjectMissColon:
            if (at_eof) return {"EOF while parsing an object", n};
            return {"expected `:`", here};
        case rapidjson::kParseErrorObjectMissCommaOrCurlyBracket:
            if (at_eof) return {"EOF while parsing an object", n};
            return {"expected `,` or `}`", here};
        case rapidjson::kParseErrorArrayMissCommaOrSquareBracket:
            if (at_eof) return {"EOF while parsing a list", n};
            return {"expected `,` or `]`", here};
        case rapidjson::kParseErrorStringUnicodeEscapeInvalidHex:
        case rapidjson::kParseErrorStringUnicodeSurrogateInvalid:
        case rapidjson::kParseErrorStringEscapeInvalid:
        case rapidjson::kParseErrorStringMissQuotationMark:
        case rapidjson::kParseErrorStringInvalidEncoding: {
            std::size_t quote = builder.last_end();
            while (quote < n && text[quote] != '"') ++quote;
            return string_fault(text, quote);
        }
        case rapidjson::kParseErrorNumberTooBig:
            return {"number out of range", number_end(text, offset)};
        case rapidjson::kParseErrorNumberMissFraction:
        case rapidjson::kParseErrorNumberMissExponent:
            return {"invalid number", here};
        case rapidjson::kParseErrorTermination:
            if (builder.out_of_range_at())
                return {"number out of range", *builder.out_of_range_at()};
            if (builder.too_deep_at())
                return {"recursion limit exceeded", *builder.too_deep_at() + 1};
            return {"expected value", here};
        default:
            return {"expected value", here};
    }
}

}  // namespace

const Value* Value::find(std::string_view key) const {
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
        if (it->key == key) return &it->value;
    }
    return nullptr;
}

std::string with_position(std::string_view message, Position position) {
    return fmt::format("{} at line {} column {}", message, position.line, position.column);
}

std::string display_parse_error(const ParseError& error) {
    return with_position(error.description, error.position);
}

Position position_at(std::string_view text, std::size_t index) {
    index = std::min(index, text.size());
    const std::string_view before = text.substr(0, index);
    const std::size_t last_lf = before.rfind('\n');
    const std::size_t line_start = last_lf == std::string_view::npos ? 0 : last_lf + 1;
    const auto lines = static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    return Position{lines + 1, index - line_start};
}

Position peek_position(std::string_view text, std::size_t offset) {
    return position_at(text, std::min(offset + 1, text.size()));
}

Result<Value, ParseError> parse(std::string_view text) {
    constexpr unsigned kFlags = rapidjson::kParseStopWhenDoneFlag |
                                rapidjson::kParseValidateEncodingFlag |
                                rapidjson::kParseNumbersAsStringsFlag;
    TextStream stream(text);
    TreeBuilder builder(text, stream);
    rapidjson::Reader reader;
    const rapidjson::ParseResult result = reader.Parse<kFlags>(stream, builder);
    if (result.IsError()) {
        const Fault fault = describe_fault(text, result.Code(), result.Offset(), builder);
        return fail(ParseError{std::string(fault.description), position_at(text, fault.index)});
    }
    for (std::size_t i = stream.Tell(); i < text.size(); ++i) {
        if (!is_json_space(text[i])) {
            return fail(ParseError{"trailing characters", peek_position(text, i)});
        }
    }
    return std::move(*builder.root());
}

}  // namespace tarnwick::json
