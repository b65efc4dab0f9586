// Sign-ins through the real libpam under pam_wrapper: the probe runs in a
// child process because the wrapper must be preloaded before it starts.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/ci_gate.h"

namespace {

std::string read_all(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class PamSignIn : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* file : {TARNWICK_PAM_WRAPPER, TARNWICK_PAM_MATRIX, TARNWICK_PAM_DEBUG}) {
            if (std::string(file).empty() || ::access(file, R_OK) != 0) {
                SKIP_OR_FAIL_IN_CI(std::string("pam_wrapper test module missing: ") + file);
            }
        }
        char dir[] = "/tmp/tarnwick-pam-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        dir_ = dir;
        passdb_ = dir_ + "/passdb";
        std::ofstream(passdb_) << "alice:s3cret:tarnwick\nbob:pw:otherservice\n";
        ASSERT_EQ(::mkdir((dir_ + "/services").c_str(), 0755), 0);
    }
    void TearDown() override {
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }

    // Writes the "tarnwick" service; "matrix" in a line is the pam_matrix
    // module with the test passdb, "debug" the pam_debug module.
    void service(const std::string& stack) {
        std::string text;
        std::istringstream lines(stack);
        for (std::string line; std::getline(lines, line);) {
            const std::string matrix = std::string(TARNWICK_PAM_MATRIX) + " passdb=" + passdb_;
            for (auto at = line.find("matrix"); at != std::string::npos;
                 at = line.find("matrix", at + matrix.size())) {
                line.replace(at, 6, matrix);
            }
            if (auto at = line.find("debug"); at != std::string::npos)
                line.replace(at, 5, TARNWICK_PAM_DEBUG);
            text += line + "\n";
        }
        std::ofstream(dir_ + "/services/tarnwick") << text;
    }

    // Runs the probe; its standard output.
    std::string sign_in(const std::string& user, const std::string& password,
                        const std::string& tty = "/dev/ttyv0") {
        const std::string command = "env LD_PRELOAD='" + std::string(TARNWICK_PAM_WRAPPER) +
                                    "' PAM_WRAPPER=1 PAM_WRAPPER_SERVICE_DIR='" + dir_ +
                                    "/services' '" TARNWICK_PAM_PROBE "' '" + user + "' '" +
                                    password + "' '" + tty + "' 2>/dev/null";
        std::string out;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) return out;
        std::array<char, 4096> buf{};
        while (std::size_t n = std::fread(buf.data(), 1, buf.size(), pipe))
            out.append(buf.data(), n);
        ::pclose(pipe);
        return out;
    }

    std::string dir_;
    std::string passdb_;
};

constexpr const char* kMatrixStack =
    "auth required matrix verbose\n"
    "account required matrix\n"
    "password required matrix\n"
    "session required matrix\n";

TEST_F(PamSignIn, StepsThroughTheRealStack) {
    service(kMatrixStack);
    struct Case {
        const char* user;
        const char* password;
        const char* expected;
    };
    const Case cases[] = {
        // verbose makes pam_matrix send an information message on success too
        {"alice", "s3cret",
         "start ok\ntty ok\nauthenticate ok\naccount ok\nsetcred ok\nopen_session ok\n"
         "close ok\nslot empty\n"},
        {"alice", "wrong",
         "start ok\ntty ok\nauthenticate error PAM authenticate failed: Authentication failure\n"
         "slot empty\nslot empty\n"},
        {"alice", "",
         "start ok\ntty ok\nauthenticate error PAM authenticate failed: Authentication failure\n"
         "slot empty\nslot empty\n"},
        {"mallory", "s3cret",
         "start ok\ntty ok\nauthenticate error PAM authenticate failed: Authentication failure\n"
         "slot empty\nslot empty\n"},
        // bob may only use another service: the account check refuses him
        {"bob", "pw",
         "start ok\ntty ok\nauthenticate ok\n"
         "account error PAM account management failed: Permission denied\nslot empty\nslot "
         "empty\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.user) + "/" + c.password);
        EXPECT_EQ(sign_in(c.user, c.password), c.expected);
    }
}

TEST_F(PamSignIn, ExpiredPasswordIsChangedWithTheGivenOne) {
    service(
        "auth required matrix\n"
        "account required debug acct=new_authtok_reqd\n"
        "password required matrix\n"
        "session required matrix\n");
    EXPECT_EQ(sign_in("alice", "s3cret"),
              "start ok\ntty ok\nauthenticate ok\naccount ok\nsetcred ok\nopen_session ok\n"
              "close ok\nslot empty\n");
    // pam_matrix stored the new password it was given: the same one.
    EXPECT_EQ(read_all(passdb_).substr(0, 22), "alice:s3cret:tarnwick\n");
}

TEST_F(PamSignIn, FailedPasswordChangeIsAnAccountError) {
    service(
        "auth required matrix\n"
        "account required debug acct=new_authtok_reqd\n"
        "password required debug prechauthtok=success chauthtok=authtok_err\n"
        "session required matrix\n");
    EXPECT_EQ(
        sign_in("alice", "s3cret"),
        "start ok\ntty ok\nauthenticate ok\n"
        "account error PAM account management failed: Authentication token manipulation error\n"
        "slot empty\nslot empty\n");
}

TEST_F(PamSignIn, LaterStepFailuresAndTheirTexts) {
    struct Case {
        const char* stack;
        const char* expected;
    };
    const Case cases[] = {
        {"auth required debug auth=success cred=cred_err\naccount required matrix\n"
         "session required matrix\n",
         "start ok\ntty ok\nauthenticate ok\naccount ok\n"
         "setcred error PAM setcred failed: Failure setting user credentials\nslot empty\nslot "
         "empty\n"},
        {"auth required matrix\naccount required matrix\n"
         "session required debug open_session=session_err\n",
         "start ok\ntty ok\nauthenticate ok\naccount ok\nsetcred ok\n"
         "open_session error pam_open_session: PAM open_session failed: Cannot make/remove an "
         "entry "
         "for the specified session\nslot empty\nslot empty\n"},
        // a failing close still ends the transaction cleanly
        {"auth required matrix\naccount required matrix\n"
         "session required debug open_session=success close_session=session_err\n",
         "start ok\ntty ok\nauthenticate ok\naccount ok\nsetcred ok\nopen_session ok\nclose ok\n"
         "slot empty\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stack);
        service(c.stack);
        EXPECT_EQ(sign_in("alice", "s3cret"), c.expected);
    }
}

}  // namespace
