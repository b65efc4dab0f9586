#pragma once
// Name servers and search domains of /etc/resolv.conf.

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::app {

struct ResolverSettings {
    std::vector<std::string> nameservers;     // file order
    std::vector<std::string> search_domains;  // "search" and "domain" words, file order

    bool operator==(const ResolverSettings&) const = default;
};

// "nameserver ", "search " and "domain " lines (keyword and one blank,
// case-sensitive); everything else ignored. Text must be valid UTF-8.
ResolverSettings parse_resolv_conf(std::string_view text);

}  // namespace tarnwick::app
