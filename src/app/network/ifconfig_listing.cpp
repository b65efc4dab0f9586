#include "app/network/ifconfig_listing.h"

#include <cstdint>

#include "core/text.h"

namespace tarnwick::app {
namespace {

bool is_header_line(std::string_view line, std::string_view mark) {
    return !line.empty() && line[0] != '\t' && line[0] != ' ' &&
           line.find(mark) != std::string_view::npos;
}

// The exact flag UP in "<UP,BROADCAST,...>", not LOWER_UP nor text elsewhere.
bool has_up_flag(std::string_view header) {
    const std::size_t open = header.find('<');
    if (open == std::string_view::npos) return false;
    const std::size_t close = header.find('>', open);
    if (close == std::string_view::npos) return false;
    std::string_view flags = header.substr(open + 1, close - open - 1);
    while (true) {
        const std::size_t comma = flags.find(',');
        if (flags.substr(0, comma) == "UP") return true;
        if (comma == std::string_view::npos) return false;
        flags.remove_prefix(comma + 1);
    }
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The word after the last occurrence of `keyword` among `words` (from index
// `from`), or nothing.
std::optional<std::string_view> value_after(const std::vector<std::string_view>& words,
                                            std::size_t from, std::string_view keyword) {
    std::optional<std::string_view> found;
    for (std::size_t i = from; i + 1 < words.size(); ++i) {
        if (words[i] == keyword) found = words[i + 1];
    }
    return found;
}

std::optional<IfAddress> inet_address(std::string_view rest) {
    const auto words = split_words(rest);
    if (words.empty()) return std::nullopt;
    IfAddress a;
    a.address = std::string(words[0]);
    a.family = 4;
    if (const auto mask = value_after(words, 1, "netmask")) {
        a.mask = "netmask " + render_netmask(*mask);
    }
    return a;
}

std::optional<IfAddress> inet6_address(std::string_view rest) {
    const auto words = split_words(rest);
    if (words.empty()) return std::nullopt;
    const std::string_view address = words[0].substr(0, words[0].find('%'));
    if (address.empty()) return std::nullopt;
    IfAddress a;
    a.address = std::string(address);
    a.family = 6;
    a.link_local = address.starts_with("fe80:");
    if (const auto prefix = value_after(words, 1, "prefixlen")) {
        a.mask = "prefixlen " + std::string(*prefix);
    }
    return a;
}

void read_body_line(IfconfigBlock& block, std::string_view line) {
    const std::string_view body = trim(line);
    if (body.starts_with("ether ")) {
        const auto words = split_words(body.substr(6));
        if (!words.empty()) block.mac = std::string(words[0]);
    } else if (body.starts_with("status: ")) {
        block.status = std::string(body.substr(8));
    } else if (body.starts_with("inet ")) {
        if (auto a = inet_address(body.substr(5))) block.addresses.push_back(std::move(*a));
    } else if (body.starts_with("inet6 ")) {
        if (auto a = inet6_address(body.substr(6))) block.addresses.push_back(std::move(*a));
    }
}

}  // namespace

std::string render_netmask(std::string_view word) {
    std::string_view digits = word;
    while (digits.starts_with("0x")) digits.remove_prefix(2);
    if (digits.size() != 8) return std::string(word);
    std::uint32_t value = 0;
    for (const char c : digits) {
        const int v = hex_value(c);
        if (v < 0) return std::string(word);
        value = (value << 4) | static_cast<std::uint32_t>(v);
    }
    return std::to_string(value >> 24) + "." + std::to_string((value >> 16) & 0xffU) + "." +
           std::to_string((value >> 8) & 0xffU) + "." + std::to_string(value & 0xffU);
}

std::vector<IfconfigBlock> parse_ifconfig_listing(std::string_view listing,
                                                  std::string_view header_mark) {
    std::vector<IfconfigBlock> blocks;
    for (const std::string_view line : split_lines(listing)) {
        if (is_header_line(line, header_mark)) {
            IfconfigBlock& block = blocks.emplace_back();
            block.headed = true;
            block.name = std::string(line.substr(0, line.find(':')));
            block.up = has_up_flag(line);
            continue;
        }
        if (blocks.empty()) blocks.emplace_back();  // lines before the first header
        read_body_line(blocks.back(), line);
    }
    return blocks;
}

}  // namespace tarnwick::app
