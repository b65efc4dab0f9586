#include "app/network/rc_conf_rewrite.h"

#include "app/network/rc_conf.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "support/ci_gate.h"
#include "support/process.h"
#include "support/scratch_dir.h"

namespace tarnwick::app {
namespace {

NetPaths scratch_paths(const test::ScratchDir& dir) {
    return {dir.file("etc/rc.conf"),
            dir.file("etc/rc.conf.tarnwick.bak"),
            dir.file("etc/resolv.conf"),
            dir.file("etc/rc.d/netif"),
            {}};
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

TEST(RcConfRewrite, RewritesAndKeepsABackup) {
    struct Case {
        const char* name;
        std::optional<std::string> old_text;  // nullopt: no rc.conf yet
        RcPairs pairs;
        std::string new_text;
        std::string backup;
    };
    const Case cases[] = {
        {"an absent key is appended; a final line feed is added",
         "hostname=\"fw1\"",
         {{"ifconfig_em0", "DHCP"}},
         "hostname=\"fw1\"\nifconfig_em0=\"DHCP\"\n",
         "hostname=\"fw1\""},
        {"a commented setting is never replaced",
         "#ifconfig_em0=\"DHCP\"\n",
         {{"ifconfig_em0", "DHCP"}},
         "#ifconfig_em0=\"DHCP\"\nifconfig_em0=\"DHCP\"\n",
         "#ifconfig_em0=\"DHCP\"\n"},
        {"single quotes",
         "ifconfig_em0='inet 10.0.0.5'\nsshd_enable=\"YES\"\n",
         {{"ifconfig_em0", "DHCP"}},
         "ifconfig_em0=\"DHCP\"\nsshd_enable=\"YES\"\n",
         "ifconfig_em0='inet 10.0.0.5'\nsshd_enable=\"YES\"\n"},
        {"with duplicates, the last assignment (the one sh keeps) is replaced",
         "ifconfig_em0=\"DHCP\"\nhostname=\"x\"\nifconfig_em0='inet 10.0.0.5'\n# end\n",
         {{"ifconfig_em0", "inet 10.0.0.9 netmask 255.255.255.0"}},
         "ifconfig_em0=\"DHCP\"\nhostname=\"x\"\nifconfig_em0=\"inet 10.0.0.9 netmask "
         "255.255.255.0\"\n# end\n",
         "ifconfig_em0=\"DHCP\"\nhostname=\"x\"\nifconfig_em0='inet 10.0.0.5'\n# end\n"},
        {"a missing file gets only the written lines and leaves an empty backup",
         std::nullopt,
         {{"ifconfig_em0_ipv6", "inet6 accept_rtadv"}, {"ipv6_defaultrouter", "fe80::1%em0"}},
         "ifconfig_em0_ipv6=\"inet6 accept_rtadv\"\nipv6_defaultrouter=\"fe80::1%em0\"\n",
         ""},
        {"an empty file", "", {{"defaultrouter", ""}}, "defaultrouter=\"\"\n", ""},
        {"CR LF lines keep their carriage returns but in the value replaced",
         "a=1\r\nifconfig_em0=\"DHCP\"\r\n",
         {{"ifconfig_em0", "inet 10.0.0.5 netmask 255.0.0.0"}},
         "a=1\r\nifconfig_em0=\"inet 10.0.0.5 netmask 255.0.0.0\"\n",
         "a=1\r\nifconfig_em0=\"DHCP\"\r\n"},
        {"blank lines, comments and longer keys stay; later pairs see earlier ones",
         "\n# network\n\nifconfig_em0_ipv6=\"inet6 accept_rtadv\"\nifconfig_em0x=\"up\"\n"
         "ifconfig_em0=\n\n",
         {{"ifconfig_em0", "1"}, {"ifconfig_em0", "2"}, {"new_key", "n"}},
         "\n# network\n\nifconfig_em0_ipv6=\"inet6 accept_rtadv\"\nifconfig_em0x=\"up\"\n"
         "ifconfig_em0=\"2\"\n\nnew_key=\"n\"\n",
         "\n# network\n\nifconfig_em0_ipv6=\"inet6 accept_rtadv\"\nifconfig_em0x=\"up\"\n"
         "ifconfig_em0=\n\n"},
        {"keys are matched case-sensitively",
         "\tifconfig_em0=x\nIFCONFIG_EM0=\"y\"\n",
         {{"ifconfig_em0", "DHCP"}},
         "\tifconfig_em0=\"DHCP\"\nIFCONFIG_EM0=\"y\"\n",
         "\tifconfig_em0=x\nIFCONFIG_EM0=\"y\"\n"},
        {"no pairs: only a final line feed is added",
         "a=1\r\nb=2",
         {},
         "a=1\r\nb=2\n",
         "a=1\r\nb=2"},
        {"settings replaced in place keep the blank lines after them",
         "hostname=\"h\"\nifconfig_em0=\"DHCP\"\ndefaultrouter=\"10.0.0.1\"\n\n",
         {{"ifconfig_em0", "inet 10.0.0.5 netmask 255.255.255.0"}, {"defaultrouter", "10.0.0.254"}},
         "hostname=\"h\"\nifconfig_em0=\"inet 10.0.0.5 netmask 255.255.255.0\"\n"
         "defaultrouter=\"10.0.0.254\"\n\n",
         "hostname=\"h\"\nifconfig_em0=\"DHCP\"\ndefaultrouter=\"10.0.0.1\"\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        dir.mkdir("etc");
        const NetPaths paths = scratch_paths(dir);
        if (c.old_text) dir.write("etc/rc.conf", *c.old_text);
        auto written = write_rc_conf(paths, c.pairs);
        ASSERT_TRUE(written) << net_error_text(written.error());
        EXPECT_EQ(test::read_file(paths.rc_conf), c.new_text);
        EXPECT_TRUE(exists(paths.rc_conf_backup));
        EXPECT_EQ(test::read_file(paths.rc_conf_backup), c.backup);
        EXPECT_EQ(test::names_in(dir.file("etc")),
                  (std::set<std::string>{"rc.conf", "rc.conf.tarnwick.bak"}));
    }
}

TEST(RcConfRewrite, RefusesWhatCannotStandInDoubleQuotes) {
    struct Case {
        std::string key;
        std::string value;
        std::string error;
    };
    const Case cases[] = {
        {"ifconfig_em0", "inet \"10.0.0.1", "invalid value for ifconfig_em0"},
        {"ifconfig_em0", "a\\", "invalid value for ifconfig_em0"},
        {"defaultrouter", "$(reboot)", "invalid value for defaultrouter"},
        {"defaultrouter", "`reboot`", "invalid value for defaultrouter"},
        {"ipv6_defaultrouter", "fe80::1%em0\"; reboot; \"", "invalid value for ipv6_defaultrouter"},
        {"defaultrouter", "10.0.0.1\nsshd_enable=\"NO\"", "invalid value for defaultrouter"},
        {"defaultrouter", "10.0.0.1\r", "invalid value for defaultrouter"},
        {"defaultrouter", "a\tb", "invalid value for defaultrouter"},
        {"defaultrouter", std::string("a\0b", 3), "invalid value for defaultrouter"},
        {"defaultrouter", "\x7f", "invalid value for defaultrouter"},
        {"defaultrouter", "\xC2\x85", "invalid value for defaultrouter"},  // U+0085
        {"defaultrouter", "\xC2\x9F", "invalid value for defaultrouter"},  // U+009F
        {"defaultrouter", "\xFF", "invalid value for defaultrouter"},      // not UTF-8
        {"bad key", "x", "invalid rc.conf key: bad key"},
        {"1abc", "x", "invalid rc.conf key: 1abc"},
        {"", "x", "invalid rc.conf key: "},
        {"a;reboot;b", "x", "invalid rc.conf key: a;reboot;b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key + "=" + c.value);
        test::ScratchDir dir;
        const NetPaths paths = scratch_paths(dir);
        dir.write("etc/rc.conf", "hostname=\"fw1\"\n");
        // An acceptable pair first: nothing at all is written.
        auto written = write_rc_conf(paths, {{"ifconfig_em1", "DHCP"}, {c.key, c.value}});
        ASSERT_FALSE(written);
        EXPECT_EQ(written.error(), NetError::message(c.error));
        EXPECT_EQ(test::read_file(paths.rc_conf), "hostname=\"fw1\"\n");
        EXPECT_EQ(test::names_in(dir.file("etc")), std::set<std::string>{"rc.conf"});
    }
    // Values outside ASCII that a shell keeps as they are pass.
    test::ScratchDir dir;
    dir.mkdir("etc");
    auto accepted = write_rc_conf(scratch_paths(dir), {{"hostname", "caf\xC3\xA9\xC2\xA0x'y#z"}});
    ASSERT_TRUE(accepted) << net_error_text(accepted.error());
    EXPECT_EQ(dir.read("etc/rc.conf"), "hostname=\"caf\xC3\xA9\xC2\xA0x'y#z\"\n");
}

TEST(RcConfRewrite, UnreadableFilesAreNotRewritten) {
    struct Case {
        const char* name;
        std::function<void(const test::ScratchDir&)> prepare;
        std::string error;
    };
    const Case cases[] = {
        {"not UTF-8",
         [](const test::ScratchDir& d) { d.write("etc/rc.conf", "hostname=\"caf\xE9\"\n"); },
         "IO: stream did not contain valid UTF-8"},
        {"a folder", [](const test::ScratchDir& d) { d.mkdir("etc/rc.conf"); },
         "IO: Is a directory (os error 21)"},
        {"a FIFO",
         [](const test::ScratchDir& d) {
             d.mkdir("etc");
             ASSERT_EQ(::mkfifo(d.file("etc/rc.conf").c_str(), 0600), 0);
         },
         "IO: Invalid argument (os error 22)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        c.prepare(dir);
        const NetPaths paths = scratch_paths(dir);
        auto written = write_rc_conf(paths, {{"ifconfig_em0", "DHCP"}});
        ASSERT_FALSE(written);
        EXPECT_EQ(net_error_text(written.error()), c.error);
        EXPECT_EQ(test::names_in(dir.file("etc")), std::set<std::string>{"rc.conf"});
    }
    test::ScratchDir dir;
    dir.write("etc/rc.conf", "hostname=\"caf\xE9\"\n");
    auto written = write_rc_conf(scratch_paths(dir), {{"ifconfig_em0", "DHCP"}});
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().kind, NetError::Kind::Io);
    EXPECT_EQ(dir.read("etc/rc.conf"), "hostname=\"caf\xE9\"\n");
}

TEST(RcConfRewrite, NoBackupNoRewrite) {
    test::ScratchDir dir;
    dir.write("etc/rc.conf", "hostname=\"fw1\"\n");
    NetPaths paths = scratch_paths(dir);
    paths.rc_conf_backup = dir.file("missing/rc.conf.tarnwick.bak");
    auto written = write_rc_conf(paths, {{"ifconfig_em0", "DHCP"}});
    ASSERT_FALSE(written);
    EXPECT_EQ(net_error_text(written.error()), "IO: No such file or directory (os error 2)");
    EXPECT_EQ(dir.read("etc/rc.conf"), "hostname=\"fw1\"\n");
    EXPECT_EQ(test::names_in(dir.file("etc")), std::set<std::string>{"rc.conf"});
}

TEST(RcConfRewrite, AFullDiskAfterTheBackupLeavesRcConfWhole) {
    test::ScratchDir dir;
    const std::string etc = dir.mkdir("etc");
    const std::string old_text = "hostname=\"fw1\"\n";
    // Room for rc.conf and its backup, not for the long new text.
    const int status = test::in_private_mount_namespace([&]() {
        if (::mount("tmpfs", etc.c_str(), "tmpfs", 0, "size=16k") != 0) return test::kNoNamespace;
        const NetPaths paths = scratch_paths(dir);
        dir.write("etc/rc.conf", old_text);
        auto written = write_rc_conf(paths, {{"hostname", std::string(64 * 1024, 'x')}});
        if (written ||
            net_error_text(written.error()) != "IO: No space left on device (os error 28)")
            return 1;
        if (test::read_file(paths.rc_conf) != old_text) return 2;
        if (test::read_file(paths.rc_conf_backup) != old_text) return 3;
        if (test::names_in(etc) != std::set<std::string>{"rc.conf", "rc.conf.tarnwick.bak"})
            return 4;
        return 0;
    });
    if (status == test::kNoNamespace)
        SKIP_OR_FAIL_IN_CI("no private mount namespace or tmpfs here");
    EXPECT_EQ(status, 0);
}

TEST(RcConfRewrite, ReplacesByRenameKeepingModeAndOwner) {
    test::ScratchDir dir;
    const NetPaths paths = scratch_paths(dir);
    dir.write("etc/rc.conf", "hostname=\"fw1\"\n", 0600);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(paths.rc_conf.c_str(), test::nobody_uid(), test::nobody_gid()), 0);
    }
    struct stat before {};
    ASSERT_EQ(::stat(paths.rc_conf.c_str(), &before), 0);

    ASSERT_TRUE(write_rc_conf(paths, {{"ifconfig_em0", "DHCP"}}));
    for (const std::string& path : {paths.rc_conf, paths.rc_conf_backup}) {
        SCOPED_TRACE(path);
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_NE(after.st_ino, before.st_ino);  // a new file, renamed into place
        EXPECT_EQ(after.st_mode & 07777, 0600u);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
    }
    EXPECT_EQ(dir.read("etc/rc.conf.tarnwick.bak"), "hostname=\"fw1\"\n");
    EXPECT_EQ(dir.read("etc/rc.conf"), "hostname=\"fw1\"\nifconfig_em0=\"DHCP\"\n");

    // The next rewrite replaces the backup with the text it found.
    ASSERT_TRUE(write_rc_conf(paths, {{"ifconfig_em0", "SYNCDHCP"}}));
    EXPECT_EQ(dir.read("etc/rc.conf.tarnwick.bak"), "hostname=\"fw1\"\nifconfig_em0=\"DHCP\"\n");
    EXPECT_EQ(test::names_in(dir.file("etc")),
              (std::set<std::string>{"rc.conf", "rc.conf.tarnwick.bak"}));
}

TEST(RcConfRewrite, WritesThroughALinkAtRcConf) {
    // rc.conf kept elsewhere and linked into /etc (as on read-only roots):
    // /bin/sh reads through the link, so the change must land behind it.
    test::ScratchDir dir;
    dir.write("conf/rc.conf", "hostname=\"fw1\"\n", 0640);
    dir.mkdir("etc");
    const NetPaths paths = scratch_paths(dir);
    ASSERT_EQ(::symlink("../conf/rc.conf", paths.rc_conf.c_str()), 0);
    ASSERT_TRUE(write_rc_conf(paths, {{"ifconfig_em0", "DHCP"}}));
    struct stat link {};
    ASSERT_EQ(::lstat(paths.rc_conf.c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_EQ(dir.read("conf/rc.conf"), "hostname=\"fw1\"\nifconfig_em0=\"DHCP\"\n");
    EXPECT_EQ(dir.read("etc/rc.conf.tarnwick.bak"), "hostname=\"fw1\"\n");
    EXPECT_EQ(test::names_in(dir.file("conf")), std::set<std::string>{"rc.conf"});
}

// The rewritten text, or the error's text.
std::string rewritten(std::string_view text, const RcPairs& pairs) {
    auto result = rewrite_rc_conf_text(text, pairs);
    return result ? *result : net_error_text(result.error());
}

// What /bin/sh makes of a text sourced as the boot sources rc.conf: its
// exit status, what it said, and every variable it set.
struct Sourced {
    int status = -1;
    std::string err;
    std::map<std::string, std::string> vars;
    bool operator==(const Sourced&) const = default;
};

Sourced sourced(const std::string& text) {
    test::ScratchDir dir;
    const std::string file = dir.write("rc.conf", text);
    // Every variable is exported on its way, so env lists it unquoted.
    test::ProcessOptions options;
    options.clear_env = true;
    options.cwd = dir.path();
    const test::ProcessResult r = test::run_process(
        "/bin/sh",
        {"-c", "set -a; . \"$1\"; status_of_rc=$?; /usr/bin/env -0; exit $status_of_rc", "sh",
         file},
        options);
    Sourced out{r.status, r.err, {}};
    for (std::size_t at = 0; at < r.out.size();) {
        const std::size_t end = r.out.find('\0', at);
        const std::string entry = r.out.substr(at, end - at);
        at = end == std::string::npos ? r.out.size() : end + 1;
        const std::size_t eq = entry.find('=');
        const std::string name = entry.substr(0, eq);
        if (name != "status_of_rc" && name != "PWD") out.vars[name] = entry.substr(eq + 1);
    }
    return out;
}

std::ostream& operator<<(std::ostream& os, const Sourced& s) {
    os << "status " << s.status << ", stderr \"" << s.err << "\",";
    for (const auto& [name, value] : s.vars) os << " " << name << "=[" << value << "]";
    return os;
}

// The new text sets the keys for /bin/sh and leaves everything else as the
// old one had it; the old text must source cleanly itself.
void expect_only_the_keys_changed(const std::string& old_text, const std::string& new_text,
                                  const RcPairs& pairs) {
    Sourced expected = sourced(old_text);
    ASSERT_EQ(expected.status, 0) << expected;
    ASSERT_EQ(expected.err, "") << expected;
    for (const auto& [key, value] : pairs) expected.vars[key] = value;
    EXPECT_EQ(sourced(new_text), expected);
}

constexpr const char* kKey = "ifconfig_em0";
constexpr const char* kValue = "inet 10.0.0.9 netmask 255.255.255.0";
const std::string kWord = "\"inet 10.0.0.9 netmask 255.255.255.0\"";

// A file of settings is changed in the key's last WORD alone; every other
// file is refused, naming the line. Each accepted row is sourced with
// /bin/sh before and after.
TEST(RcConfRewrite, ChangesOnlyFilesOfSettings) {
    struct Case {
        const char* name;
        std::string old_text;
        std::string outcome;  // the new text, or the refusal
    };
    const std::string long_command = "echo " + std::string(100, 'x');
    const Case cases[] = {
        // What names a command or a variable through an expansion.
        {"a command named by an expansion", "e=eval\n$e \"$cmd\"\nifconfig_em0=DHCP\n",
         "rc.conf line 2 is not a setting (\"$e \"$cmd\"\"); not changed"},
        {"read into a named variable", "read -r $k\nifconfig_em0=DHCP\n",
         "rc.conf line 1 is not a setting (\"read -r $k\"); not changed"},
        {"read with a redirection", "ifconfig_em0=DHCP\nread \"$v\" </dev/null\n",
         "rc.conf line 2 is not a setting (\"read \"$v\" </dev/null\"); not changed"},
        {"getopts", "ifconfig_em0=DHCP\ngetopts a \"$v\"\n",
         "rc.conf line 2 is not a setting (\"getopts a \"$v\"\"); not changed"},
        {"command read", "command read -r $k\nifconfig_em0=DHCP\n",
         "rc.conf line 1 is not a setting (\"command read -r $k\"); not changed"},
        // What stops the shell, or makes it read the file otherwise.
        {"shift", "ifconfig_em0=DHCP\nshift\n",
         "rc.conf line 2 is not a setting (\"shift\"); not changed"},
        {"break 0", "break 0\nifconfig_em0=DHCP\n",
         "rc.conf line 1 is not a setting (\"break 0\"); not changed"},
        {"a redirection from a missing file", ": </nonexistent/file\nifconfig_em0=DHCP\n",
         "rc.conf line 1 is not a setting (\": </nonexistent/file\"); not changed"},
        {"a bad substitution", "x=${a b}\nifconfig_em0=DHCP\n",
         "rc.conf line 1 is not a setting (\"x=${a b}\"); not changed"},
        {"a substring substitution", "ifconfig_em0=DHCP\nuptime_s=${boot_time:0:4}\n",
         "rc.conf line 2 is not a setting (\"uptime_s=${boot_time:0:4}\"); not changed"},
        {"a reserved word out of place", "in x\nifconfig_em0=DHCP\n",
         "rc.conf line 1 is not a setting (\"in x\"); not changed"},
        {"a ! alone", "ifconfig_em0=DHCP\n!\n",
         "rc.conf line 2 is not a setting (\"!\"); not changed"},
        {"a NUL byte in a later setting", std::string("ifconfig_em0=DHCP\nnote=\"a\0b\"\n", 28),
         "rc.conf line 2 is not a setting (\"note=\"a\\000b\"\"); not changed"},
        {"a here-document whose end word has a carriage return",
         "cat <<EOF\r\nifconfig_em0=x\r\nEOF\r\nifconfig_em0=DHCP\n",
         "rc.conf line 1 is not a setting (\"cat <<EOF\\015\"); not changed"},
        {"a value whose command changes the exit status", "ifconfig_em0=$(false)\n",
         "rc.conf line 1 is not a setting (\"ifconfig_em0=$(false)\"); not changed"},
        // The shapes of public files that are not settings alone.
        {"a stray line of terminal text",
         "hostname=\"fw\"\nroot@fw:~ # vi /etc/rc.conf\nifconfig_em0=DHCP\n",
         "rc.conf line 2 is not a setting (\"root@fw:~ # vi /etc/rc.conf\"); not changed"},
        {"sysrc commands", "sysrc ifconfig_em0=DHCP\n",
         "rc.conf line 1 is not a setting (\"sysrc ifconfig_em0=DHCP\"); not changed"},
        {"a spaced setting", "allscreens_flags = MODE_333\nifconfig_em0=DHCP\n",
         "rc.conf line 1 is not a setting (\"allscreens_flags = MODE_333\"); not changed"},
        {"an unterminated quote", "sshd_enable=\"YES\"\nifconfig_em0=\"DHCP\nhostname=fw\n",
         "rc.conf line 2 has an unterminated quote or substitution (\"ifconfig_em0=\"DHCP\"); "
         "not changed"},
        // Everything else outside the grammar.
        {"a background job", "ifconfig_em0=DHCP &\n",
         "rc.conf line 1 is not a setting (\"ifconfig_em0=DHCP &\"); not changed"},
        {"a pipeline", "a=1 | b=2\n",
         "rc.conf line 1 is not a setting (\"a=1 | b=2\"); not changed"},
        {"a list", "a=1 && ifconfig_em0=DHCP\n",
         "rc.conf line 1 is not a setting (\"a=1 && ifconfig_em0=DHCP\"); not changed"},
        {"an assignment in front of a command", "ifconfig_em0=DHCP true\n",
         "rc.conf line 1 is not a setting (\"ifconfig_em0=DHCP true\"); not changed"},
        {"a ; with nothing before it", "a=1\n; b=2\n",
         "rc.conf line 2 is not a setting (\"; b=2\"); not changed"},
        {"two ;", "a=1;;\n", "rc.conf line 1 is not a setting (\"a=1;;\"); not changed"},
        {"a positional parameter", "a=$1\n",
         "rc.conf line 1 is not a setting (\"a=$1\"); not changed"},
        {"a special parameter in quotes", "a=\"$?\"\n",
         "rc.conf line 1 is not a setting (\"a=\"$?\"\"); not changed"},
        {"a length expansion", "a=${#b}\n",
         "rc.conf line 1 is not a setting (\"a=${#b}\"); not changed"},
        {"a default expansion that assigns", "a=${b:=x}\n",
         "rc.conf line 1 is not a setting (\"a=${b:=x}\"); not changed"},
        {"backquotes in double quotes", "a=\"`date`\"\n",
         "rc.conf line 1 is not a setting (\"a=\"`date`\"\"); not changed"},
        {"arithmetic", "a=$((1/0))\n",
         "rc.conf line 1 is not a setting (\"a=$((1/0))\"); not changed"},
        {"a $'...' string", "a=$'x'\n",
         "rc.conf line 1 is not a setting (\"a=$'x'\"); not changed"},
        {"a lone $", "a=\"cost $\"\n",
         "rc.conf line 1 is not a setting (\"a=\"cost $\"\"); not changed"},
        {"a backslash that ends the file", "a=x\\",
         "rc.conf line 1 is not a setting (\"a=x\\\"); not changed"},
        {"a blank line of a DOS file", "a=1\r\n\r\nb=2\r\n",
         "rc.conf line 2 is not a setting (\"\\015\"); not changed"},
        {"indentation the shell does not take for a blank", "\xC2\xA0ifconfig_em0=DHCP\n",
         "rc.conf line 1 is not a setting (\"\xC2\xA0ifconfig_em0=DHCP\"); not changed"},
        {"a quoted name", "\"ifconfig_em0\"=DHCP\n",
         "rc.conf line 1 is not a setting (\"\"ifconfig_em0\"=DHCP\"); not changed"},
        {"a function", "f() { ifconfig_em0=x; }\n",
         "rc.conf line 1 is not a setting (\"f() { ifconfig_em0=x; }\"); not changed"},
        {"the line number counts lines inside quotes", "note='a\nb'\nexit 0\n",
         "rc.conf line 3 is not a setting (\"exit 0\"); not changed"},
        {"a long line is quoted in part", "a=1\n" + long_command + "\n",
         "rc.conf line 2 is not a setting (\"echo " + std::string(55, 'x') + "...\"); not changed"},
        {"rc_conf_files", "rc_conf_files=\"/etc/rc.conf /etc/rc.conf.mine\"\n",
         "rc.conf line 1 sets rc_conf_files; not changed"},
        // Settings alone: changed.
        {"an expansion and a comment, as public files have them",
         "kld_list=\"${kld_list} amdgpu\" # pf\nifconfig_em0=\"DHCP\"\n",
         "kld_list=\"${kld_list} amdgpu\" # pf\nifconfig_em0=" + kWord + "\n"},
        {"indentation, other settings and a comment on the line",
         "  a=1 ifconfig_em0='inet 10.0.0.5'; b=2 # note\n",
         "  a=1 ifconfig_em0=" + kWord + "; b=2 # note\n"},
        {"a value over two lines",
         "ifconfig_em0=\"inet 10.0.0.5 \\\n  netmask 255.0.0.0\" # wan\nb=1\n",
         "ifconfig_em0=" + kWord + " # wan\nb=1\n"},
        {"a quoted value over two lines", "ifconfig_em0='inet 10.0.0.5\nnetmask 255.0.0.0'\nb=1\n",
         "ifconfig_em0=" + kWord + "\nb=1\n"},
        {"carriage returns stay on other lines", "a=1\r\nifconfig_em0=DHCP\r\nb=2\r\n",
         "a=1\r\nifconfig_em0=" + kWord + "\nb=2\r\n"},
        {"the last of several settings", "ifconfig_em0=DHCP\nb=1\nifconfig_em0='inet 10.0.0.5'\n",
         "ifconfig_em0=DHCP\nb=1\nifconfig_em0=" + kWord + "\n"},
        {"the last of two on a line", "ifconfig_em0=a ifconfig_em0=b\n",
         "ifconfig_em0=a ifconfig_em0=" + kWord + "\n"},
        {"appended, with the missing line feed", "a=1", "a=1\nifconfig_em0=" + kWord + "\n"},
        {"appended after a line a backslash continues", "a=x \\\n",
         "a=x \\\n\nifconfig_em0=" + kWord + "\n"},
        {"a line inside another value is no setting",
         "note=\"see\nifconfig_em0=inet 10.0.0.5\n\"\n",
         "note=\"see\nifconfig_em0=inet 10.0.0.5\n\"\nifconfig_em0=" + kWord + "\n"},
        {"a backslash in a comment continues nothing", "# don't \\\nifconfig_em0='x'\n",
         "# don't \\\nifconfig_em0=" + kWord + "\n"},
        {"escapes", "ifconfig_em0=inet\\ 10.0.0.5\\ \\\"x\\\" b=\"\\$c \\d\"\n",
         "ifconfig_em0=" + kWord + " b=\"\\$c \\d\"\n"},
        {"# inside a word", "ifconfig_em0=a#b # c\n", "ifconfig_em0=" + kWord + " # c\n"},
        {"an empty word", "ifconfig_em0= b=1\n", "ifconfig_em0=" + kWord + " b=1\n"},
        {"a word that begins on the next line", "ifconfig_em0=\\\nDHCP\nb=1\n",
         "ifconfig_em0=" + kWord + "\nb=1\n"},
        {"settings joined by a backslash", "a=1 \\\n  ifconfig_em0=DHCP\n",
         "a=1 \\\n  ifconfig_em0=" + kWord + "\n"},
        {"a name split by a backslash", "ifconfig_\\\nem0=DHCP\n",
         "ifconfig_\\\nem0=" + kWord + "\n"},
        {"expansions in the replaced value", "ifconfig_em0=\"$x ${y}\"$z\n",
         "ifconfig_em0=" + kWord + "\n"},
        {"a ; at the end and a comment after it", "ifconfig_em0=DHCP; # uplink\n",
         "ifconfig_em0=" + kWord + "; # uplink\n"},
        {"an empty file", "", "ifconfig_em0=" + kWord + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        const NetPaths paths = scratch_paths(dir);
        dir.write("etc/rc.conf", c.old_text);
        dir.write("etc/rc.conf.tarnwick.bak", "old backup\n");
        auto written = write_rc_conf(paths, {{kKey, kValue}});
        const std::string text = dir.read("etc/rc.conf");
        EXPECT_EQ(written ? text : net_error_text(written.error()), c.outcome);
        if (!written) {
            EXPECT_EQ(written.error().kind, NetError::Kind::Message);
            EXPECT_EQ(text, c.old_text);
            EXPECT_EQ(dir.read("etc/rc.conf.tarnwick.bak"), "old backup\n");
            continue;
        }
        EXPECT_EQ(dir.read("etc/rc.conf.tarnwick.bak"), c.old_text);
        expect_only_the_keys_changed(c.old_text, text, {{kKey, kValue}});
    }
}

// Texts put together from pieces of settings, comments and what is no
// setting: each accepted change is one /bin/sh reads as the old text with
// only the key changed, and a refused one names a line of the text.
TEST(RcConfRewrite, AcceptedChangesOfMixedTextsChangeOnlyTheKey) {
    const std::vector<std::string> pieces = {
        "ifconfig_em0=DHCP",
        "ifconfig_em0='inet 10.0.0.5'",
        "  ifconfig_em0=\"inet 10.0.0.6 \\\n  netmask 255.0.0.0\" # wan",
        "a=1 ifconfig_em0=x b=\"$a y\"",
        "c='q\nifconfig_em0=in a value'",
        "d=\"${c}\"\\ e",
        "# ifconfig_em0=commented",
        "",
        "\t",
        "f=1; g=2;",
        "h=x\\",
        "i=\\\\",
        "j=\\\n\\\nk",
        "l=a#b #c ' \"",
        "m=\"\\a\\$\\\"\"",
        "n=\"\r\" o=p\r",
        "ifconfig_em0=z; ",
        "shift",
        "ifconfig_em0=$(false)",
        "x=${a b}",
        "p=\"open",
        ": <<EOF",
        "EOF",
        "!",
        "q=`x`",
    };
    std::mt19937 random(20261211);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> count(1, 6);
    int accepted = 0;
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int n = count(random); n > 0; --n) text += pieces[pick(random)] + "\n";
        if (round % 7 == 0 && !text.empty()) text.pop_back();  // no final line feed
        SCOPED_TRACE(text);
        auto result = rewrite_rc_conf_text(text, {{kKey, kValue}});
        if (!result) {
            const std::string why = net_error_text(result.error());
            EXPECT_TRUE(why.starts_with("rc.conf line ") && why.ends_with("; not changed")) << why;
            continue;
        }
        ++accepted;
        expect_only_the_keys_changed(text, *result, {{kKey, kValue}});
        // The reader takes from the new text what the shell assigns, for
        // every setting without an expansion.
        const RcConf conf = parse_rc_conf(*result);
        for (const auto& [name, value] : sourced(*result).vars) {
            const auto it = conf.find(name);
            ASSERT_NE(it, conf.end()) << name;
            if (it->second.find('$') == std::string::npos) {
                EXPECT_EQ(it->second, value) << name;
            }
        }
    }
    // Both roads are taken often enough to mean something.
    EXPECT_GT(accepted, 30);
}

TEST(RcConfRewrite, LaterFilesMustNotSetTheKeys) {
    struct Case {
        const char* name;
        std::function<void(const test::ScratchDir&)> prepare;
        std::string outcome;  // "" when accepted
    };
    const Case cases[] = {
        {"rc.conf.local sets the key",
         [](const test::ScratchDir& d) {
             d.write("etc/rc.conf.local", "# local\nifconfig_em0=\"DHCP\"\n");
         },
         "rc.conf.local line 2 also sets ifconfig_em0; not changed"},
        {"rc.conf.local is not settings alone",
         [](const test::ScratchDir& d) { d.write("etc/rc.conf.local", "sysrc x=1\n"); },
         "rc.conf.local line 1 is not a setting (\"sysrc x=1\"); not changed"},
        {"rc.conf.local sets rc_conf_files",
         [](const test::ScratchDir& d) { d.write("etc/rc.conf.local", "rc_conf_files=/etc/x\n"); },
         "rc.conf.local line 1 sets rc_conf_files; not changed"},
        {"a file in a folder of them sets the second key",
         [](const test::ScratchDir& d) {
             d.write("etc/rc.conf.d/routing/a", "static_routes=\"\"\n");
             d.write("etc/rc.conf.d/routing/b", "\n\ndefaultrouter=\"192.0.2.9\"\n");
         },
         "rc.conf.d/routing/b line 3 also sets defaultrouter; not changed"},
        {"the later folder under /usr/local",
         [](const test::ScratchDir& d) {
             d.write("usr/local/etc/rc.conf.d/netif", "a=1; ifconfig_em0=x\n");
         },
         "/usr/local/etc/rc.conf.d/netif line 1 also sets ifconfig_em0; not changed"},
        {"not UTF-8",
         [](const test::ScratchDir& d) { d.write("etc/rc.conf.local", "a=caf\xE9\n"); },
         "IO: rc.conf.local: stream did not contain valid UTF-8"},
        {"files the boot passes over: hidden ones, folders and FIFOs",
         [](const test::ScratchDir& d) {
             d.write("etc/rc.conf.d/netif/.old", "ifconfig_em0=x\n");
             d.write("etc/rc.conf.d/netif/sub/c", "ifconfig_em0=x\n");
             ASSERT_EQ(::mkfifo(d.file("etc/rc.conf.d/routing").c_str(), 0600), 0);
             d.write("etc/rc.conf.local", "ifconfig_em1=DHCP\n");
         },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        dir.mkdir("etc/rc.conf.d");
        dir.mkdir("usr/local/etc/rc.conf.d");
        c.prepare(dir);
        NetPaths paths = scratch_paths(dir);
        paths.later_rc_files = {
            {dir.file("etc/rc.conf.local"), "rc.conf.local"},
            {dir.file("etc/rc.conf.d/netif"), "rc.conf.d/netif"},
            {dir.file("etc/rc.conf.d/routing"), "rc.conf.d/routing"},
            {dir.file("usr/local/etc/rc.conf.d/netif"), "/usr/local/etc/rc.conf.d/netif"},
        };
        dir.write("etc/rc.conf", "hostname=fw\n");
        auto written = write_rc_conf(paths, {{kKey, "DHCP"}, {"defaultrouter", "192.0.2.1"}});
        EXPECT_EQ(written ? std::string() : net_error_text(written.error()), c.outcome);
        const bool changed = dir.read("etc/rc.conf") != "hostname=fw\n";
        EXPECT_EQ(changed, c.outcome.empty());
        EXPECT_EQ(exists(paths.rc_conf_backup), c.outcome.empty());
    }
}

// The reader and the rewrite agree on what a file sets.
TEST(RcConfRewrite, TheRewrittenValueIsWhatTheReaderReads) {
    const std::string text = "defaultrouter=\"192.0.2.1\" # upstream\nifconfig_em0=DHCP\r\n";
    EXPECT_EQ(parse_rc_conf(text).at("defaultrouter"), "192.0.2.1");
    const std::string changed = rewritten(text, {{kKey, kValue}, {"defaultrouter", "192.0.2.7"}});
    const RcConf conf = parse_rc_conf(changed);
    EXPECT_EQ(conf.at(kKey), kValue);
    EXPECT_EQ(conf.at("defaultrouter"), "192.0.2.7");
    EXPECT_EQ(changed, "defaultrouter=\"192.0.2.7\" # upstream\nifconfig_em0=" + kWord + "\n");
}

// A recorded rc.conf, as it is and written the way people keep theirs
// (comments, blank lines, a value over two lines, DOS line endings):
// freezing an interface changes its settings' words alone.
TEST(RcConfRewrite, ChangesRecordedFilesInPlace) {
    const std::string recorded =
        test::read_file(std::string(TARNWICK_FIXTURES_DIR) + "/freebsd/rc.conf/freebsd14-router");
    const RcPairs pairs = {{"ifconfig_em0", "inet 192.0.2.20 netmask 255.255.255.0"},
                           {"defaultrouter", "192.0.2.254"},
                           {"ifconfig_em0_ipv6", "inet6 2001:db8:1::20 prefixlen 64"},
                           {"ipv6_defaultrouter", "fe80::2%em0"}};
    const auto replace = [](std::string& text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    // The recorded text with each setting of the pairs replaced.
    std::string expected = recorded;
    replace(expected, "ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"",
            "ifconfig_em0=\"inet 192.0.2.20 netmask 255.255.255.0\"");
    replace(expected, "defaultrouter=\"192.0.2.1\"", "defaultrouter=\"192.0.2.254\"");
    replace(expected, "ifconfig_em0_ipv6=\"inet6 2001:db8:1::10 prefixlen 64\"",
            "ifconfig_em0_ipv6=\"inet6 2001:db8:1::20 prefixlen 64\"");
    replace(expected, "ipv6_defaultrouter=\"fe80::1%em0\"", "ipv6_defaultrouter=\"fe80::2%em0\"");
    EXPECT_EQ(rewritten(recorded, pairs), expected);
    expect_only_the_keys_changed(recorded, expected, pairs);

    std::string kept = recorded;
    replace(kept, "keymap=\"us.kbd\"\n", "keymap=\"us.kbd\"\n\n# Network\n");
    replace(
        kept, "ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"",
        "ifconfig_em0=\"inet 192.0.2.10 \\\n    netmask 255.255.255.0\"  # uplink, set by hand");
    replace(kept, "defaultrouter=\"192.0.2.1\"\n", "defaultrouter=\"192.0.2.1\"\n\n");
    kept += "# end\n\n";
    std::string kept_expected = expected;
    replace(kept_expected, "keymap=\"us.kbd\"\n", "keymap=\"us.kbd\"\n\n# Network\n");
    replace(kept_expected, "netmask 255.255.255.0\"",
            "netmask 255.255.255.0\"  # uplink, set by hand");
    replace(kept_expected, "defaultrouter=\"192.0.2.254\"\n", "defaultrouter=\"192.0.2.254\"\n\n");
    kept_expected += "# end\n\n";
    EXPECT_EQ(rewritten(kept, pairs), kept_expected);
    expect_only_the_keys_changed(kept, kept_expected, pairs);

    // DOS line endings on every line that holds something (a carriage
    // return alone is a command): each keeps its own, but for the values
    // replaced, whose words it ended.
    const auto dos = [](const std::string& text) {
        std::string out;
        for (const std::string_view line : split_at_line_feeds(text)) {
            out += line;
            out += line.empty() || line.ends_with('\\') ? "\n" : "\r\n";
        }
        return out;
    };
    std::string dos_expected = dos(kept_expected);
    for (const std::string line : {"defaultrouter=\"192.0.2.254\"",
                                   "ifconfig_em0_ipv6=\"inet6 2001:db8:1::20 prefixlen 64\"",
                                   "ipv6_defaultrouter=\"fe80::2%em0\""}) {
        replace(dos_expected, "\n" + line + "\r\n", "\n" + line + "\n");
    }
    EXPECT_EQ(rewritten(dos(kept), pairs), dos_expected);
    expect_only_the_keys_changed(dos(kept), dos_expected, pairs);
}

TEST(RcConfRewrite, RewritesTextAlone) {
    EXPECT_EQ(rewritten("", {}), "\n");
    EXPECT_EQ(rewritten("\n", {}), "\n");
    EXPECT_EQ(rewritten("a=1\n\n", {{"a", "2"}}), "a=\"2\"\n\n");
    EXPECT_EQ(rewritten("a=1\n\n\n", {{"b", "2"}}), "a=1\n\n\nb=\"2\"\n");
    EXPECT_EQ(rewritten("a=1", {{"b", "2"}}), "a=1\nb=\"2\"\n");
    EXPECT_EQ(rewritten("a=\"2\"\nb=1\n", {{"a", "2"}}), "a=\"2\"\nb=1\n");
}

}  // namespace
}  // namespace tarnwick::app
