#pragma once
// The modal diagnostics view: the console-log snapshot, scrollable, drawn on
// the terminal of the screen that opened it and left with Enter, Esc, q or F1.

#include "core/result.h"
#include "tui/io_error.h"
#include "tui/kit/buffer.h"
#include "tui/kit/terminal.h"
#include "tui/screens/diagnostics_scroll.h"
#include "tui/term/event_reader.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::tui {

inline constexpr std::chrono::milliseconds kDiagnosticsWait{200};

// Where the view takes its events from: the program's terminal reader unless
// a caller passes another.
using EventSource = std::function<EventResult(std::chrono::milliseconds)>;

struct DiagnosticsContent {
    std::string_view title;
    std::string_view subtitle;
    const std::vector<std::string>& lines;
    bool mono = false;
    std::string_view help;
};

// One frame of the view into the whole area.
void draw_diagnostics(Buffer& buf, Rect area, const DiagnosticsContent& content,
                      const DiagnosticsScroll& scroll);

// The key's move, or nullopt for the keys that close the view.
std::optional<DiagnosticsMove> diagnostics_key_move(const KeyEvent& key);

// Runs the view until a closing key; the first drawing, waiting, reading or
// size error ends it with that error.
Result<void, IoError> diagnostics_view(Terminal& terminal, std::string_view title,
                                       std::string_view subtitle,
                                       const std::vector<std::string>& lines, bool mono,
                                       std::string_view help,
                                       const EventSource& events = poll_terminal_event);

}  // namespace tarnwick::tui
