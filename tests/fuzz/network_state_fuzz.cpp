// Any bytes as ifconfig, netstat, rc.conf and resolv.conf text at once (as the
// reader gets them: decoded with U+FFFD for invalid sequences): the overview
// is built without crashing, and rewriting rc.conf sets the one key and keeps
// every other setting and byte, or is refused naming a line.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/network/ifconfig_listing.h"
#include "app/network/network_state.h"
#include "app/network/rc_conf_grammar.h"
#include "app/network/rc_conf_rewrite.h"
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

// A refusal names a line of the text; an accepted text is settings alone
// and changes only in the WORD of the key's last setting (or gains the
// setting at its end): every setting before and after keeps its name and
// value, and the key's last value is the new one.
void check_rewrite(const std::string& text) {
    using namespace tarnwick::app;
    const auto rewritten = rewrite_rc_conf_text(text, {{kKey, kValue}});
    const RcScan before = scan_rc_conf(text);
    if (!rewritten) {
        const std::string& why = rewritten.error().text;
        if (!why.starts_with("rc.conf line ") || !why.ends_with("; not changed")) std::abort();
        if (!before.fault && why.find("rc_conf_files") == std::string::npos) std::abort();
        return;
    }
    if (before.fault || rewritten->empty() || rewritten->back() != '\n') std::abort();
    const RcScan after = scan_rc_conf(*rewritten);
    if (after.fault) std::abort();
    const auto last = std::find_if(before.settings.rbegin(), before.settings.rend(),
                                   [](const RcSetting& s) { return s.name == kKey; });
    const bool appended = last == before.settings.rend();
    if (after.settings.size() != before.settings.size() + (appended ? 1 : 0)) std::abort();
    const std::size_t replaced = appended
                                     ? before.settings.size()
                                     : static_cast<std::size_t>(before.settings.rend() - last) - 1;
    for (std::size_t i = 0; i < after.settings.size(); ++i) {
        const RcSetting& now = after.settings[i];
        if (i == replaced) {
            if (now.name != kKey || now.value != kValue) std::abort();
            continue;
        }
        const RcSetting& was = before.settings[i];
        if (now.name != was.name || now.value != was.value) std::abort();
    }
    if (appended) return;
    // Outside the word, every byte stays.
    const std::string word = std::string("\"") + kValue + "\"";
    const std::string_view old_text = text;
    const std::string_view new_text = *rewritten;
    if (new_text.substr(0, last->word_begin) != old_text.substr(0, last->word_begin) ||
        new_text.substr(last->word_begin, word.size()) != word) {
        std::abort();
    }
    std::string_view rest = new_text.substr(last->word_begin + word.size());
    std::string_view old_rest = old_text.substr(last->word_end);
    if (rest != old_rest && rest != std::string(old_rest) + "\n") std::abort();
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
