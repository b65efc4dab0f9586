// The login screen alone on the terminal, with users, addresses and languages
// from the command line, so the screen can be driven end to end. Writes what
// the screen returned to the result file:
//   "request user=<name> password=<text> language=<tag>", "left" or "error <text>".
//
//   tarnwick_login_driver --result FILE --locales DIR --config DIR
//       [--users a,b] [--addresses x,y] [--typed] [--preset NAME]
//       [--tag TAG] [--failure TITLE] [--private-log DIR]
//
// --private-log puts DIR over /var/log in a private mount namespace (needs
// root), so the console log the screen reads and writes is the test's own.

#include "core/catalog.h"
#include "core/diagnostics.h"
#include "core/locale.h"
#include "tui/screens/login_screen.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> split_list(std::string_view text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        const std::size_t comma = text.find(',', start);
        out.emplace_back(text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return out;
}

bool private_log(const std::string& dir) {
    if (unshare(CLONE_NEWNS) != 0) return false;
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    return mount(dir.c_str(), "/var/log", nullptr, MS_BIND, nullptr) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tarnwick;
    std::string result_path;
    std::string locales;
    std::string log_dir;
    std::string tag = "en-US";
    tui::LoginScreenArgs args;
    args.form.attempts = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string_view opt = argv[i];
        const std::string value = i + 1 < argc ? argv[i + 1] : "";
        if (opt == "--typed") {
            args.form.list_mode = false;
            continue;
        }
        ++i;
        if (opt == "--result")
            result_path = value;
        else if (opt == "--locales")
            locales = value;
        else if (opt == "--config")
            args.config_dir = value;
        else if (opt == "--users")
            args.form.users = split_list(value);
        else if (opt == "--addresses")
            args.form.addresses = split_list(value);
        else if (opt == "--preset")
            args.form.preset_user = value;
        else if (opt == "--tag")
            tag = value;
        else if (opt == "--private-log")
            log_dir = value;
        else if (opt == "--failure") {
            tui::LoginFailure failure;
            failure.title = value;
            failure.message = "The username or password is incorrect.";
            failure.tried_user = "alice";
            failure.password_len = 0;
            failure.attempts_left = 2;
            args.form.failure = failure;
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i - 1]);
            return 2;
        }
    }
    if (!log_dir.empty() && !private_log(log_dir)) {
        std::fprintf(stderr, "private log: %s\n", std::strerror(errno));
        return 3;
    }

    const Catalog session_catalog =
        select_catalog(locales, tag, discover_locales(locales), "en-US");
    args.form.languages = discover_locales(locales);
    args.form.current_tag = tag;
    args.locales_dir = locales;
    args.fallback_tag = "en-US";
    args.diagnostics = [&session_catalog] { return diagnostics_model(session_catalog); };

    const tui::LoginResult result = tui::login_screen(std::move(args));

    std::ofstream out(result_path, std::ios::trunc);
    if (!result) {
        out << "error " << tui::display_io_error(result.error()) << "\n";
        return 1;
    }
    if (!*result) {
        out << "left\n";
        return 0;
    }
    const tui::LoginRequest& request = **result;
    out << "request user=" << request.user << " password=" << request.password.view()
        << " language=" << request.language << "\n";
    return 0;
}
