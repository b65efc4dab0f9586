#include "app/session/login_users.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "core/read_file.h"
#include "support/scoped_env.h"
#include "support/scratch_dir.h"

namespace tarnwick::app {
namespace {

using Names = std::vector<std::string>;

TEST(GroupMembers, SplitsTheFourthField) {
    struct Case {
        const char* line;
        std::optional<Names> expected;
    };
    const Case cases[] = {
        {"console:*:1001:ops1, ops2 ,,_svc,root,www", Names{"ops1", "ops2", "_svc", "root", "www"}},
        {"console:*:1001:", Names{}},
        {"console:*:1001: , ,", Names{}},
        {"console:*:1001", std::nullopt},
        {"console", std::nullopt},
        {"console:*:1001:a,b:extra,c", Names{"a", "b"}},
        {"console:*:1001:\xE2\x80\x83ops1\xC2\xA0", Names{"ops1"}},  // Unicode spaces trimmed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(group_members(c.line), c.expected);
    }
}

TEST(IdOutput, IsOneUnsigned32BitDecimal) {
    struct Case {
        const char* out;
        std::optional<std::uint32_t> uid;
    };
    const Case cases[] = {
        {"1001\n", 1001u},
        {" +0 \r\n", 0u},
        {"4294967295", 4294967295u},
        {"4294967296", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-1", std::nullopt},
        {"1001 1002", std::nullopt},
        {"12a", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(uid_from_id_output(c.out), c.uid) << c.out;
    }
}

class LoginUsers : public ::testing::Test {
protected:
    LoginUsers() {
        env_.set("PATH", std::string(TARNWICK_TEST_BIN_DIR) + ":/usr/bin:/bin")
            .set("TARNWICK_FAKE_LOG", scratch_.file("calls"))
            .set("TARNWICK_FAKE_GETENT_GROUP", std::nullopt)
            .set("TARNWICK_FAKE_GETENT_STATUS", std::nullopt)
            .set("TARNWICK_FAKE_ID_USERS", std::nullopt);
    }
    Names list(const std::string& group_file) { return login_user_list(config_, group_file); }
    // The fake commands run, one line each, sorted: the id lookups run at the
    // same time, so they log in any order.
    Names calls() {
        std::istringstream in(scratch_.read("calls"));
        Names lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    bool called(const std::string& line) {
        const Names all = calls();
        return std::find(all.begin(), all.end(), line) != all.end();
    }

    test::ScratchDir scratch_;
    test::ScopedEnv env_;
    TarnwickConfig config_;
};

TEST_F(LoginUsers, FromGetentWithExclusionsAndIdChecks) {
    // getent gives ops1, ops2, _svc, root, www: only ops1 and ops2 reach id.
    EXPECT_EQ(list(scratch_.file("none")), (Names{"administrator", "ops1", "ops2"}));
    EXPECT_EQ(calls(), (Names{"getent group console", "id -u ops1", "id -u ops2"}));
}

TEST_F(LoginUsers, GroupFileDecidesOnlyWhenGetentGivesNoLine) {
    const std::string etc_group = std::string(TARNWICK_FIXTURES_DIR) + "/freebsd/group/etc-group";
    struct Case {
        const char* name;
        std::string getent_db;  // written to a scratch file
        const char* getent_status;
        Names expected;
    };
    const Case cases[] = {
        // getent's empty member list is final: the file is not read
        {"no members", "console:*:1001:\n", nullptr, {"administrator"}},
        // three fields: the file decides (its console line, not consoleadmins)
        {"three fields", "console:*:1001\n", nullptr, {"administrator", "ops1", "ops2"}},
        {"not found", "staff:*:20:\n", nullptr, {"administrator", "ops1", "ops2"}},
        {"getent fails", "console:*:1001:zed\n", "1", {"administrator", "ops1", "ops2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env_.set("TARNWICK_FAKE_GETENT_GROUP", scratch_.write("getent-db", c.getent_db));
        env_.set("TARNWICK_FAKE_GETENT_STATUS",
                 c.getent_status ? std::optional<std::string>(c.getent_status) : std::nullopt);
        EXPECT_EQ(list(etc_group), c.expected);
    }
    // toor (uid 0) and lowuid (500) and the unknown ghost are dropped.
    EXPECT_TRUE(called("id -u lowuid"));
    EXPECT_TRUE(called("id -u ghost"));
    EXPECT_FALSE(called("id -u toor"));

    env_.set("PATH", scratch_.path());  // neither getent nor id on the PATH
    EXPECT_EQ(list(etc_group), Names{"administrator"});
}

TEST_F(LoginUsers, UidRulesAndOrdering) {
    struct Case {
        const char* members;
        Names expected;
    };
    const Case cases[] = {
        {"lowuid,zerouser", {"administrator", "zerouser"}},             // 500 skipped, 0 kept
        {"zed,Zed,ops1,zed", {"administrator", "Zed", "ops1", "zed"}},  // bytewise, once
        {"odd,bad,big", {"administrator", "odd"}},  // "+1003" ok; junk and overflow not
        {"administrator,admin,Administrator", {"administrator"}},  // Administrator has no account
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.members);
        env_.set("TARNWICK_FAKE_GETENT_GROUP",
                 scratch_.write("getent-db", std::string("console:*:1001:") + c.members + "\n"));
        EXPECT_EQ(list(scratch_.file("none")), c.expected);
    }
}

// The id lookups run at the same time, kMaxIdLookups at most: the first one
// ends only once the sixteenth has started (one at a time, it would run into
// its time limit and drop m01), and the seventeenth starts only after it.
TEST_F(LoginUsers, IdLookupsRunSixteenAtOnce) {
    ASSERT_EQ(kMaxIdLookups, 16u);
    const std::string marks = scratch_.mkdir("started");
    scratch_.write("bin/id",
                   "#!/bin/sh\n"
                   ": > " +
                       marks +
                       "/$2\n"
                       "if [ \"$2\" = m01 ]; then\n"
                       "  while [ ! -e " +
                       marks +
                       "/m16 ]; do sleep 0.01; done\n"
                       "  [ -e " +
                       marks +
                       "/m17 ] && exit 1\n"
                       "fi\n"
                       "echo 2000\n",
                   0755);
    env_.set("PATH", scratch_.file("bin") + ":" + TARNWICK_TEST_BIN_DIR + ":/usr/bin:/bin");
    std::string members;
    Names expected{"administrator"};
    for (int i = 1; i <= 20; ++i) {
        const std::string name = (i < 10 ? "m0" : "m") + std::to_string(i);
        members += (i > 1 ? "," : "") + name;
        expected.push_back(name);
    }
    env_.set("TARNWICK_FAKE_GETENT_GROUP",
             scratch_.write("getent-db", "console:*:1001:" + members + "\n"));
    EXPECT_EQ(list(scratch_.file("none")), expected);
}

TEST_F(LoginUsers, UnreadableOrInvalidGroupFileGivesNoMembers) {
    env_.set("TARNWICK_FAKE_GETENT_STATUS", "2");
    // A FIFO without a writer would block the login screen for good.
    const std::string fifo = scratch_.file("group-fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        const char* name;
        std::string path;
        Names expected;
    };
    const Case cases[] = {
        {"missing", scratch_.file("missing"), {"administrator"}},
        {"not UTF-8", scratch_.write("group", "console:*:1001:ops1\n\xFF\n"), {"administrator"}},
        {"CRLF",
         scratch_.write("group-crlf", "console:*:1001:ops1\r\n"),
         {"administrator", "ops1"}},
        {"FIFO", fifo, {"administrator"}},
        {"device", "/dev/zero", {"administrator"}},
        {"folder", scratch_.path(), {"administrator"}},
        {"over the size cap",
         scratch_.write("group-big",
                        "console:*:1001:ops1\n" + std::string(kMaxConfigFileBytes, '#') + "\n"),
         {"administrator"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(list(c.path), c.expected);
    }
}

TEST(ShowUserList, FollowsTheSetting) {
    struct Case {
        AutoMode mode;
        std::uint64_t max;
        std::size_t users;
        bool shown;
    };
    const Case cases[] = {
        {AutoMode::Auto, 10, 10, true},  {AutoMode::Auto, 10, 11, false},
        {AutoMode::Never, 10, 1, false}, {AutoMode::Always, 0, 50, true},
        {AutoMode::Auto, 0, 1, false},
    };
    for (const Case& c : cases) {
        TarnwickConfig config;
        config.user_list = c.mode;
        config.user_list_max = c.max;
        EXPECT_EQ(show_user_list(config, c.users), c.shown) << c.users;
    }
}

}  // namespace
}  // namespace tarnwick::app
