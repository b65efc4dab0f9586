// Runs one sign-in through the PAM wrappers and prints one line per step, so
// a test can start it with pam_wrapper preloaded (the preload must be in
// place before the process starts).
//
//   tarnwick_pam_probe <user> <password> <terminal>
//
// Lines: "<step> ok" or "<step> error <display>", then "slot <empty|full>"
// after a failure and "close ok" / "close error <display>" after success.

#include <cstdio>
#include <string>

#include "app/pam/pam_credentials.h"
#include "app/pam/pam_session.h"

using namespace tarnwick;
using namespace tarnwick::app;

namespace {

template <class T>
bool report(const char* step, const Result<T, PamError>& result) {
    if (result) {
        std::printf("%s ok\n", step);
        return true;
    }
    std::printf("%s error %s\n", step, display_pam_error(result.error()).c_str());
    return false;
}

void report_slot() {
    std::printf("slot %s\n", pam_credentials().holds_credentials() ? "full" : "empty");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tarnwick_pam_probe <user> <password> <terminal>\n");
        return 2;
    }
    const std::string user = argv[1];
    pam_credentials().store(user, SecretString(argv[2]));

    auto started = start_pam(user);
    if (!report("start", started)) return 0;
    PamSession session = std::move(*started);
    bool ok = report("tty", set_pam_tty(session, argv[3])) &&
              report("authenticate", authenticate_user(session.handle));
    if (ok) {
        const auto account = check_account(session.handle);
        scrub_credentials();
        ok = report("account", account) && report("setcred", establish_credentials(session.handle));
        if (ok) {
            const auto opened = open_pam_session(session.handle);
            if (!opened) {
                std::printf("open_session error %s\n",
                            open_session_error_text(opened.error()).c_str());
                ok = false;
            } else {
                std::printf("open_session ok\n");
            }
        }
    }
    if (!ok) {
        report_slot();
        end_pam_handle(session);
        report_slot();
        return 0;
    }
    report("close", close_pam_session(std::move(session)));
    report_slot();
    return 0;
}
