#include "app/network/rc_conf_rewrite.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "support/process.h"
#include "support/scratch_dir.h"

namespace tarnwick::app {
namespace {

NetPaths scratch_paths(const test::ScratchDir& dir) {
    return {dir.file("etc/rc.conf"), dir.file("etc/rc.conf.tarnwick.bak"),
            dir.file("etc/resolv.conf"), dir.file("etc/rc.d/netif")};
}

std::set<std::string> names_in(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
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
        EXPECT_EQ(names_in(dir.file("etc")),
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
        EXPECT_EQ(names_in(dir.file("etc")), std::set<std::string>{"rc.conf"});
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
        EXPECT_EQ(names_in(dir.file("etc")), std::set<std::string>{"rc.conf"});
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
    EXPECT_EQ(names_in(dir.file("etc")), std::set<std::string>{"rc.conf"});
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
    EXPECT_EQ(names_in(dir.file("etc")),
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
    EXPECT_EQ(names_in(dir.file("conf")), std::set<std::string>{"rc.conf"});
}

TEST(RcConfRewrite, RewritesTextAlone) {
    EXPECT_EQ(rewrite_rc_conf_text("", {}), "\n");
    EXPECT_EQ(rewrite_rc_conf_text("\n", {}), "\n");
    EXPECT_EQ(rewrite_rc_conf_text("a=1\n\n", {{"a", "2"}}),
              "a=\"2\"\n");  // a final blank line goes
    EXPECT_EQ(rewrite_rc_conf_text("a=1", {{"b", "2"}}), "a=1\nb=\"2\"\n");
}

}  // namespace
}  // namespace tarnwick::app
