#pragma once
// The console-log snapshot the diagnostics view shows: the ring's lines,
// completed from the log file's tail, with every line mentioning a password
// hidden.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct Catalog;

struct DiagnosticsModel {
    std::string title;
    std::string subtitle;
    std::vector<std::string> lines;  // oldest first, at most kDiagnosticsCapacity
};

inline constexpr std::size_t kDiagnosticsCapacity = 100;
inline constexpr std::string_view kRedactedLine = "<redacted>";
inline constexpr std::string_view kConsoleLogPath = "/var/log/tarnwick-console.log";

// Merges the ring's lines with the file tail. The file tail normally ends with
// the ring's own lines, so the run at the end of the tail made of lines the
// ring holds is dropped first (each ring line cancels at most one file line);
// then at most capacity - ring lines of what is left come first, the ring
// last, adjacent repeats once, the last `capacity` kept. `read_tail` is only
// called when the ring is not full.
std::vector<std::string> merge_diagnostic_lines(
    std::vector<std::string> ring, const std::function<std::vector<std::string>()>& read_tail);

// True when the line mentions a password in any ASCII letter case.
bool mentions_password(std::string_view line);

// Replaces every line that mentions a password with "<redacted>".
void redact_diagnostic_lines(std::vector<std::string>& lines);

// "{subtitle} · {n} lines in ring · /var/log/tarnwick-console.log (last 100)".
std::string diagnostics_subtitle(std::string_view translated_subtitle, std::size_t ring_lines);

// The snapshot for the diagnostics view: the console ring completed from the
// log file's tail, passwords hidden, title and subtitle translated with the
// catalog. Never fails.
DiagnosticsModel diagnostics_model(const Catalog& catalog);

// What a screen calls for a fresh snapshot each time F1 opens the view: the
// session binds diagnostics_model to its catalog, tests pass their own.
using DiagnosticsProvider = std::function<DiagnosticsModel()>;

}  // namespace tarnwick
