#pragma once
// Runs the network probe (tests/network/net_probe.cpp) in private mount and
// network namespaces with an overlay on /etc and the fake FreeBSD commands
// (tests/network/net-sandbox), and checks that the host's /etc stayed as it
// was.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/ci_gate.h"
#include "support/process.h"
#include "support/scratch_dir.h"

namespace tarnwick::app {

using Env = std::map<std::string, std::optional<std::string>>;

inline const std::string kSandbox = std::string(TARNWICK_SOURCE_DIR) + "/tests/network/net-sandbox";

// Skips (or fails under CI) when private namespaces are not available.
inline bool namespaces_available(std::string& why) {
    const test::ProcessResult r =
        test::run_process("unshare", {"--mount", "--net", "--propagation", "private", "true"});
    if (r.exited && r.status == 0) return true;
    why = "unshare --mount --net is not available: " + r.err;
    return false;
}

#define REQUIRE_NAMESPACES()                                     \
    do {                                                         \
        std::string why;                                         \
        if (!namespaces_available(why)) SKIP_OR_FAIL_IN_CI(why); \
    } while (false)

// One sandboxed run of the probe: its output, and the files the overlay
// collected.
class Sandbox {
public:
    Sandbox() { dir_.mkdir("state/etc"); }

    void seed(const std::string& name, const std::string& text) {
        dir_.write("state/etc/" + name, text);
    }
    std::string etc(const std::string& name) const { return dir_.read("state/etc/" + name); }
    bool has(const std::string& name) const {
        struct stat st {};
        return ::lstat(dir_.file("state/etc/" + name).c_str(), &st) == 0;
    }
    std::string log() const { return dir_.read("calls"); }

    std::string run(const std::vector<std::string>& probe_args, Env env = {},
                    const std::vector<std::string>& options = {}) {
        std::vector<std::string> args{dir_.file("state")};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back("--");
        args.push_back(TARNWICK_NET_PROBE);
        args.insert(args.end(), probe_args.begin(), probe_args.end());
        env["TARNWICK_FAKE_LOG"] = dir_.file("calls");
        test::ProcessOptions process;
        process.env = std::move(env);
        const test::ProcessResult r = test::run_process(kSandbox, args, process);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }
    std::string empty_folder() const { return dir_.mkdir("empty"); }

private:
    test::ScratchDir dir_;
};

struct HostEtc {
    bool rc_conf = false;
    bool backup = false;
    bool netif = false;
    std::string rc_conf_text;
};

inline HostEtc host_etc() {
    struct stat st {};
    HostEtc h;
    h.rc_conf = ::lstat("/etc/rc.conf", &st) == 0;
    h.backup = ::lstat("/etc/rc.conf.tarnwick.bak", &st) == 0;
    h.netif = ::lstat("/etc/rc.d/netif", &st) == 0;
    h.rc_conf_text = test::read_file("/etc/rc.conf");
    return h;
}

inline void expect_host_untouched(const HostEtc& before) {
    const HostEtc after = host_etc();
    EXPECT_EQ(after.rc_conf, before.rc_conf);
    EXPECT_EQ(after.backup, before.backup);
    EXPECT_EQ(after.netif, before.netif);
    EXPECT_EQ(after.rc_conf_text, before.rc_conf_text);
}

}  // namespace tarnwick::app
