#include "app/network/rc_conf_rewrite.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
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
    return {dir.file("etc/rc.conf"), dir.file("etc/rc.conf.tarnwick.bak"),
            dir.file("etc/resolv.conf"), dir.file("etc/rc.d/netif")};
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
        {"spaces around = and single quotes",
         "ifconfig_em0 = 'inet 10.0.0.5'\nsshd_enable=\"YES\"\n",
         {{"ifconfig_em0", "DHCP"}},
         "ifconfig_em0=\"DHCP\"\nsshd_enable=\"YES\"\n",
         "ifconfig_em0 = 'inet 10.0.0.5'\nsshd_enable=\"YES\"\n"},
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
        {"CR LF lines lose their carriage returns; the backup keeps them",
         "a=1\r\nifconfig_em0=\"DHCP\"\r\n",
         {{"ifconfig_em0", "inet 10.0.0.5 netmask 255.0.0.0"}},
         "a=1\nifconfig_em0=\"inet 10.0.0.5 netmask 255.0.0.0\"\n",
         "a=1\r\nifconfig_em0=\"DHCP\"\r\n"},
        {"blank lines, comments and longer keys stay; later pairs see earlier ones",
         "\n# network\n\nifconfig_em0_ipv6=\"inet6 accept_rtadv\"\nifconfig_em0x=\"up\"\n"
         "ifconfig_em0=\n\n",
         {{"ifconfig_em0", "1"}, {"ifconfig_em0", "2"}, {"new_key", "n"}},
         "\n# network\n\nifconfig_em0_ipv6=\"inet6 accept_rtadv\"\nifconfig_em0x=\"up\"\n"
         "ifconfig_em0=\"2\"\n\nnew_key=\"n\"\n",
         "\n# network\n\nifconfig_em0_ipv6=\"inet6 accept_rtadv\"\nifconfig_em0x=\"up\"\n"
         "ifconfig_em0=\n\n"},
        {"keys are matched after Unicode trimming and case-sensitively",
         "\xC2\xA0ifconfig_em0\t= x\nIFCONFIG_EM0=\"y\"\n",
         {{"ifconfig_em0", "DHCP"}},
         "ifconfig_em0=\"DHCP\"\nIFCONFIG_EM0=\"y\"\n",
         "\xC2\xA0ifconfig_em0\t= x\nIFCONFIG_EM0=\"y\"\n"},
        {"no pairs: the text is only normalised", "a=1\r\nb=2", {}, "a=1\nb=2\n", "a=1\r\nb=2"},
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

// The rewritten text, or "error: " and the error's text.
std::string rewritten(std::string_view text, const RcPairs& pairs) {
    auto result = rewrite_rc_conf_text(text, pairs);
    return result ? *result : "error: " + net_error_text(result.error());
}

// What /bin/sh makes of the keys after reading the text as rc.conf is read
// at boot: "key=value" lines.
std::string sh_values(const std::string& text, const std::vector<std::string>& keys) {
    test::ScratchDir dir;
    std::string script = ". \"$0\" || exit 9\n";
    for (const std::string& key : keys)
        script += "printf '%s=%s\\n' " + key + " \"$" + key + "\"\n";
    const test::ProcessResult r =
        test::run_process("/bin/sh", {"-c", script, dir.write("rc.conf", text)});
    return r.status == 0 && r.err.empty() ? r.out : "sh failed: " + r.err;
}

TEST(RcConfRewrite, SettingsAreReplacedAsTheShellReadsThem) {
    struct Case {
        const char* name;
        std::string old_text;
        std::string new_text;
        std::string values;  // what sh sees afterwards, for the keys below
    };
    const std::vector<std::string> keys = {"ifconfig_em0", "ifconfig_em0_ipv6", "sshd_enable",
                                           "note"};
    const RcPairs dhcp = {{"ifconfig_em0", "DHCP"}};
    const std::string rest = "ifconfig_em0_ipv6=\nsshd_enable=YES\nnote=\n";
    const Case cases[] = {
        {"a value continued by a backslash",
         "ifconfig_em0=\"inet 10.0.0.5 \\\n    netmask 255.255.255.0\"\nsshd_enable=\"YES\"\n",
         "ifconfig_em0=\"DHCP\"\nsshd_enable=\"YES\"\n", "ifconfig_em0=DHCP\n" + rest},
        {"a quoted value over two lines",
         "ifconfig_em0='inet 10.0.0.5\nnetmask 255.255.255.0'\nsshd_enable=YES # it's on\n",
         "ifconfig_em0=\"DHCP\"\nsshd_enable=YES # it's on\n", "ifconfig_em0=DHCP\n" + rest},
        {"a quote on the line a value continues on",
         "note=\\\n#'\nifconfig_em0=x\\'\nsshd_enable=YES\n",
         "note=\\\n#'\nifconfig_em0=x\\'\nsshd_enable=YES\nifconfig_em0=\"DHCP\"\n",
         "ifconfig_em0=DHCP\nifconfig_em0_ipv6=\nsshd_enable=YES\nnote=#\nifconfig_em0=x\\\n"},
        {"carriage returns after the value are a line ending, not a command to keep",
         "ifconfig_em0=x \r\r\nsshd_enable=YES\n", "ifconfig_em0=\"DHCP\"\nsshd_enable=YES\n",
         "ifconfig_em0=DHCP\n" + rest},
        {"a backslash before a DOS line ending escapes the return and joins nothing",
         "note=\\\r\nsshd_enable=YES\r\n", "note=\\\r\nsshd_enable=YES\nifconfig_em0=\"DHCP\"\n",
         "ifconfig_em0=DHCP\nifconfig_em0_ipv6=\nsshd_enable=YES\nnote=\r\n"},
        {"a line inside another setting's value is no assignment",
         "note=\"see\nifconfig_em0=inet 10.0.0.9\n\"\nsshd_enable=YES\n",
         "note=\"see\nifconfig_em0=inet 10.0.0.9\n\"\nsshd_enable=YES\nifconfig_em0=\"DHCP\"\n",
         "ifconfig_em0=DHCP\nifconfig_em0_ipv6=\nsshd_enable=YES\nnote=see\n"
         "ifconfig_em0=inet 10.0.0.9\n\n"},
        {"a continued line holding the next setting keeps it",
         "ifconfig_em0=\"inet 10.0.0.5\" \\\n  ifconfig_em0_ipv6=\"inet6 accept_rtadv\"\n"
         "sshd_enable=YES\n",
         "ifconfig_em0=\"DHCP\"\n  ifconfig_em0_ipv6=\"inet6 accept_rtadv\"\nsshd_enable=YES\n",
         "ifconfig_em0=DHCP\nifconfig_em0_ipv6=inet6 accept_rtadv\nsshd_enable=YES\nnote=\n"},
        {"a continued line setting the same key is replaced too",
         "ifconfig_em0=\"inet 10.0.0.5\" \\\nifconfig_em0=SYNCDHCP\nsshd_enable=YES\n",
         "ifconfig_em0=\"DHCP\"\nifconfig_em0=\"DHCP\"\nsshd_enable=YES\n",
         "ifconfig_em0=DHCP\n" + rest},
        {"a setting after it on the same line stays, its value over two lines too",
         "ifconfig_em0=\"inet 10.0.0.5\" note=\"a\nb\"\nsshd_enable=YES\n",
         "ifconfig_em0=\"DHCP\" note=\"a\nb\"\nsshd_enable=YES\n",
         "ifconfig_em0=DHCP\nifconfig_em0_ipv6=\nsshd_enable=YES\nnote=a\nb\n"},
        {"a command after it on the same line stays",
         "ifconfig_em0='inet 10.0.0.5'; sshd_enable=\"YES\" # both\n",
         "ifconfig_em0=\"DHCP\"; sshd_enable=\"YES\" # both\n", "ifconfig_em0=DHCP\n" + rest},
        {"the key set again later on the line: the whole line is replaced",
         "ifconfig_em0=DHCP; ifconfig_em0=\"inet 10.0.0.5\"\nsshd_enable=YES\n",
         "ifconfig_em0=\"DHCP\"\nsshd_enable=YES\n", "ifconfig_em0=DHCP\n" + rest},
        {"the key inside a later quoted value is no assignment",
         "ifconfig_em0='inet 10.0.0.5' note=\"x ifconfig_em0=y\"\n",
         "ifconfig_em0=\"DHCP\" note=\"x ifconfig_em0=y\"\n",
         "ifconfig_em0=DHCP\nifconfig_em0_ipv6=\nsshd_enable=\nnote=x ifconfig_em0=y\n"},
        {"a comment after it stays on its line, and so does its indentation",
         "  ifconfig_em0=\"inet 10.0.0.5\" # set by the installer; keep\nsshd_enable=YES\n",
         "  ifconfig_em0=\"DHCP\" # set by the installer; keep\nsshd_enable=YES\n",
         "ifconfig_em0=DHCP\n" + rest},
        {"a comment after a value over two lines stays on the last",
         "ifconfig_em0=\"inet 10.0.0.5 \\\n    netmask 255.255.255.0\"\t # WAN "
         "uplink\nsshd_enable=YES\n",
         "ifconfig_em0=\"DHCP\"\t # WAN uplink\nsshd_enable=YES\n", "ifconfig_em0=DHCP\n" + rest},
        {"a comment after a line replaced whole stays",
         "ifconfig_em0=DHCP;ifconfig_em0='inet 10.0.0.5';# uplink\nsshd_enable=YES\n",
         "ifconfig_em0=\"DHCP\" # uplink\nsshd_enable=YES\n", "ifconfig_em0=DHCP\n" + rest},
        {"a spaced setting keeps its comment",
         "ifconfig_em0 = 'inet 10.0.0.5'  # uplink\nsshd_enable=YES\n",
         "ifconfig_em0=\"DHCP\"  # uplink\nsshd_enable=YES\n", "ifconfig_em0=DHCP\n" + rest},
        {"a spaced setting keeps its indentation",
         "\tifconfig_em0 = 'inet 10.0.0.5'\nsshd_enable=YES\n",
         "\tifconfig_em0=\"DHCP\"\nsshd_enable=YES\n", "ifconfig_em0=DHCP\n" + rest},
        {"settings of the key continued one on the next are each replaced",
         "ifconfig_em0=a \\\n  ifconfig_em0=b \\\nifconfig_em0=c # last\nsshd_enable=YES\n",
         "ifconfig_em0=\"DHCP\"\n  ifconfig_em0=\"DHCP\"\nifconfig_em0=\"DHCP\" # "
         "last\nsshd_enable=YES\n",
         "ifconfig_em0=DHCP\n" + rest},
        {"a word the second assignment continues on the next line goes with it",
         "ifconfig_em0=x; ifconfig_em0=\\\nnote'y'\nsshd_enable=YES\n",
         "ifconfig_em0=\"DHCP\"\nsshd_enable=YES\n", "ifconfig_em0=DHCP\n" + rest},
        {"a last line that a backslash continues", "sshd_enable=YES\nnote=a\\\n",
         "sshd_enable=YES\nnote=a\\\n\nifconfig_em0=\"DHCP\"\n",
         "ifconfig_em0=DHCP\nifconfig_em0_ipv6=\nsshd_enable=YES\nnote=a\n"},
        {"a backslash in single quotes or in a comment continues nothing",
         "# don't \\\nifconfig_em0='inet 10.0.0.5 \\'\nsshd_enable=YES\n",
         "# don't \\\nifconfig_em0=\"DHCP\"\nsshd_enable=YES\n", "ifconfig_em0=DHCP\n" + rest},
        {"a command substitution over two lines",
         "note=\"$(echo \"one\nifconfig_em0=two\")\"\nsshd_enable=YES\n",
         "note=\"$(echo \"one\nifconfig_em0=two\")\"\nsshd_enable=YES\nifconfig_em0=\"DHCP\"\n",
         "ifconfig_em0=DHCP\nifconfig_em0_ipv6=\nsshd_enable=YES\nnote=one\nifconfig_em0=two\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = rewritten(c.old_text, dhcp);
        EXPECT_EQ(text, c.new_text);
        EXPECT_EQ(sh_values(text, keys), c.values);
    }
}

TEST(RcConfRewrite, AQuoteLeftOpenRefusesTheChange) {
    const std::string refused = "error: " + std::string(kOpenQuoteText);
    const char* texts[] = {
        "hostname=\"fw1\nifconfig_em0=\"DHCP\"\n",
        "ifconfig_em0='inet 10.0.0.5\n",
        "note=$(date\n",
        "note=\"${x:-\"}\"\n",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(rewritten(text, {{"ifconfig_em0", "DHCP"}}), refused);
        test::ScratchDir dir;
        dir.write("etc/rc.conf", text);
        auto written = write_rc_conf(scratch_paths(dir), {{"ifconfig_em0", "DHCP"}});
        ASSERT_FALSE(written);
        EXPECT_EQ(written.error(), NetError::message(std::string(kOpenQuoteText)));
        EXPECT_EQ(dir.read("etc/rc.conf"), text);
        EXPECT_EQ(test::names_in(dir.file("etc")), std::set<std::string>{"rc.conf"});
    }
}

// Each text is changed only where /bin/sh then reads the new value (and
// every other variable as before); where the shell might take the key from
// another line, the change is refused and both files stay as they were.
TEST(RcConfRewrite, ChangesOnlyWhatTheShellWillRead) {
    struct Case {
        const char* name;
        std::string old_text;
        std::optional<std::string> new_text;  // nullopt: refused
    };
    const std::string key = "ifconfig_em0";
    const std::string value = "inet 10.0.0.9 netmask 255.255.255.0";
    const std::string setting = key + "=\"" + value + "\"";
    const std::vector<std::string> others = {"sshd_enable", "note"};
    const Case cases[] = {
        // Where another construct sets, freezes or hides the key.
        {"set again in a here-document that eval reads",
         "ifconfig_em0=\"DHCP\"\neval \"$(cat <<EOF\nifconfig_em0='inet 10.0.0.5'\nEOF\n)\"\n",
         std::nullopt},
        {"a here-document's body after the setting looks like one",
         "ifconfig_em0=\"DHCP\"\n: <<-EOF\n\tifconfig_em0=\"inet 10.0.0.5\"\n\tEOF\n",
         std::nullopt},
        {"set in a function called after the setting",
         "setup() {\n\tifconfig_em0=\"inet 10.0.0.5\"\n}\nifconfig_em0=\"DHCP\"\nsetup\n",
         std::nullopt},
        {"set in an if block",
         "ifconfig_em0=\"DHCP\"\nif [ -n \"$never\" ]; then\n"
         "\tifconfig_em0=\"inet 10.0.0.5\"\nfi\n",
         std::nullopt},
        {"made read-only", "readonly ifconfig_em0=\"DHCP\"\nsshd_enable=YES\n", std::nullopt},
        {"set by eval", "ifconfig_em0=\"DHCP\"\neval \"ifconfig_em0='inet 10.0.0.5'\"\n",
         std::nullopt},
        {"in front of a command word", "ifconfig_em0=\"inet 10.0.0.5\"\nifconfig_em0=DHCP true\n",
         std::nullopt},
        {"in a pipeline", "ifconfig_em0=\"inet 10.0.0.5\"\nifconfig_em0=DHCP | :\n", std::nullopt},
        {"set conditionally on a later line",
         "ifconfig_em0=\"DHCP\"\n[ -e /nonexistent ] || ifconfig_em0=\"inet 10.0.0.5\"\n",
         std::nullopt},
        {"a later line that an open list continues",
         "ifconfig_em0=\"inet 10.0.0.5\"\nfalse &&\nifconfig_em0=DHCP\n", std::nullopt},
        {"set twice on a line with another command between",
         "ifconfig_em0=DHCP; sshd_enable=YES; ifconfig_em0=x\n", std::nullopt},
        {"an unterminated here-document at the end", "sshd_enable=YES\n: <<EOF\nnote=in the body\n",
         std::nullopt},
        {"the old value assigns another variable as it expands",
         "ifconfig_em0=\"${note:=x}\"\nsshd_enable=\"$note\"\n", std::nullopt},
        {"the status of the old value's command is tested",
         "ifconfig_em0=\"$(false)\" || sshd_enable=YES\n", std::nullopt},
        {"the status of the old value's command is read later",
         "ifconfig_em0=`false`\n[ $? -eq 0 ] || sshd_enable=YES\n", std::nullopt},
        {"a here-document's line that a backslash joins to the next sets it",
         "ifconfig_em0=\"DHCP\"\neval \"$(cat <<EOF\nifconfig_\\\nem0='inet 10.0.0.5'\nEOF\n)\"\n",
         std::nullopt},
        {"a backslash joins lines inside ${ }", "ifconfig_em0=\nnote=${ifconfig_em0\\\n:=x}\n",
         std::nullopt},
        {"a backslash joins $ to a brace on the next line",
         "ifconfig_em0=\nnote=$\\\n{ifconfig_em0:=x}\n", std::nullopt},
        // Where the shell may stop before the setting, or read what follows
        // otherwise than plain lines.
        {"exit", "sshd_enable=YES\nexit 0\n", std::nullopt},
        {"return at the top, if only sometimes", "[ -e /nonexistent ] || return\n", std::nullopt},
        {"exec of a command", "exec /bin/true\n", std::nullopt},
        {"set -e, then a command that fails", "set -e\nfalse\nsshd_enable=YES\n", std::nullopt},
        {"local outside a function", "local note=x\n", std::nullopt},
        {"readonly, then the name set again", "readonly sshd_enable=YES\nsshd_enable=NO\n",
         std::nullopt},
        {"${name?} of an unset name", ": ${no_such_setting?}\n", std::nullopt},
        {"an arithmetic error", "note=$((1 / 0))\n", std::nullopt},
        {"exit by eval", "eval 'exit 0'\n", std::nullopt},
        {"an alias that makes later lines a here-document",
         "alias s=': <<EOF'\ns\nsshd_enable=YES\n", std::nullopt},
        {"a list that begins with an operator", "sshd_enable=YES\n; note=x\n", std::nullopt},
        {"a second ; with no command", "sshd_enable=YES; ;\n", std::nullopt},
        {"! twice, which dash refuses", "! ! sshd_enable=YES\n", std::nullopt},
        {"an escaped quote in $'...', which dash ends there", "note=$'it\\'s'\n", std::nullopt},
        {"a delimiter whose carriage return is escaped",
         "cat >/dev/null <<EOF\\\r\nnote=x\r\nEOF\r\n", std::nullopt},
        {"a backslash at the very end, which the shell keeps", "note=a\\", std::nullopt},
        // Where nothing else can set it: changed, every other byte kept.
        {"a here-document with quotes, and one stripped of tabs",
         ": <<'A'; : <<-\"B\"\nit's $(\nA\n\tdon't\n\tB\nifconfig_em0=\"DHCP\" # here\n",
         ": <<'A'; : <<-\"B\"\nit's $(\nA\n\tdon't\n\tB\n" + setting + " # here\n"},
        {"a function and a case that leave it alone",
         "f() {\n\tnote=\"$1\"\n}\ncase \"$x\" in\na|b) note=1 ;;\n(*) f 2 ;;\nesac\n"
         "ifconfig_em0=DHCP\n",
         "f() {\n\tnote=\"$1\"\n}\ncase \"$x\" in\na|b) note=1 ;;\n(*) f 2 ;;\nesac\n" + setting +
             "\n"},
        {"a conditional setting before the one replaced",
         "[ -n \"$x\" ] && ifconfig_em0=\"inet 10.0.0.5\"\nifconfig_em0=\"DHCP\"\n",
         "[ -n \"$x\" ] && ifconfig_em0=\"inet 10.0.0.5\"\n" + setting + "\n"},
        {"appended after a closed here-document",
         "sshd_enable=YES\ncat >/dev/null <<EOF\nifconfig_em0_ipv6=x\nEOF\n",
         "sshd_enable=YES\ncat >/dev/null <<EOF\nifconfig_em0_ipv6=x\nEOF\n" + setting + "\n"},
        {"a here-document with DOS line endings", "cat >/dev/null <<EOF\r\nnote=x\r\nEOF\r\n",
         "cat >/dev/null <<EOF\nnote=x\nEOF\n" + setting + "\n"},
        {"what stops nothing: exec of descriptors, return and local in a function, set --",
         "exec 3>/dev/null\nf() { local note=x; return 0; }\nset -- -e\nifconfig_em0=DHCP\n",
         "exec 3>/dev/null\nf() { local note=x; return 0; }\nset -- -e\n" + setting + "\n"},
        {"a command substitution in the old value whose status nothing reads",
         "ifconfig_em0=\"$(echo DHCP)\"; sshd_enable=YES\n", setting + "; sshd_enable=YES\n"},
    };
    const std::string backup = "old backup\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        const NetPaths paths = scratch_paths(dir);
        dir.write("etc/rc.conf", c.old_text);
        dir.write("etc/rc.conf.tarnwick.bak", backup);
        auto written = write_rc_conf(paths, {{key, value}});
        if (!c.new_text) {
            EXPECT_FALSE(written) << dir.read("etc/rc.conf");
            if (written) continue;
            EXPECT_EQ(written.error(), NetError::message(unsure_setting_text(key)));
            EXPECT_EQ(net_error_text(written.error()),
                      "rc.conf sets ifconfig_em0 in a way that cannot be changed safely; not "
                      "changed");
            EXPECT_EQ(dir.read("etc/rc.conf"), c.old_text);
            EXPECT_EQ(dir.read("etc/rc.conf.tarnwick.bak"), backup);
            EXPECT_EQ(test::names_in(dir.file("etc")),
                      (std::set<std::string>{"rc.conf", "rc.conf.tarnwick.bak"}));
            continue;
        }
        EXPECT_TRUE(written) << net_error_text(written.error());
        if (!written) continue;
        const std::string text = dir.read("etc/rc.conf");
        EXPECT_EQ(text, *c.new_text);
        EXPECT_EQ(sh_values(text, {key}), key + "=" + value + "\n");
        EXPECT_EQ(sh_values(text, others), sh_values(c.old_text, others));
    }
}

// A recorded rc.conf, as it is and written the way people keep theirs
// (comments, blank lines, a value over two lines, DOS line endings):
// freezing an interface changes its lines alone.
TEST(RcConfRewrite, ChangesRecordedFilesInPlace) {
    const std::string recorded =
        test::read_file(std::string(TARNWICK_FIXTURES_DIR) + "/freebsd/rc.conf/freebsd14-router");
    const RcPairs pairs = {{"ifconfig_em0", "inet 192.0.2.20 netmask 255.255.255.0"},
                           {"defaultrouter", "192.0.2.254"},
                           {"ifconfig_em0_ipv6", "inet6 2001:db8:1::20 prefixlen 64"},
                           {"ipv6_defaultrouter", "fe80::2%em0"}};
    // The recorded text with each setting of the pairs replaced.
    std::string expected = recorded;
    const auto replace = [](std::string& text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    replace(expected, "ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"",
            "ifconfig_em0=\"inet 192.0.2.20 netmask 255.255.255.0\"");
    replace(expected, "defaultrouter=\"192.0.2.1\"", "defaultrouter=\"192.0.2.254\"");
    replace(expected, "ifconfig_em0_ipv6=\"inet6 2001:db8:1::10 prefixlen 64\"",
            "ifconfig_em0_ipv6=\"inet6 2001:db8:1::20 prefixlen 64\"");
    replace(expected, "ipv6_defaultrouter=\"fe80::1%em0\"", "ipv6_defaultrouter=\"fe80::2%em0\"");
    EXPECT_EQ(rewritten(recorded, pairs), expected);

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

    std::string dos;
    for (const char ch : kept) {
        if (ch == '\n') dos += '\r';
        dos += ch;
    }
    EXPECT_EQ(rewritten(dos, pairs), kept_expected);

    // The shell reads the new values and every other setting as before.
    std::vector<std::string> keys;
    for (const auto& [key, value] : pairs) keys.push_back(key);
    std::vector<std::string> others;
    for (const std::string_view line : split_lines(recorded)) {
        const std::string name(line.substr(0, line.find('=')));
        if (line.find('=') != std::string_view::npos && !name.starts_with("#") &&
            std::find(keys.begin(), keys.end(), name) == keys.end()) {
            others.push_back(name);
        }
    }
    ASSERT_GT(others.size(), 10u);
    EXPECT_EQ(sh_values(kept_expected, others), sh_values(recorded, others));
    EXPECT_EQ(sh_values(kept_expected, keys),
              "ifconfig_em0=inet 192.0.2.20 netmask 255.255.255.0\ndefaultrouter=192.0.2.254\n"
              "ifconfig_em0_ipv6=inet6 2001:db8:1::20 prefixlen 64\n"
              "ipv6_defaultrouter=fe80::2%em0\n");
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
