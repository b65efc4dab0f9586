#include "tui/screens/network_panel/panel_draw.h"

#include "core/catalog.h"
#include "core/text.h"
#include "tui/kit/block.h"
#include "tui/kit/layout.h"
#include "tui/kit/paragraph.h"

#include <fmt/format.h>

#include <algorithm>

namespace tarnwick::tui {
namespace {

// The body splits side by side from this many columns, else stacks.
constexpr std::uint16_t kSideBySideWidth = 72;
constexpr std::size_t kNameWidth = 10;

struct Palette {
    Style accent;     // frames and labels
    Style bright;     // titles, the focused box's border
    Style highlight;  // focused field, selected row
    Color accent_color;
    Style on_black = Style{}.with_bg(Color::Black);
    Style white = Style{}.with_fg(Color::White).with_bg(Color::Black);

    explicit Palette(const ColorRoles& roles)
        : accent(roles.accent),
          bright(roles.title),
          highlight(roles.highlight),
          accent_color(roles.accent.fg.value_or(Color::Cyan)) {}

    Style black_on(Color bg) const {
        return Style{}.with_fg(Color::Black).with_bg(bg).add(Modifier::Bold);
    }
    Style title() const { return bright.add(Modifier::Bold); }
};

Block rounded_box(Style border, std::string title, const Palette& p) {
    return Block::bordered()
        .border_type(BorderType::Rounded)
        .border_style(border)
        .title(Line(Span(std::move(title), p.title())));
}

// Text in a one-row cell filled with the style.
void put_cell(Buffer& buf, Rect cell, std::string_view text, Style style) {
    buf.set_style(cell, style);
    buf.set_stringn(cell.x, cell.y, text, cell.width, style);
}

void draw_title_bar(Frame& frame, Rect area, const PanelState& s, const Palette& p) {
    const auto cols = split_horizontal(
        area, {Constraint::length(26), Constraint::min(16), Constraint::length(16)});
    const std::string brand = fmt::format(" ⚡ {} Manager", translate(s.catalog, "brand.name"));
    frame.render_widget(Paragraph(Text(Line(Span(brand, p.title().with_bg(Color::Black))))),
                        cols[0]);
    frame.render_widget(Paragraph(Text(Line(Span(translate(s.catalog, "info.network"),
                                                 p.white.add(Modifier::Bold)))))
                            .alignment(Alignment::Center),
                        cols[1]);
    const std::string badge = s.edit_mode
                                  ? fmt::format("✏ {}", translate(s.catalog, "form.mode.edit"))
                                  : fmt::format("👁 {}", translate(s.catalog, "form.mode.view"));
    const Style badge_style = p.black_on(s.edit_mode ? Color::Yellow : p.accent_color);
    frame.render_widget(Paragraph(Text(Line(Span(fmt::format(" [{}] ", badge), badge_style))))
                            .alignment(Alignment::Right),
                        cols[2]);
}

void draw_general_box(Frame& frame, Rect area, const PanelState& s, const Palette& p) {
    const NetworkPanelModel& m = s.model;
    std::string dns;
    for (const std::string& server : m.nameservers) dns += (dns.empty() ? "" : ", ") + server;
    if (m.nameservers.empty()) dns = translate(s.catalog, "net.no_nameservers");
    const auto line = [&p](std::string label, std::string value, bool bold = false) {
        const Style value_style = bold ? p.white.add(Modifier::Bold) : p.white;
        return Line(std::vector<Span>{Span(std::move(label), p.accent),
                                      Span(std::move(value), value_style)});
    };
    Text text(std::vector<Line>{
        line("🏷  Host:   ", m.hostname, true),
        line("🌐 IPv4 GW: ", m.ipv4_gateway),
        line("🌍 IPv6 GW: ", m.ipv6_gateway),
        line("🔍 DNS:     ", dns),
    });
    const Block box =
        rounded_box(p.accent, fmt::format(" {} ", translate(s.catalog, "net.section.general")), p);
    frame.render_widget(Paragraph(std::move(text)).block(box).wrap(Wrap{true}), area);
}

void draw_interface_box(Frame& frame, Rect area, PanelState& s, const Palette& p) {
    const bool list_focus = s.focus == PanelFocus::List;
    const Block box =
        rounded_box(list_focus ? p.bright : p.accent,
                    fmt::format(" {} ", translate(s.catalog, "net.section.interfaces")), p);
    frame.render_widget(box, area);
    const Rect inner = box.inner(area);
    s.hits.interface_inner = inner;
    s.hits.interface_rows.clear();
    Buffer& buf = frame.buffer();
    std::uint16_t row = inner.y;
    for (std::size_t i = s.list_top; i < s.model.interfaces.size() && row < inner.bottom(); ++i) {
        const InterfaceView& view = s.model.interfaces[i];
        const bool selected = i == s.selection;
        std::optional<Style> picked;
        if (selected) {
            picked = list_focus || !s.edit_mode ? p.highlight : p.black_on(p.accent_color);
        }
        const Style plain = picked.value_or(p.white);
        const Style state_style =
            picked.value_or(Style{}
                                .with_fg(view.up ? Color::Green : Color::DarkGray)
                                .with_bg(Color::Black)
                                .add(Modifier::Bold));
        const Line first(std::vector<Span>{
            Span(selected ? "❯ " : "  ", plain),
            Span(pad_chars(view.name, kNameWidth), plain.add(Modifier::Bold)),
            Span(" ", plain),
            Span(view.up ? "● UP" : "○ DOWN", state_style),
        });
        buf.set_line(inner.x, row, first, inner.width);
        s.hits.interface_rows.push_back({row, i});
        ++row;
        if (row >= inner.bottom()) break;
        const std::string live = view.ipv4_live.empty() ? "—" : view.ipv4_live.front();
        const std::string second = truncate_ellipsis(
            fmt::format("    [{} / {}] {}", view.ipv4_mode, view.ipv6_mode, live), inner.width);
        buf.set_stringn(inner.x, row, second, inner.width,
                        Style{}.with_fg(Color::DarkGray).with_bg(Color::Black));
        ++row;
    }
}

void draw_tab_bar(Frame& frame, Rect area, PanelState& s, const Palette& p) {
    const auto cols = split_horizontal(
        area, {Constraint::length(18), Constraint::length(18), Constraint::min(1)});
    const bool focused = s.focus == PanelFocus::Tabs;
    const auto tab = [&](IfaceFamily family, std::string_view label) {
        const std::string name = std::string("[ ") + std::string(label) + " ]";
        if (s.tab == family) {
            return focused ? Span("► " + name + " ◄", p.black_on(Color::Yellow))
                           : Span("✓ " + name + "  ", p.black_on(p.accent_color));
        }
        return focused
                   ? Span("  " + name + "  ",
                          Style{}.with_fg(Color::Yellow).with_bg(Color::Black).add(Modifier::Bold))
                   : Span("  " + name + "  ",
                          Style{}.with_fg(Color::DarkGray).with_bg(Color::Black));
    };
    frame.render_widget(Paragraph(Text(Line(tab(IfaceFamily::Ipv4, "1. IPv4")))), cols[0]);
    frame.render_widget(Paragraph(Text(Line(tab(IfaceFamily::Ipv6, "2. IPv6")))), cols[1]);
    const Span hint =
        focused ? Span("◄/► or [1/2] switch  ·  Tab → fields", Style{}.with_fg(Color::Yellow))
                : Span("Press 1 for IPv4, 2 for IPv6", Style{}.with_fg(Color::DarkGray));
    frame.render_widget(Paragraph(Text(Line(hint))), cols[2]);
    s.hits.ipv4_tab = cols[0];
    s.hits.ipv6_tab = cols[1];
}

std::string value_text(const PanelState& s, std::size_t index) {
    const tmpl::FormField& row = s.form[index];
    if (s.edit_mode && is_choice_field(row)) return "◄ " + row.value + " ►";
    if (s.edit_mode && s.focused_row() == &row && is_text_field(row)) return row.value + "█";
    return row.value;
}

void draw_form(Frame& frame, Rect area, PanelState& s, const Palette& p) {
    const PanelFormColumns cols = panel_form_columns(area);
    s.hits.form_area = area;
    s.hits.midpoint = cols.midpoint;
    s.hits.form_rows.clear();
    Buffer& buf = frame.buffer();
    const std::size_t first = panel_form_first_row(s, cols.rows);
    const std::size_t shown = std::min<std::size_t>(cols.rows, area.height);
    const tmpl::FormField* focused = s.edit_mode ? s.focused_row() : nullptr;
    for (std::size_t i = first; i < s.form.size() && i - first < shown; ++i) {
        const auto y = static_cast<std::uint16_t>(area.y + (i - first));
        const bool lit = focused == &s.form[i];
        put_cell(buf, Rect{area.x, y, cols.label, 1}, pad_chars(s.form[i].label, cols.label),
                 lit ? p.highlight : p.accent.with_bg(Color::Black));
        put_cell(buf, Rect{cols.value_x, y, cols.value, 1},
                 truncate_ellipsis(value_text(s, i), cols.value), lit ? p.highlight : p.white);
        s.hits.form_rows.push_back({y, i});
    }
}

void draw_details(Frame& frame, Rect area, PanelState& s, const Palette& p) {
    const InterfaceView* view = s.selected();
    const std::string name = view ? view->name : "—";
    const Block box = rounded_box(s.focus == PanelFocus::List ? p.accent : p.bright,
                                  fmt::format(" Details: {} ", name), p);
    frame.render_widget(box, area);
    const auto rows = split_vertical(box.inner(area), {Constraint::length(1), Constraint::length(2),
                                                       Constraint::length(1), Constraint::min(4)});

    const auto head = split_horizontal(rows[0], {Constraint::min(10), Constraint::length(20)});
    frame.render_widget(
        Paragraph(Text(Line(Span("Interface: " + name, p.white.add(Modifier::Bold))))), head[0]);
    Style active_style =
        s.active ? Style{}.with_fg(Color::Green).add(Modifier::Bold) : Style{}.with_fg(Color::Red);
    if (s.edit_mode && s.focus == PanelFocus::Active) active_style = p.highlight;
    frame.render_widget(
        Paragraph(Text(Line(Span(s.active ? "[✓] Enabled" : "[ ] Disabled", active_style))))
            .alignment(Alignment::Right),
        head[1]);
    s.hits.active_box = head[1];

    if (view != nullptr) {
        std::string state = view->up ? "UP" : "DOWN";
        if (!view->status.empty()) state += " / " + view->status;
        frame.render_widget(
            Paragraph(Text(std::vector<Line>{
                Line(std::vector<Span>{Span("Status: ", p.accent), Span(state, p.white)}),
                Line(std::vector<Span>{Span("MAC:    ", p.accent), Span(view->mac, p.white)}),
            })),
            rows[1]);
    }
    draw_tab_bar(frame, rows[2], s, p);
    draw_form(frame, rows[3], s, p);
}

void draw_footer(Frame& frame, Rect area, const PanelState& s, const Palette& p) {
    std::string help;
    if (s.edit_mode) {
        help = translate(s.catalog, "net.help.edit");
    } else if (s.editing_allowed) {
        help = translate(s.catalog, "net.help.view");
    } else {
        help = translate(s.catalog, "form.help.view_only");
    }
    const std::string line = s.status.empty() ? " " + help : " " + s.status + "  ·  " + help;
    frame.render_widget(
        Paragraph(Text(line)).style(p.bright.with_bg(Color::Black)).wrap(Wrap{true}), area);
}

}  // namespace

std::string truncate_ellipsis(std::string_view text, std::size_t max_chars) {
    if (max_chars == 0) return {};
    if (char_count(text) <= max_chars) return std::string(text);
    if (max_chars == 1) return "…";
    return std::string(take_chars(text, max_chars - 1)) + "…";
}

PanelFormColumns panel_form_columns(Rect form) {
    PanelFormColumns c;
    c.label =
        std::clamp<std::uint16_t>(static_cast<std::uint16_t>(form.width * 32u / 100u), 12, 24);
    c.value_x = saturating_add(form.x, c.label);
    c.value = std::max<std::uint16_t>(saturating_sub(form.width, c.label), 6);
    c.midpoint = saturating_add(c.value_x, static_cast<std::uint16_t>(c.value / 2));
    c.rows = std::max<std::uint16_t>(form.height, 1);
    return c;
}

std::size_t panel_form_first_row(const PanelState& state, std::uint16_t visible_rows) {
    if (state.focus == PanelFocus::Form && state.field_focus >= visible_rows)
        return state.field_focus - visible_rows + 1;
    return 0;
}

void draw_network_panel(Frame& frame, PanelState& state, const ColorRoles& roles) {
    const Palette p(roles);
    scroll_interface_list(state);
    const Rect area = frame.area();
    frame.render_widget(Block().style(p.white), area);
    const Block outer = Block::bordered()
                            .border_type(BorderType::Rounded)
                            .border_style(p.accent.with_bg(Color::Black))
                            .style(p.on_black);
    frame.render_widget(outer, area);
    const auto rows = split_vertical(
        outer.inner(area), {Constraint::length(1), Constraint::min(8), Constraint::length(2)});
    draw_title_bar(frame, rows[0], state, p);

    const Rect body = rows[1];
    const auto halves =
        body.width >= kSideBySideWidth
            ? split_horizontal(body, {Constraint::percentage(36), Constraint::percentage(64)})
            : split_vertical(body, {Constraint::percentage(40), Constraint::percentage(60)});
    const auto overview = split_vertical(halves[0], {Constraint::length(7), Constraint::min(5)});
    draw_general_box(frame, overview[0], state, p);
    draw_interface_box(frame, overview[1], state, p);
    draw_details(frame, halves[1], state, p);
    draw_footer(frame, rows[2], state, p);
}

}  // namespace tarnwick::tui
