#include "tui/screens/login_error_box.h"

#include "tui/kit/block.h"
#include "tui/kit/clear.h"
#include "tui/kit/paragraph.h"

#include <fmt/format.h>

#include <algorithm>

namespace tarnwick::tui {

std::string login_error_text(const LoginFailure& failure, const Catalog& catalog) {
    std::string text;
    if (!failure.message.empty()) {
        text += failure.message;
    }
    text += '\n';
    if (failure.tried_user) {
        text += '\n';
        text += translate_arg(catalog, "login.error.tried_as", "user", *failure.tried_user);
    }
    if (failure.pam_user && failure.pam_user != failure.tried_user) {
        text += '\n';
        text += translate_arg(catalog, "login.error.pam_account", "user", *failure.pam_user);
    }
    if (failure.password_len) {
        text += '\n';
        text += translate_arg(catalog, "login.error.password_len", "n",
                              std::to_string(*failure.password_len));
        if (*failure.password_len == 0) {
            text += '\n';
            text += translate(catalog, "login.error.empty_password");
        }
    }
    text += "\n\n";
    text += failure.attempts_left > 0 ? translate_arg(catalog, "login.error.attempts_left", "n",
                                                      std::to_string(failure.attempts_left))
                                      : translate(catalog, "login.error.no_attempts");
    if (failure.detail) {
        text += "\n\n";
        text += translate(catalog, "login.error.detail_label");
        text += '\n';
        text += *failure.detail;
    }
    text += "\n\n[ ";
    text += translate(catalog, "login.error.ok");
    text += " ]  —  ";
    text += translate(catalog, "login.error.dismiss");
    return text;
}

Rect login_error_box_area(Rect screen) {
    auto fit = [](std::uint16_t size, std::uint16_t cap, std::uint16_t floor, std::uint16_t less) {
        const std::uint16_t wanted = std::max(floor, saturating_sub(size, less));
        return std::min({cap, size, wanted});
    };
    const std::uint16_t width = fit(screen.width, 68, 44, 4);
    const std::uint16_t height = fit(screen.height, 18, 12, 2);
    return Rect{static_cast<std::uint16_t>(screen.x + (screen.width - width) / 2),
                static_cast<std::uint16_t>(screen.y + (screen.height - height) / 2), width, height};
}

void draw_login_error_box(Buffer& buf, Rect screen, const LoginFailure& failure, bool mono,
                          const Catalog& catalog) {
    buf.set_style(screen, Style{}.with_fg(Color::DarkGray).with_bg(Color::Black));
    const Rect box = login_error_box_area(screen);
    const Color error = mono ? Color::White : Color::Red;
    const Style text_style = Style{}.with_fg(Color::White).with_bg(Color::Black);
    Clear{}.render(box, buf);
    const Block frame = Block::bordered()
                            .border_style(Style{}.with_fg(error))
                            .style(text_style)
                            .title(Line(Span(fmt::format(" {} ", failure.title),
                                             Style{}.with_fg(error).add(Modifier::Bold))));
    Paragraph(Text(std::string_view(login_error_text(failure, catalog))))
        .block(frame)
        .style(text_style)
        .wrap(Wrap{true})
        .render(box, buf);
}

}  // namespace tarnwick::tui
