#include "app/network/ip_text.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <string>

namespace tarnwick::app {

bool is_dotted_ipv4(std::string_view text) {
    int parts = 0;
    std::size_t pos = 0;
    while (true) {
        const std::size_t dot = text.find('.', pos);
        const std::string_view part =
            text.substr(pos, dot == std::string_view::npos ? dot : dot - pos);
        if (part.empty() || part.size() > 3) return false;
        if (!std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        if (part.size() > 1 && part[0] == '0') return false;
        int value = 0;
        for (char c : part) value = value * 10 + (c - '0');
        if (value > 255) return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        pos = dot + 1;
    }
    return parts == 4;
}

bool is_ipv6_text(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return false;
    const std::string address(text);
    std::array<unsigned char, 16> bytes{};
    return ::inet_pton(AF_INET6, address.c_str(), bytes.data()) == 1;
}

}  // namespace tarnwick::app
