#include "app/session/tty_label.h"

#include <cstdlib>
#include <string_view>

#include "core/text.h"
#include "platform/terminal_attach.h"

namespace tarnwick::app {

std::string tty_label_from(const std::optional<std::string>& tty_option,
                           const std::optional<std::string>& stdin_name,
                           const std::optional<std::string>& tty_env) {
    for (const auto* candidate : {&tty_option, &stdin_name, &tty_env}) {
        if (!candidate->has_value()) continue;
        std::string_view text = trim(**candidate);
        if (text.substr(0, 5) == "/dev/") text.remove_prefix(5);
        if (text.empty() || text == "tty" || text == "stdin" || text == "stdout" ||
            text == "stderr") {
            continue;
        }
        return std::string(text);
    }
    return "ttyv0";
}

std::string tty_label(const std::optional<std::string>& tty_option) {
    bool present = false;
    std::string name = platform::terminal_name_of_stdin(present);
    std::optional<std::string> stdin_name;
    if (present) stdin_name = std::move(name);
    std::optional<std::string> tty_env;
    if (const char* env = std::getenv("TTY"); env != nullptr && is_valid_utf8(env)) {
        tty_env = env;
    }
    return tty_label_from(tty_option, stdin_name, tty_env);
}

}  // namespace tarnwick::app
