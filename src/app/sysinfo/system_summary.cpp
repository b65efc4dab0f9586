#include "app/sysinfo/system_summary.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "app/session/console_addresses.h"
#include "core/text.h"
#include "platform/command.h"
#include "platform/host.h"
#include "template/form_field.h"

namespace tarnwick::app {
namespace {

using platform::CommandSet;

// The command's output as text when it started and exited with status 0.
std::optional<std::string> successful_output(CommandSet& commands, CommandSet::Handle command) {
    auto ran = commands.finish(command);
    if (!ran || !ran->success()) return std::nullopt;
    return ran->out_text();
}

struct UnameFields {
    std::string os = "freebsd";
    std::string version;
    std::string arch = "x86_64";
};

UnameFields uname_fields(const std::optional<std::string>& output) {
    UnameFields fields;
    if (!output) return fields;
    const auto words = split_words(*output);
    if (words.size() < 3) return fields;
    return UnameFields{std::string(words[0]), std::string(words[1]), std::string(words[2])};
}

struct Cpu {
    std::string model;
    std::string cores;
};

Cpu cpu_facts(const std::optional<std::string>& output) {
    Cpu cpu;
    if (output) {
        const auto lines = split_lines(*output);
        if (!lines.empty()) cpu.model = std::string(trim(lines[0]));
        // An empty count line says nothing: the processor count takes its place.
        if (lines.size() > 1 && !trim(lines[1]).empty())
            cpu.cores = std::string(trim(lines[1])) + " cores";
    }
    if (cpu.model.empty()) cpu.model = "x86_64";
    if (cpu.cores.empty()) cpu.cores = std::to_string(platform::available_processors()) + " cores";
    return cpu;
}

bool all_digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::uint64_t> parse_u64(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (!all_digits(text)) return std::nullopt;
    std::uint64_t value = 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (const char c : text) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (kMax - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::string_view trim_trailing_commas(std::string_view text) {
    while (!text.empty() && text.back() == ',') text.remove_suffix(1);
    return text;
}

}  // namespace

std::string host_name_from(const std::optional<std::string>& system_bytes) {
    if (system_bytes && is_valid_utf8(*system_bytes)) return *system_bytes;
    auto ran = platform::run_command("hostname", {});
    if (!ran || !is_valid_utf8(ran->out)) return "unknown";  // the exit status is not looked at
    const std::string_view name = trim(ran->out);
    return name.empty() ? std::string("unknown") : std::string(name);
}

std::string uptime_from(std::string_view output) {
    const std::size_t up = output.find("up ");
    if (up == std::string_view::npos) return std::string(tmpl::kNoValue);
    std::string_view rest = output.substr(up + 3);
    const std::size_t users = rest.find("user");
    if (users != std::string_view::npos) {
        // "2 days, 17:33, 1 " — the last piece before "user" is the count.
        rest = trim_trailing_commas(trim(rest.substr(0, users)));
        const std::size_t comma = rest.rfind(',');
        const std::string_view count =
            trim(comma == std::string_view::npos ? rest : rest.substr(comma + 1));
        if (all_digits(count)) {
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(0, comma);
        }
    } else if (const std::size_t load = rest.find("load average"); load != std::string_view::npos) {
        rest = rest.substr(0, load);
    }
    rest = trim_trailing_commas(trim(rest));
    rest = trim(rest);
    return rest.empty() ? std::string(tmpl::kNoValue) : std::string(rest);
}

std::string memory_from(std::string_view output) {
    const auto bytes = parse_u64(trim(output));
    if (!bytes) return std::string(tmpl::kNoValue);
    char gb[64];
    std::snprintf(gb, sizeof gb, "%.1f", static_cast<double>(*bytes) / 1073741824.0);
    return std::to_string(*bytes / 1048576) + " MB (" + gb + " GB)";
}

std::string load_avg_from(std::string_view output) {
    std::string_view text = trim(output);
    while (!text.empty() && text.front() == '{') text.remove_prefix(1);
    while (!text.empty() && text.back() == '}') text.remove_suffix(1);
    return std::string(text);
}

SystemSummary gather_system_summary(std::string_view display_name, std::string_view pam_user,
                                    std::string_view tty, std::string_view locale) {
    // The commands run side by side: one that hangs costs its time limit
    // once, not once per command.
    CommandSet commands;
    const auto uname_run = commands.start("uname", {"-srm"});
    const auto uptime_run = commands.start("uptime", {});
    const auto cpu_run = commands.start("sysctl", {"-n", "hw.model", "hw.ncpu"});
    const auto memory_run = commands.start("sysctl", {"-n", "hw.physmem"});
    const auto load_run = commands.start("sysctl", {"-n", "vm.loadavg"});
    const auto listing_run = start_address_listing(commands);

    SystemSummary summary;
    summary.hostname = host_name_from(platform::host_name_bytes());
    UnameFields uname = uname_fields(successful_output(commands, uname_run));
    summary.os = std::move(uname.os);
    summary.os_version = uname.version;
    summary.arch = std::move(uname.arch);
    summary.kernel = std::move(uname.version);
    const auto uptime = successful_output(commands, uptime_run);
    summary.uptime = uptime ? uptime_from(*uptime) : std::string(tmpl::kNoValue);
    Cpu cpu = cpu_facts(successful_output(commands, cpu_run));
    summary.cpu_model = std::move(cpu.model);
    summary.cpu_cores = std::move(cpu.cores);
    const auto memory = successful_output(commands, memory_run);
    summary.memory = memory ? memory_from(*memory) : std::string(tmpl::kNoValue);
    const auto load = successful_output(commands, load_run);
    summary.load_avg = load ? load_avg_from(*load) : std::string(tmpl::kNoValue);
    summary.display_user = std::string(display_name);
    summary.pam_user = std::string(pam_user);
    summary.tty = std::string(tty);
    summary.locale = std::string(locale);
    for (std::string& address : console_addresses(commands, listing_run)) {
        const std::uint8_t family = address.find(':') != std::string::npos ? 6 : 4;
        summary.addresses.push_back(SummaryAddress{std::move(address), "", family});
    }
    return summary;
}

}  // namespace tarnwick::app
