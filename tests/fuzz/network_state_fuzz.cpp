// Any bytes as ifconfig, netstat, rc.conf and resolv.conf text at once (as the
// reader gets them: decoded with U+FFFD for invalid sequences): the overview
// is built without crashing, and rewriting rc.conf sets the one key and keeps
// the rest, or is refused for a reason the text shows.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/network/ifconfig_listing.h"
#include "app/network/network_state.h"
#include "app/network/rc_conf_rewrite.h"
#include "app/network/sh_lines.h"
#include "core/text.h"
#include "fuzz/fuzz_target.h"

namespace {

constexpr const char* kKey = "ifconfig_em0_ipv6";
constexpr const char* kValue = "inet6 2001:db8::5 prefixlen 64";

void check_overview(const tarnwick::app::NetworkOverview& overview) {
    for (const auto& info : overview.interfaces) {
        if (info.name.find(':') != std::string::npos) std::abort();
        for (const auto& a : info.addresses) {
            if (a.address.empty() || (a.family == 6 && a.address.find('%') != std::string::npos)) {
                std::abort();
            }
        }
    }
    for (const auto* rows : {&overview.ipv4_routes, &overview.ipv6_routes}) {
        for (const auto& row : *rows) {
            if (row.destination.empty() || row.fourth_column.empty() ||
                row.interface_name.empty()) {
                std::abort();
            }
        }
    }
}

// The lines as /bin/sh reads them: a carriage return is an ordinary
// character, so a backslash before it escapes it instead of joining lines.
std::vector<std::string> sh_lines_of(std::string_view text) {
    const auto views = tarnwick::split_at_line_feeds(text);
    return {views.begin(), views.end()};
}

// The lines as the rewrite reads them: a carriage return before a line feed
// goes unless a backslash comes before it.
std::vector<std::string> rewrite_lines_of(std::string_view text) {
    std::vector<std::string> lines = sh_lines_of(text);
    for (std::string& line : lines) {
        if (line.ends_with('\r') && !line.substr(0, line.size() - 1).ends_with('\\')) {
            line.pop_back();
        }
    }
    return lines;
}

// The last line that begins a command and whose trimmed text before its
// first "=" is the key.
std::optional<std::size_t> last_setting(const std::vector<std::string>& lines,
                                        const tarnwick::app::ShLines& sh) {
    std::optional<std::size_t> last;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = tarnwick::trim(lines[i]);
        const std::size_t eq = line.find('=');
        if (!sh.starts_command[i] || line.starts_with("#") || eq == std::string_view::npos) {
            continue;
        }
        if (tarnwick::trim(line.substr(0, eq)) == kKey) last = i;
    }
    return last;
}

// A refusal for the key is only where the shell may take it from elsewhere
// or read the text otherwise: the text is not whole, may stop before its
// end, ends in a backslash without a line feed, uses the key beyond
// assignments that begin a line, has expansions that assign or run commands
// (what a replaced value held might be lost), or its last setting line is no
// such assignment (a spaced "key = value").
void check_refusal(const std::string& text) {
    using namespace tarnwick::app;
    const std::vector<std::string> lines = rewrite_lines_of(text);
    const ShLines sh = read_sh_lines(lines);
    const std::vector<VarUseAt> uses = variable_uses(lines, kKey);
    const bool beyond = std::any_of(uses.begin(), uses.end(),
                                    [](const VarUseAt& u) { return u.use != VarUse::LineStart; });
    const std::optional<std::size_t> last = last_setting(lines, sh);
    const bool assigns_last = !last || std::find(uses.begin(), uses.end(),
                                                 VarUseAt{*last, VarUse::LineStart}) != uses.end();
    const Expansions expansions = expansions_in(lines);
    const bool open_end = !text.empty() && !text.ends_with('\n') && sh.ends_continued;
    if (!sh.unbalanced && !sh.may_stop && !open_end && !beyond && assigns_last &&
        !expansions.assign && !expansions.run) {
        std::abort();
    }
}

// The line without the blanks that indent it, when it holds the setting.
std::optional<std::string_view> setting_line(std::string_view line, std::string_view setting) {
    line.remove_prefix(std::min(line.size(), line.find_first_not_of(" \t")));
    if (!line.starts_with(setting)) return std::nullopt;
    return line;
}

// The rewritten text sets the key for /bin/sh: its line is the last command
// assigning the key and the key's last use, and stands alone (the next line
// begins a command of its own) unless it keeps what followed the old
// assignment on its line, a comment included; every other line (or kept
// tail) comes from the old text in its order, blank lines aside, and begins
// a command exactly when it did there (the line after the setting may begin
// one now). A text that leaves a quote open is refused.
void check_rewrite(const std::string& text) {
    using namespace tarnwick::app;
    const std::string setting = std::string(kKey) + "=\"" + kValue + "\"";
    const std::vector<std::string> before = sh_lines_of(text);
    const ShLines sh_before = read_sh_lines(before);
    const auto rewritten = rewrite_rc_conf_text(text, {{kKey, kValue}});
    if (!rewritten) {
        const std::string& why = rewritten.error().text;
        if (why == kOpenQuoteText) {
            if (!read_sh_lines(rewrite_lines_of(text)).ends_open) std::abort();
        } else if (why == unsure_setting_text(kKey)) {
            check_refusal(text);
        } else {
            std::abort();
        }
        return;
    }
    if (rewritten->empty() || rewritten->back() != '\n') std::abort();
    const std::vector<std::string> after = sh_lines_of(*rewritten);
    const ShLines sh = read_sh_lines(after);
    if (sh.ends_open || sh.unbalanced || sh.may_stop) std::abort();
    const std::optional<std::size_t> last = last_setting(after, sh);
    if (!last) std::abort();
    const std::optional<std::string_view> last_line = setting_line(after[*last], setting);
    if (!last_line) std::abort();
    const std::vector<VarUseAt> uses = variable_uses(after, kKey);
    if (uses.empty() || uses.back() != VarUseAt{*last, VarUse::LineStart}) std::abort();
    const std::string_view tail = last_line->substr(setting.size());
    const bool kept_tail = !tail.empty();
    const std::size_t tail_start = tail.find_first_not_of(" \t");
    const bool comment = tail_start != std::string_view::npos && tail[tail_start] == '#';
    if (kept_tail && !comment && !holds_more_than_a_comment(tail)) std::abort();
    if (!kept_tail && *last + 1 < after.size() && !sh.starts_command[*last + 1]) std::abort();
    // The rewrite drops DOS line endings: compare without them.
    auto bare = [](std::string_view line) {
        while (line.ends_with('\r')) line.remove_suffix(1);
        return line;
    };
    std::size_t from = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        const std::string& line = after[i];
        const std::optional<std::string_view> set_here = setting_line(line, setting);
        if (set_here == std::string_view(setting) || line.empty()) continue;
        const bool tail_line = set_here.has_value();
        const std::string_view wanted = bare(tail_line ? set_here->substr(setting.size()) : line);
        // The line after the setting may begin a command now: the replaced
        // assignment's trailing backslash is gone.
        const bool freed = i > 0 &&
                           setting_line(after[i - 1], setting) == std::string_view(setting) &&
                           sh.starts_command[i];
        const auto same = [&](std::size_t k) {
            if (tail_line) return bare(before[k]).ends_with(wanted);
            return bare(before[k]) == wanted &&
                   (freed || sh_before.starts_command[k] == sh.starts_command[i]);
        };
        while (from < before.size() && !same(from)) ++from;
        if (from == before.size()) std::abort();
        ++from;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text =
        tarnwick::decode_lossy(std::string_view(reinterpret_cast<const char*>(data), size));
    tarnwick::app::NetworkSources sources{text, text, text, text, text, "/etc/rc.conf"};
    check_overview(tarnwick::app::build_network_overview(sources));
    (void)tarnwick::app::parse_ifconfig_listing(text, ": flags");
    check_rewrite(text);
    return 0;
}
