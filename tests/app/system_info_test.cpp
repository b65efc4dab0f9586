#include "app/sysinfo/sysinfo_page.h"
#include "app/sysinfo/system_summary.h"

#include "core/access_policy.h"
#include "platform/host.h"

#include "support/scoped_env.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace tarnwick::app {
namespace {

// A folder that is all of PATH: it holds only the chosen fakes from
// tests/bin, so a command left out cannot be started at all.
class FakeCommands {
public:
    explicit FakeCommands(const std::set<std::string>& present) {
        for (const std::string& name : present) {
            scratch_.write("bin/" + name,
                           fmt::format("#!/bin/sh\nPATH=/usr/bin:/bin exec {}/{} \"$@\"\n",
                                       TARNWICK_TEST_BIN_DIR, name),
                           0755);
        }
        env_.set("PATH", scratch_.mkdir("bin"));
        for (const char* name :
             {"TARNWICK_FAKE_UNAME", "TARNWICK_FAKE_UNAME_STATUS", "TARNWICK_FAKE_UPTIME",
              "TARNWICK_FAKE_UPTIME_STATUS", "TARNWICK_FAKE_SYSCTL", "TARNWICK_FAKE_SYSCTL_STATUS",
              "TARNWICK_FAKE_HOSTNAME", "TARNWICK_FAKE_HOSTNAME_STATUS", "TARNWICK_FAKE_IFCONFIG",
              "TARNWICK_FAKE_IFCONFIG_STATUS", "TARNWICK_FAKE_LOG"}) {
            env_.unset(name);
        }
    }
    void set(const std::string& name, const std::string& value) { env_.set(name, value); }
    // A file for a fake to print (a path is taken as it is).
    std::string file(std::string_view name, std::string_view content) const {
        return scratch_.write(name, content);
    }

private:
    test::ScratchDir scratch_;
    test::ScopedEnv env_;
};

const std::set<std::string> kAll = {"uname", "uptime", "sysctl", "hostname", "ifconfig"};

std::string cores() {
    return std::to_string(platform::available_processors()) + " cores";
}

TEST(SystemSummary, EveryFieldFromRecordedOutputsOrItsFallback) {
    struct Case {
        const char* name;
        std::set<std::string> present;
        std::map<std::string, std::string> env;
        std::map<std::string, std::string> files;  // scratch files; "@name" in env names one
        std::vector<std::string> expected;         // os, version, arch, kernel, uptime, cpu, cores,
                                                   // memory, load
        std::size_t addresses;
    };
    const std::string ncpu = cores();
    const Case cases[] = {
        {"FreeBSD 14",
         kAll,
         {},
         {},
         {"FreeBSD", "14.1-RELEASE", "amd64", "14.1-RELEASE", "2 days, 17:33",
          "Intel(R) Xeon(R) E-2236 CPU @ 3.40GHz", "12 cores", "16384 MB (16.0 GB)",
          " 0.52 0.58 0.59 "},
         5},
        {"FreeBSD 13",
         kAll,
         {{"TARNWICK_FAKE_UNAME", "13"},
          {"TARNWICK_FAKE_UPTIME", "13"},
          {"TARNWICK_FAKE_SYSCTL", "13"}},
         {},
         {"FreeBSD", "13.3-RELEASE-p4", "amd64", "13.3-RELEASE-p4", "41 days,  2:03",
          "AMD EPYC 7402P 24-Core Processor", "8 cores", "8125 MB (7.9 GB)", " 0.10 0.12 0.09 "},
         5},
        {"no command at all",
         {},
         {},
         {},
         {"freebsd", "", "x86_64", "", "—", "x86_64", ncpu, "—", "—"},
         0},
        {"every command failing",
         kAll,
         {{"TARNWICK_FAKE_UNAME_STATUS", "1"},
          {"TARNWICK_FAKE_UPTIME_STATUS", "1"},
          {"TARNWICK_FAKE_SYSCTL_STATUS", "1"},
          {"TARNWICK_FAKE_IFCONFIG_STATUS", "1"}},
         {},
         {"freebsd", "", "x86_64", "", "—", "x86_64", ncpu, "—", "—"},
         0},
        {"short or odd outputs",
         kAll,
         {{"TARNWICK_FAKE_UNAME", "@uname"},
          {"TARNWICK_FAKE_UPTIME", "@uptime"},
          {"TARNWICK_FAKE_SYSCTL", "@sysctl"},
          {"TARNWICK_FAKE_SYSCTL_STATUS", "0"},
          {"TARNWICK_FAKE_IFCONFIG", "@ifconfig"}},
         {{"uname", "FreeBSD 14.1-RELEASE\n"},
          {"uptime", "10:15AM  2 days, 17:33, 1 user\n"},
          {"sysctl/hw.model", "CPU X\r\n"},
          {"sysctl/hw.physmem", "lots\n"},
          {"sysctl/vm.loadavg", "{{ 1.00 2.00 }}\n"},
          {"ifconfig", ""}},
         {"freebsd", "", "x86_64", "", "—", "CPU X", ncpu, "—", " 1.00 2.00 "},
         0},
        {"an empty second sysctl line and a signed byte count",
         kAll,
         {{"TARNWICK_FAKE_SYSCTL", "@sysctl"}},
         {{"sysctl/hw.model", "\n"},
          {"sysctl/hw.ncpu", " \n"},
          {"sysctl/hw.physmem", "+8589934592\n"},
          {"sysctl/vm.loadavg", "0.5 0.6 0.7"}},
         {"FreeBSD", "14.1-RELEASE", "amd64", "14.1-RELEASE", "2 days, 17:33", "x86_64", ncpu,
          "8192 MB (8.0 GB)", "0.5 0.6 0.7"},
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeCommands fakes(c.present);
        std::map<std::string, std::string> paths;
        for (const auto& [name, content] : c.files) {
            const std::string path = fakes.file(name, content);
            paths[name.substr(0, name.find('/'))] =
                name.find('/') == std::string::npos ? path : path.substr(0, path.rfind('/'));
        }
        for (const auto& [name, value] : c.env) {
            fakes.set(name, value.front() == '@' ? paths.at(value.substr(1)) : value);
        }
        const SystemSummary s = gather_system_summary("Administrator", "root", "ttyv0", "de-DE");
        EXPECT_EQ((std::vector<std::string>{s.os, s.os_version, s.arch, s.kernel, s.uptime,
                                            s.cpu_model, s.cpu_cores, s.memory, s.load_avg}),
                  c.expected);
        EXPECT_EQ(s.addresses.size(), c.addresses);
        EXPECT_EQ(s.display_user, "Administrator");
        EXPECT_EQ(s.pam_user, "root");
        EXPECT_EQ(s.tty, "ttyv0");
        EXPECT_EQ(s.locale, "de-DE");
        EXPECT_FALSE(s.hostname.empty());
    }
}

TEST(SystemSummary, AddressesKeepTheConsoleOrderWithTheirFamilies) {
    FakeCommands fakes(kAll);
    const SystemSummary s = gather_system_summary("a", "a", "t", "en-US");
    const std::vector<SummaryAddress> expected = {
        {"10.20.0.5", "", 4},      {"192.168.1.10", "", 4},         {"2001:db8:10::10", "", 6},
        {"2001:db8:20::5", "", 6}, {"fd12:3456:789a:1::10", "", 6},
    };
    EXPECT_EQ(s.addresses, expected);
}

TEST(SystemSummary, HostNameFallsBackToTheCommandThenUnknown) {
    struct Case {
        const char* name;
        std::optional<std::string> system;
        std::set<std::string> present;
        std::map<std::string, std::string> env;
        std::string expected;
    };
    const Case cases[] = {
        {"the system's name", std::string("fw2"), kAll, {}, "fw2"},
        {"an empty system name is a name", std::string(""), kAll, {}, ""},
        {"no system name", std::nullopt, kAll, {}, "fw1.example.net"},
        {"invalid UTF-8 from the system", std::string("fw\xFF"), kAll, {}, "fw1.example.net"},
        {"the command's status is not looked at",
         std::nullopt,
         kAll,
         {{"TARNWICK_FAKE_HOSTNAME", "  gw  "}, {"TARNWICK_FAKE_HOSTNAME_STATUS", "3"}},
         "gw"},
        {"an empty output", std::nullopt, kAll, {{"TARNWICK_FAKE_HOSTNAME", ""}}, "unknown"},
        {"invalid UTF-8 output",
         std::nullopt,
         kAll,
         {{"TARNWICK_FAKE_HOSTNAME", "gw\xC3"}},
         "unknown"},
        {"no command", std::nullopt, {}, {}, "unknown"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeCommands fakes(c.present);
        for (const auto& [name, value] : c.env) fakes.set(name, value);
        EXPECT_EQ(host_name_from(c.system), c.expected);
    }
}

TEST(SystemSummary, UptimeDropsTheUserCount) {
    struct Case {
        const char* output;
        const char* expected;
    };
    const Case cases[] = {
        {"10:15AM  up 2 days, 17:33, 1 user, load averages: 0.52, 0.58, 0.59", "2 days, 17:33"},
        {"11:02AM  up 5 mins, 3 users, load averages: 1.20, 0.41, 0.15", "5 mins"},
        {"11:58AM  up 1 day, 2 hrs, 0 users, load averages: 0.00, 0.00, 0.00", "1 day, 2 hrs"},
        {" 3:42PM  up 41 days,  2:03, 3 users, load averages: 0.10, 0.12, 0.09", "41 days,  2:03"},
        {"10:15AM  up 17:33, 12 users,", "17:33"},
        // Without a user count the load averages are cut off.
        {"10:15AM  up 3 days, 4:05, load averages: 0.1, 0.2, 0.3", "3 days, 4:05"},
        {"up 7 secs", "7 secs"},
        {"10:15AM  2 days, 17:33, 1 user", "—"},  // no "up "
        {"", "—"},
        {"10:15AM  up ", "—"},
        {"10:15AM  up 2 users,", "—"},
    };
    for (const Case& c : cases) EXPECT_EQ(uptime_from(c.output), c.expected) << c.output;
}

TEST(SystemSummary, MemoryAndLoadTexts) {
    struct Case {
        const char* output;
        const char* expected;
    };
    const Case memory[] = {
        {"17179869184\n", "16384 MB (16.0 GB)"},
        {"8589934592", "8192 MB (8.0 GB)"},
        {"1610612736", "1536 MB (1.5 GB)"},
        {"+1073741824", "1024 MB (1.0 GB)"},
        {"0", "0 MB (0.0 GB)"},
        {"18446744073709551615", "17592186044415 MB (17179869184.0 GB)"},
        {"18446744073709551616", "—"},  // beyond 64 bits
        {"-1", "—"},
        {"12 345", "—"},
        {"+", "—"},
        {"", "—"},
        {"lots", "—"},
    };
    for (const Case& c : memory) EXPECT_EQ(memory_from(c.output), c.expected) << c.output;
    const Case load[] = {
        {"{ 0.52 0.58 0.59 }\n", " 0.52 0.58 0.59 "},
        {"{{ 1 }}", " 1 "},
        {"0.1 0.2 0.3", "0.1 0.2 0.3"},
        {"", ""},
    };
    for (const Case& c : load) EXPECT_EQ(load_avg_from(c.output), c.expected) << c.output;
}

SystemSummary summary_with(std::size_t addresses) {
    SystemSummary s;
    s.hostname = "fw1";
    s.os = "FreeBSD";
    s.arch = "amd64";
    s.uptime = "5 mins";
    s.display_user = "alice";
    for (std::size_t i = 0; i < addresses; ++i) {
        const bool v6 = i % 2 == 1;
        s.addresses.push_back({v6 ? fmt::format("2001:db8::{}", i) : fmt::format("10.0.0.{}", i),
                               "", static_cast<std::uint8_t>(v6 ? 6 : 4)});
    }
    return s;
}

TEST(SysinfoBindings, BindEveryFieldAndTheFirst32Addresses) {
    SystemSummary s = summary_with(40);
    s.addresses[2].family = 9;
    tmpl::BindingStore store = tmpl::register_binding_keys();
    ASSERT_TRUE(bind_sysinfo(s, store));
    EXPECT_EQ(store.values.at("sys.hostname"), tmpl::BindingValue::text("fw1"));
    EXPECT_EQ(store.values.at("sys.os_version"), tmpl::BindingValue::empty());
    EXPECT_EQ(store.values.at("sys.kernel"), tmpl::BindingValue::empty());
    EXPECT_EQ(store.values.at("sys.address_count"), tmpl::BindingValue::text("40"));
    EXPECT_EQ(store.values.at("sys.addr.0.address"), tmpl::BindingValue::text("10.0.0.0"));
    EXPECT_EQ(store.values.at("sys.addr.0.family"), tmpl::BindingValue::text("IPv4"));
    EXPECT_EQ(store.values.at("sys.addr.1.family"), tmpl::BindingValue::text("IPv6"));
    EXPECT_EQ(store.values.at("sys.addr.2.family"), tmpl::BindingValue::text("other"));
    EXPECT_EQ(store.values.at("sys.addr.0.iface"), tmpl::BindingValue::empty());
    EXPECT_EQ(store.values.at("sys.addr.31.address"), tmpl::BindingValue::text("2001:db8::31"));
    // 14 fields, the count, and three keys for each of 32 addresses.
    EXPECT_EQ(store.values.size(), 15u + 96u);

    tmpl::BindingStore none = tmpl::register_binding_keys();
    ASSERT_TRUE(bind_sysinfo(summary_with(0), none));
    EXPECT_EQ(none.values.at("sys.address_count"), tmpl::BindingValue::text("0"));
    EXPECT_EQ(none.values.size(), 15u);
}

std::string items_text(const std::vector<tmpl::FormItem>& items) {
    std::string out;
    for (const auto& item : items) {
        out += item.section
                   ? "[" + item.label_key + "]"
                   : item.id + ":" + item.label.value_or(item.label_key) + "=" + item.value;
        out += ";";
    }
    return out;
}

TEST(SysinfoBindings, BuiltInFormListsEveryAddress) {
    const std::string fixed =
        "[info.section.host];hostname:info.hostname=fw1;uptime:info.uptime=5 mins;"
        "load_avg:info.load_avg=;[info.section.platform];os:info.os=FreeBSD;"
        "os_version:info.os_version=;arch:info.arch=amd64;kernel:info.kernel=;"
        "[info.section.hardware];cpu_model:info.cpu_model=;cpu_cores:info.cpu_cores=;"
        "memory:info.memory=;[info.section.session];display_user:info.user=alice;"
        "pam_user:info.pam_user=;tty:info.tty=;locale:info.locale=;[info.section.addresses];";
    EXPECT_EQ(items_text(sysinfo_form_items(summary_with(0))),
              fixed + "addr_none:info.no_addresses=—;");
    EXPECT_EQ(items_text(sysinfo_form_items(summary_with(2))),
              fixed + "addr_0:IPv4 ()=10.0.0.0;addr_1:IPv6 ()=2001:db8::1;");
    const auto many = sysinfo_form_items(summary_with(40));
    EXPECT_EQ(many.size(), 19u + 40u);
    EXPECT_EQ(many.back().id, "addr_39");
}

}  // namespace
}  // namespace tarnwick::app
