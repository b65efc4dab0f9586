#include "tui/screens/login_layout.h"

#include "tui/kit/block.h"
#include "tui/kit/clear.h"
#include "tui/kit/layout.h"
#include "tui/kit/list.h"
#include "tui/kit/paragraph.h"
#include "tui/list_helpers.h"
#include "tui/screens/login_error_box.h"
#include "tui/screens/login_geometry.h"
#include "tui/term/color_depth.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>

namespace tarnwick::tui {

namespace {

constexpr std::size_t kMaxHeaderAddresses = 4;
constexpr std::size_t kMaxStars = 32;
constexpr std::uint16_t kStackBelowWidth = 72;
constexpr std::string_view kCursor = "█";
constexpr std::string_view kSelectedPrefix = "▶ ";
constexpr std::string_view kPlainPrefix = "  ";

// The shared colour roles as colours: the welcome panel puts the accent
// behind its text.
struct Palette {
    Color accent;
    Color title;
    Style highlight;

    explicit Palette(bool mono) {
        const ColorRoles roles = color_roles(mono ? ColorDepth::Mono : ColorDepth::Color16);
        accent = roles.accent.fg.value_or(Color::White);
        title = roles.title.fg.value_or(Color::White);
        highlight = roles.highlight;
    }
};

Style on_black(Color fg) {
    return Style{}.with_fg(fg).with_bg(Color::Black);
}
Style black_bg() {
    return Style{}.with_bg(Color::Black);
}
Style plain() {
    return on_black(Color::White);
}

Rect row_rect(std::uint16_t x, std::uint16_t y, std::uint16_t width) {
    return Rect{x, y, width, 1};
}

void draw_text(Buffer& buf, Rect area, std::string text, Style style) {
    Paragraph(Text(std::string_view(text))).style(style).render(area, buf);
}

std::string_view arrow(bool open) {
    return open ? "▲" : "▼";
}

std::string selected_language_name(const LoginState& state) {
    return state.lang_sel < state.languages.size() ? state.languages[state.lang_sel].native_name
                                                   : "English";
}

std::string prefixed(bool selected, std::string_view text) {
    std::string out(selected ? kSelectedPrefix : kPlainPrefix);
    out += text;
    return out;
}

Style markup_style(const MarkupSpan& span) {
    Style s = Style{}.with_fg(Color::Black);
    if (span.bold) s = s.add(Modifier::Bold);
    if (span.underline) s = s.add(Modifier::Underlined);
    if (span.italic) s = s.add(Modifier::Italic);
    if (span.dim) s = s.add(Modifier::Dim);
    return s;
}

std::string user_field_text(const LoginState& state, const Catalog& catalog,
                            const tmpl::LoginTemplate& page) {
    const std::string label = translate(catalog, page.user_label_key);
    const bool focused = state.focus == LoginFocus::User;
    if (state.listed_user_selected()) {
        return fmt::format(" {}: {} {} ", label, state.users[state.user_sel],
                           arrow(state.user_list_open));
    }
    std::string shown = state.typed_user.empty() && focused ? translate(catalog, "login.user_type")
                                                            : state.typed_user;
    const std::string_view cursor = focused ? kCursor : std::string_view();
    if (state.list_mode) {
        return fmt::format(" {}: {}{} {} ", label, shown, cursor, arrow(state.user_list_open));
    }
    return fmt::format(" {}: {}{} ", label, shown, cursor);
}

void draw_language_drop_down(Buffer& buf, const LoginState& state, Rect field, Rect footer,
                             const Palette& colors, const Catalog& catalog, LoginHitAreas& areas) {
    const std::size_t n = state.languages.size();
    const auto drop = language_drop_down(field, footer, n);
    if (!drop) {
        return;
    }
    const std::size_t start = list_window_start(n, drop->rows, state.lang_sel);
    std::vector<ListItem> items;
    for (std::size_t i = start; i < std::min(n, start + drop->rows); ++i) {
        const LocaleInfo& lang = state.languages[i];
        items.emplace_back(
            prefixed(i == state.lang_sel, fmt::format("{} ({})", lang.native_name, lang.tag)));
    }
    const std::string label = translate(catalog, "login.languages_list");
    const std::string title = n > drop->rows
                                  ? fmt::format(" {} · {}/{} ", label, state.lang_sel + 1, n)
                                  : fmt::format(" {} ", label);
    Clear{}.render(drop->area, buf);
    ListState list_state;
    if (state.lang_sel >= start && state.lang_sel < start + drop->rows) {
        list_state.selected = state.lang_sel - start;
    }
    List(std::move(items))
        .block(Block::bordered()
                   .border_style(Style{}.with_fg(colors.accent))
                   .style(black_bg())
                   .title(Line(title)))
        .highlight_style(colors.highlight)
        .render(drop->area, buf, list_state);
    areas.lang_list = drop->area;
    areas.lang_list_start = start;
    areas.lang_list_len = n;
}

}  // namespace

void draw_welcome_panel(Buffer& buf, Rect area, const std::vector<std::vector<MarkupSpan>>& welcome,
                        bool mono, const Catalog& catalog) {
    const Palette colors(mono);
    const Style panel = Style{}.with_fg(Color::Black).with_bg(colors.accent);
    const Block block = Block::bordered()
                            .border_style(Style{}.with_fg(colors.title).with_bg(colors.accent))
                            .style(panel);
    block.render(area, buf);
    const Rect inner = block.inner(area);
    const Rect text_area{saturating_add(inner.x, 1), saturating_add(inner.y, 1),
                         std::max<std::uint16_t>(saturating_sub(inner.width, 2), 1),
                         std::max<std::uint16_t>(saturating_sub(inner.height, 2), 1)};

    std::vector<Line> lines;
    if (welcome.empty()) {
        lines.emplace_back(
            Span(translate(catalog, "login.welcome.title"), panel.add(Modifier::Bold)));
        lines.emplace_back(Span(std::string(), panel));
        lines.emplace_back(Span(translate(catalog, "login.welcome.body"), panel));
    }
    for (const auto& spans : welcome) {
        std::vector<Span> row;
        for (const auto& span : spans) {
            row.emplace_back(span.text, panel.patch(markup_style(span)));
        }
        if (row.empty()) {
            row.emplace_back(std::string(), panel);
        }
        lines.emplace_back(std::move(row));
    }
    Paragraph(Text(std::move(lines))).style(panel).wrap(Wrap{false}).render(text_area, buf);
}

LoginHitAreas draw_sign_in_panel(Buffer& buf, Rect area, const LoginState& state, bool mono,
                                 const Catalog& catalog, const tmpl::LoginTemplate& page) {
    const Palette colors(mono);
    const bool list_shown = state.list_mode && state.user_list_open;
    const std::size_t entries = state.users.size() + 1;
    const SignInRows rows = sign_in_rows(area, list_shown, entries);
    LoginHitAreas areas;

    Clear{}.render(rows.panel, buf);
    Block::bordered()
        .title(Line(Span(fmt::format(" {} ", translate(catalog, page.title_key)),
                         Style{}.with_fg(colors.title).add(Modifier::Bold))))
        .border_style(Style{}.with_fg(colors.accent))
        .style(plain())
        .render(rows.panel, buf);

    if (rows.prompt_row) {
        draw_text(buf, row_rect(rows.x, *rows.prompt_row, rows.width),
                  fmt::format(" {} ", translate(catalog, "login.sign_in_prompt")),
                  on_black(colors.title));
    }

    const Rect user_field = row_rect(rows.x, rows.user_row, rows.width);
    draw_text(buf, user_field, user_field_text(state, catalog, page),
              state.focus == LoginFocus::User ? colors.highlight : plain());
    areas.user_field = user_field;

    if (rows.user_list) {
        const std::size_t selected = std::min(state.user_sel, state.users.size());
        const std::size_t start = list_window_start(entries, rows.user_list_rows, selected);
        std::vector<ListItem> items;
        for (std::size_t i = 0; i < state.users.size(); ++i) {
            items.emplace_back(prefixed(i == selected, state.users[i]));
        }
        items.emplace_back(
            prefixed(selected == state.users.size(), translate(catalog, "login.user_other")));
        ListState list_state;
        list_state.offset = start;
        list_state.selected = selected;
        List(std::move(items))
            .block(Block::bordered()
                       .border_style(Style{}.with_fg(colors.accent))
                       .style(black_bg())
                       .title(Line(fmt::format(" {} ", translate(catalog, "login.users_list")))))
            .highlight_style(colors.highlight)
            .render(*rows.user_list, buf, list_state);
        areas.user_list = rows.user_list;
        areas.user_list_start = start;
        areas.user_list_len = entries;
    }

    if (rows.password_row) {
        const Rect field = row_rect(rows.x, *rows.password_row, rows.width);
        const bool focused = state.focus == LoginFocus::Pass;
        const std::string stars(std::min(state.password.size(), kMaxStars), '*');
        draw_text(buf, field,
                  fmt::format(" {}: {}{}", translate(catalog, page.password_label_key), stars,
                              focused ? kCursor : std::string_view()),
                  focused ? colors.highlight : plain());
        areas.password_field = field;
    }
    if (rows.hint_row) {
        draw_text(buf, row_rect(rows.x, *rows.hint_row, rows.width),
                  fmt::format(" {} ", translate(catalog, "login.panel_hint")),
                  on_black(Color::DarkGray));
    }
    return areas;
}

LoginHitAreas draw_login_screen(Buffer& buf, Rect screen, const LoginState& state, bool mono,
                                const Catalog& catalog, const tmpl::LoginTemplate& page) {
    const Palette colors(mono);
    Block().style(plain()).render(screen, buf);
    const Block outer = Block::bordered().border_style(on_black(colors.accent)).style(black_bg());
    outer.render(screen, buf);
    const auto parts = split_vertical(
        outer.inner(screen), {Constraint::length(3), Constraint::min(10), Constraint::length(4)});
    const Rect header = parts[0];
    const Rect body = parts[1];
    const Rect footer = parts[2];

    const Block header_block =
        Block().borders(Borders::Bottom).border_style(on_black(colors.accent)).style(black_bg());
    header_block.render(header, buf);
    const auto header_parts = split_horizontal(
        header_block.inner(header), {Constraint::percentage(45), Constraint::percentage(55)});
    draw_text(buf, header_parts[0], fmt::format(" {} ", translate(catalog, "brand.name")),
              on_black(colors.title).add(Modifier::Bold));
    if (!state.addresses.empty()) {
        std::string joined;
        for (std::size_t i = 0; i < std::min(state.addresses.size(), kMaxHeaderAddresses); ++i) {
            if (i > 0) joined += "  ·  ";
            joined += state.addresses[i];
        }
        Paragraph(Text(std::string_view(joined)))
            .style(on_black(Color::Cyan))
            .wrap(Wrap{true})
            .alignment(Alignment::Right)
            .render(header_parts[1], buf);
    }

    const auto body_parts =
        body.width < kStackBelowWidth
            ? split_vertical(body, {Constraint::percentage(38), Constraint::percentage(62)})
            : split_horizontal(body, {Constraint::percentage(48), Constraint::percentage(52)});
    draw_welcome_panel(buf, body_parts[0], state.welcome, mono, catalog);
    LoginHitAreas areas = draw_sign_in_panel(buf, body_parts[1], state, mono, catalog, page);

    const Block footer_block =
        Block().borders(Borders::Top).border_style(on_black(colors.accent)).style(black_bg());
    footer_block.render(footer, buf);
    const auto footer_parts = split_horizontal(
        footer_block.inner(footer), {Constraint::percentage(45), Constraint::percentage(55)});
    const Rect lang_field = footer_parts[0];
    draw_text(buf, lang_field,
              fmt::format(" {}: {} {} ", translate(catalog, page.language_label_key),
                          selected_language_name(state), arrow(state.lang_list_open)),
              state.focus == LoginFocus::Lang ? colors.highlight : plain());
    areas.lang_field = lang_field;
    const std::string help = fmt::format("{}  {}:{} ", translate(catalog, page.help_key),
                                         translate(catalog, "login.attempts"), state.attempts);
    Paragraph(Text(std::string_view(help)))
        .style(on_black(colors.accent).add(Modifier::Bold))
        .wrap(Wrap{true})
        .alignment(Alignment::Right)
        .render(footer_parts[1], buf);

    if (state.lang_list_open) {
        draw_language_drop_down(buf, state, lang_field, footer, colors, catalog, areas);
    }
    if (state.failure) {
        draw_login_error_box(buf, screen, *state.failure, mono, catalog);
        areas.error_box = screen;
    }
    return areas;
}

std::string_view login_mouse_hit(LoginState& state, const LoginHitAreas& areas,
                                 const MouseEvent& event) {
    const auto in = [&](const std::optional<Rect>& r) {
        return r && rect_contains(*r, event.column, event.row);
    };

    if (event.kind == MouseEventKind::ScrollDown || event.kind == MouseEventKind::ScrollUp) {
        const int delta = event.kind == MouseEventKind::ScrollDown ? 1 : -1;
        if (state.user_list_open && (in(areas.user_list) || in(areas.user_field))) {
            step_user_selection(state, delta, true);
            return "user_scroll";
        }
        if (state.lang_list_open) {
            step_language_selection(state, delta);
            return "lang_scroll";
        }
        return "scroll_ignored";
    }
    if (event.kind != MouseEventKind::Down || event.button != MouseButton::Left) {
        return "ignored";
    }
    if (state.failure) {
        if (areas.error_box && !in(areas.error_box)) {
            return "error_miss";
        }
        dismiss_login_error(state);
        return "error_dismiss";
    }
    if (state.user_list_open && areas.user_list) {
        if (const auto index = list_item_index(*areas.user_list, event.row, areas.user_list_start,
                                               areas.user_list_len)) {
            if (*index != state.user_sel) {
                state.password.clear();
            }
            state.user_sel = *index;
            state.user_list_open = false;
            state.focus = *index < state.users.size() ? LoginFocus::Pass : LoginFocus::User;
            return "user_list_select";
        }
    }
    if (state.lang_list_open && areas.lang_list) {
        if (const auto index = list_item_index(*areas.lang_list, event.row, areas.lang_list_start,
                                               areas.lang_list_len)) {
            state.lang_sel = *index;
            state.lang_list_open = false;
            state.focus = LoginFocus::User;
            return "lang_list_select";
        }
    }
    if (in(areas.lang_field)) {
        state.focus = LoginFocus::Lang;
        state.user_list_open = false;
        state.lang_list_open = !state.lang_list_open;
        return "lang_field_toggle";
    }
    if (in(areas.user_field)) {
        state.focus = LoginFocus::User;
        state.lang_list_open = false;
        if (state.list_mode) {
            state.user_list_open = !state.user_list_open;
        }
        return "user_field_toggle";
    }
    if (in(areas.password_field)) {
        state.focus = LoginFocus::Pass;
        state.user_list_open = false;
        state.lang_list_open = false;
        return "pass_field_focus";
    }
    if (state.user_list_open || state.lang_list_open) {
        state.user_list_open = false;
        state.lang_list_open = false;
        return "dropdown_close";
    }
    return "miss";
}

}  // namespace tarnwick::tui
