#include "app/pam/auth_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utf8proc.h>

#include <fmt/format.h>

#include "core/console_log.h"
#include "core/text.h"
#include "core/write_all.h"
#include "platform/command.h"

namespace tarnwick::app {
namespace {

bool is_escaped_code_point(char32_t cp) {
    if (cp == U' ') return false;
    const utf8proc_property_t* property = utf8proc_get_property(static_cast<utf8proc_int32_t>(cp));
    switch (property->category) {
        case UTF8PROC_CATEGORY_CC:
        case UTF8PROC_CATEGORY_CF:
        case UTF8PROC_CATEGORY_CS:
        case UTF8PROC_CATEGORY_CO:
        case UTF8PROC_CATEGORY_CN:
        case UTF8PROC_CATEGORY_ZS:  // spaces other than the blank
        case UTF8PROC_CATEGORY_ZL:
        case UTF8PROC_CATEGORY_ZP:
            return true;
        default:
            break;
    }
    return property->boundclass == UTF8PROC_BOUNDCLASS_EXTEND;
}

}  // namespace

std::string quote_log_value(std::string_view value) {
    const std::string text = decode_lossy(value);
    std::string out = "\"";
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const char32_t cp = next_code_point(text, pos).value_or(U'\uFFFD');
        if (pos == start) ++pos;  // cannot happen on decoded text; never loop
        switch (cp) {
            case U'"':
                out += "\\\"";
                continue;
            case U'\\':
                out += "\\\\";
                continue;
            case U'\t':
                out += "\\t";
                continue;
            case U'\r':
                out += "\\r";
                continue;
            case U'\n':
                out += "\\n";
                continue;
            case U'\0':
                out += "\\0";
                continue;
            default:
                break;
        }
        if (is_escaped_code_point(cp)) {
            out += fmt::format("\\u{{{:x}}}", static_cast<std::uint32_t>(cp));
        } else {
            out.append(text, start, pos - start);
        }
    }
    out += '"';
    return out;
}

std::string auth_log_line(std::string_view time, std::string_view display,
                          std::string_view pam_user, std::string_view tty, std::size_t password_len,
                          std::optional<std::string_view> result) {
    return fmt::format("{} display={} pam_user={} tty={} password_len={} result={}\n", time,
                       quote_log_value(display), quote_log_value(pam_user), quote_log_value(tty),
                       password_len, result.value_or("attempt"));
}

std::string auth_log_time() {
    const auto output = platform::run_command("date", {"-u", "+%Y-%m-%dT%H:%M:%SZ"});
    if (!output || !is_valid_utf8(output->out)) return "unknown-time";
    return std::string(trim(output->out));
}

void append_auth_log(const std::string& path, std::string_view display, std::string_view pam_user,
                     std::string_view tty, std::size_t password_len,
                     std::optional<std::string_view> result) {
    const std::string line =
        auth_log_line(auth_log_time(), display, pam_user, tty, password_len, result);
    // Non-blocking and regular files only: a FIFO or device put at the path
    // must not hang the login or receive the line.
    const int fd = ::open(
        path.c_str(),
        O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0640);
    if (fd >= 0) {
        struct stat st {};
        // A line that cannot be written still reaches the console log below.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) (void)write_all(fd, line);
        ::close(fd);
    }
    log_console_str(std::string_view(line).substr(0, line.size() - 1));
}

void append_auth_log(std::string_view display, std::string_view pam_user, std::string_view tty,
                     std::size_t password_len, std::optional<std::string_view> result) {
    append_auth_log(std::string(kAuthLogFile), display, pam_user, tty, password_len, result);
}

}  // namespace tarnwick::app
