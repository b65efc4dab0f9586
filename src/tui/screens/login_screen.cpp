#include "tui/screens/login_screen.h"

#include "core/catalog.h"
#include "tui/screens/login_layout.h"
#include "tui/screens/login_state.h"
#include "tui/welcome/welcome_text.h"

#include <fmt/format.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarnwick::tui {

namespace {

// How the form ended: a request, or nothing when the user left with Esc.
struct LoginEnd {
    std::optional<LoginRequest> request;
};

void trace_mouse(std::string_view action, const MouseEvent& event) {
    if (std::getenv("TARNWICK_MOUSE_TRACE") == nullptr) {
        return;
    }
    const std::string line =
        fmt::format("MOUSE_TRACE login act={} col={} row={}\n", action, event.column, event.row);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

LoginState start_state(LoginScreenArgs& args) {
    const std::string tag = args.form.current_tag;
    LoginState state = initial_login_state(std::move(args.form));
    state.welcome = load_welcome_text(args.config_dir, tag);
    return state;
}

}  // namespace

LoginResult login_screen(LoginScreenArgs args, const ScreenIo& io,
                         const EventSource& diagnostics_events) {
    LoginState state = start_state(args);
    Catalog catalog;
    LoginHitAreas areas;

    ScreenHandlers<LoginEnd> handlers;
    handlers.draw = [&](Frame& frame, ScreenContext& ctx) {
        const std::string tag = selected_tag(state);
        if (tag != state.tag) {
            state.welcome = load_welcome_text(args.config_dir, tag);
            state.tag = tag;
        }
        // Built anew every turn, so a language change or an edited message file shows at once.
        catalog = select_catalog(args.locales_dir, tag, state.languages, args.fallback_tag);
        areas = draw_login_screen(frame.buffer(), frame.area(), state,
                                  ctx.depth == ColorDepth::Mono, catalog, args.page);
    };
    handlers.on_key = [&](const KeyEvent& key, ScreenContext& ctx) -> ScreenStep<LoginEnd> {
        switch (handle_login_key(state, key, args.page)) {
            case LoginKeyOutcome::Continue:
                break;
            case LoginKeyOutcome::Submit:
                return std::optional<LoginEnd>(LoginEnd{login_request(state)});
            case LoginKeyOutcome::Leave:
                return std::optional<LoginEnd>(LoginEnd{});
            case LoginKeyOutcome::Diagnostics: {
                const DiagnosticsModel snapshot =
                    args.diagnostics ? args.diagnostics() : DiagnosticsModel{};
                // Keys earlier in this turn may have picked another language since the last
                // frame: its help text is that of the language selected now.
                catalog = select_catalog(args.locales_dir, selected_tag(state), state.languages,
                                         args.fallback_tag);
                // The view's errors are not the form's: the next turn redraws whatever happened.
                (void)diagnostics_view(ctx.terminal, snapshot.title, snapshot.subtitle,
                                       snapshot.lines, ctx.depth == ColorDepth::Mono,
                                       translate(catalog, "diag.help"), diagnostics_events);
                break;
            }
        }
        return std::optional<LoginEnd>();
    };
    handlers.on_mouse = [&](const MouseEvent& event, ScreenContext&) -> ScreenStep<LoginEnd> {
        trace_mouse(login_mouse_hit(state, areas, event), event);
        return std::optional<LoginEnd>();
    };

    auto ended = run_screen(args.color, handlers, io);
    if (!ended) {
        return fail(ended.error());
    }
    return std::move(ended->request);
}

}  // namespace tarnwick::tui
