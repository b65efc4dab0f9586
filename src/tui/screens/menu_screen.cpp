#include "tui/screens/menu_screen.h"

#include "core/catalog.h"
#include "tui/kit/block.h"
#include "tui/kit/layout.h"
#include "tui/kit/list.h"
#include "tui/kit/paragraph.h"
#include "tui/kit/terminal.h"
#include "tui/list_helpers.h"
#include "tui/screens/diagnostics_view.h"
#include "tui/term/screen_loop.h"

#include <fmt/format.h>

namespace tarnwick::tui {
namespace {

struct MenuState {
    const std::vector<tmpl::MenuItem>& items;
    const Catalog& catalog;
    std::size_t selection = 0;
    bool help_shown = false;
    std::string status;
    Rect list_area;  // where the list was last drawn; empty while the help box shows

    void move_up() {
        if (selection > 0) --selection;
    }
    void move_down() {
        if (selection + 1 < items.size()) ++selection;
    }
    // The entry's action, or nothing for an entry whose action is unknown.
    std::optional<MenuAction> activate(std::size_t index) {
        selection = index;
        const tmpl::MenuItem& item = items[index];
        if (item.action == MenuAction::None) {
            status = translate_arg(catalog, "session.unknown_action", "id", item.id);
            return std::nullopt;
        }
        return item.action;
    }
};

void draw(Frame& frame, MenuState& state, const ColorRoles& roles, std::string_view title,
          std::string_view subtitle) {
    const Style accent = roles.accent;
    const Style on_black = Style{}.with_bg(Color::Black);
    const Rect area = frame.area();
    frame.render_widget(Block().style(Style{}.with_fg(Color::White).with_bg(Color::Black)), area);
    const Block outer = Block::bordered().border_style(accent).style(on_black);
    frame.render_widget(outer, area);
    const auto rows = split_vertical(
        outer.inner(area), {Constraint::length(4), Constraint::min(5), Constraint::length(3)});

    const Block header = Block().borders(Borders::Bottom).border_style(accent);
    frame.render_widget(header, rows[0]);
    const auto header_rows =
        split_vertical(header.inner(rows[0]), {Constraint::length(1), Constraint::length(1)});
    const Style brand = roles.title.add(Modifier::Bold);
    frame.render_widget(Paragraph(Text(Line(Span(
                            fmt::format(" {} ", translate(state.catalog, "brand.name")), brand)))),
                        header_rows[0]);
    frame.render_widget(Paragraph(Text(fmt::format(" {}", subtitle)))
                            .style(Style{}.with_fg(Color::White).with_bg(Color::Black))
                            .wrap(Wrap{true}),
                        header_rows[1]);

    const Rect body = rows[1];
    if (state.help_shown) {
        const Block box = Block::bordered().border_style(accent).title(
            Line(fmt::format(" {} ", translate(state.catalog, "session.help_title"))));
        frame.render_widget(
            Paragraph(Text(translate(state.catalog, "session.help"))).wrap(Wrap{true}).block(box),
            body);
        state.list_area = Rect{};
    } else {
        const std::size_t count = state.items.size();
        const std::size_t visible = std::max<std::size_t>(saturating_sub(body.height, 2), 1);
        const std::size_t start = list_window_start(count, visible, state.selection);
        std::vector<ListItem> rows_shown;
        for (std::size_t i = start; i < count && i < start + visible; ++i) {
            rows_shown.emplace_back(fmt::format("  {}  ", state.items[i].label));
        }
        const List list = List(std::move(rows_shown))
                              .block(Block::bordered().border_style(accent).style(on_black).title(
                                  Line(fmt::format(" {} ", title))))
                              .highlight_style(roles.highlight)
                              .highlight_symbol("▶ ");
        ListState list_state;
        if (count > 0) list_state.selected = state.selection - start;
        frame.render_stateful_widget(list, body, list_state);
        state.list_area = body;
    }

    const Block footer = Block().borders(Borders::Top).border_style(accent);
    const std::string footer_text =
        state.status.empty() ? translate(state.catalog, "session.help") : state.status;
    frame.render_widget(Paragraph(Text(footer_text))
                            .block(footer)
                            .style(accent.with_bg(Color::Black).add(Modifier::Bold))
                            .wrap(Wrap{true})
                            .alignment(Alignment::Center),
                        rows[2]);
}

using Step = ScreenStep<MenuAction>;

Step on_key(const KeyEvent& key, MenuState& state, ScreenContext& ctx,
            const DiagnosticsProvider& diagnostics) {
    switch (key.code) {
        case Key::Enter:
            if (state.selection < state.items.size()) {
                if (auto action = state.activate(state.selection)) return action;
            }
            return std::nullopt;
        case Key::Up:
            state.move_up();
            return std::nullopt;
        case Key::Down:
            state.move_down();
            return std::nullopt;
        case Key::Esc:
            break;
        case Key::F:
            if (key.number == 1) {
                const DiagnosticsModel model = diagnostics();
                // The view's own errors do not end the menu.
                (void)diagnostics_view(ctx.terminal, model.title, model.subtitle, model.lines,
                                       ctx.depth == ColorDepth::Mono,
                                       translate(state.catalog, "diag.help"));
            }
            return std::nullopt;
        case Key::Char:
            if (key.ch == U'k') state.move_up();
            if (key.ch == U'j') state.move_down();
            if (key.ch == U'?') state.help_shown = !state.help_shown;
            if (key.ch == U'q') break;
            return std::nullopt;
        default:
            return std::nullopt;
    }
    // q or Esc: close the help box first.
    if (state.help_shown) {
        state.help_shown = false;
        return std::nullopt;
    }
    return MenuAction::Quit;
}

Step on_mouse(const MouseEvent& mouse, MenuState& state) {
    if (state.help_shown || state.items.empty()) return std::nullopt;
    switch (mouse.kind) {
        case MouseEventKind::ScrollUp:
            state.move_up();
            return std::nullopt;
        case MouseEventKind::ScrollDown:
            state.move_down();
            return std::nullopt;
        case MouseEventKind::Down: {
            if (mouse.button != MouseButton::Left) return std::nullopt;
            const std::size_t rows = saturating_sub(state.list_area.height, 2);
            const std::size_t start = list_window_start(state.items.size(), rows, state.selection);
            const auto index =
                list_item_index(state.list_area, mouse.row, start, state.items.size());
            if (!index) return std::nullopt;
            return state.activate(*index);
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

Result<MenuAction, IoError> menu_screen(std::string_view title, std::string_view subtitle,
                                        const std::vector<tmpl::MenuItem>& items, AutoMode color,
                                        std::optional<std::string_view> status,
                                        const Catalog& catalog,
                                        const DiagnosticsProvider& diagnostics) {
    MenuState state{items, catalog, 0, false, std::string(status.value_or("")), {}};
    ScreenHandlers<MenuAction> handlers;
    handlers.draw = [&](Frame& frame, ScreenContext& ctx) {
        draw(frame, state, ctx.roles, title, subtitle);
    };
    handlers.on_key = [&](const KeyEvent& key, ScreenContext& ctx) {
        return on_key(key, state, ctx, diagnostics);
    };
    handlers.on_mouse = [&](const MouseEvent& mouse, ScreenContext&) {
        return on_mouse(mouse, state);
    };
    return run_screen(color, handlers);
}

}  // namespace tarnwick::tui
