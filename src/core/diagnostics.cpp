#include "core/diagnostics.h"

#include "core/catalog.h"
#include "core/console_log.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>

namespace tarnwick {

namespace {

// Drops from the end of `tail` the lines the ring holds: the copies the ring's
// own appends (or the seeding from the file) left there. Matching as a
// multiset tolerates a newest ring line not yet in the file and two threads'
// appends landing in the file in the other order.
void drop_ring_copies(std::vector<std::string>& tail, const std::vector<std::string>& ring) {
    std::map<std::string_view, std::size_t> pending;
    for (const auto& line : ring) {
        ++pending[line];
    }
    while (!tail.empty()) {
        auto it = pending.find(tail.back());
        if (it == pending.end() || it->second == 0) {
            break;
        }
        --it->second;
        tail.pop_back();
    }
}

}  // namespace

std::vector<std::string> merge_diagnostic_lines(
    std::vector<std::string> ring, const std::function<std::vector<std::string>()>& read_tail) {
    if (ring.size() >= kDiagnosticsCapacity) {
        if (ring.size() > kDiagnosticsCapacity) {
            ring.erase(ring.begin(),
                       ring.end() - static_cast<std::ptrdiff_t>(kDiagnosticsCapacity));
        }
        return ring;
    }
    std::vector<std::string> tail = read_tail();
    if (ring.empty()) {
        if (tail.size() > kDiagnosticsCapacity) {
            tail.erase(tail.begin(),
                       tail.end() - static_cast<std::ptrdiff_t>(kDiagnosticsCapacity));
        }
        return tail;
    }
    if (tail.empty()) {
        return ring;
    }
    drop_ring_copies(tail, ring);
    const std::size_t room = kDiagnosticsCapacity - ring.size();
    const std::size_t from = tail.size() > room ? tail.size() - room : 0;

    std::vector<std::string> merged;
    merged.reserve(tail.size() - from + ring.size());
    auto push = [&merged](std::string&& line) {
        if (merged.empty() || merged.back() != line) {
            merged.push_back(std::move(line));
        }
    };
    for (std::size_t i = from; i < tail.size(); ++i) {
        push(std::move(tail[i]));
    }
    for (auto& line : ring) {
        push(std::move(line));
    }
    if (merged.size() > kDiagnosticsCapacity) {
        merged.erase(merged.begin(),
                     merged.end() - static_cast<std::ptrdiff_t>(kDiagnosticsCapacity));
    }
    return merged;
}

bool mentions_password(std::string_view line) {
    constexpr std::string_view word = "password";
    if (line.size() < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i + word.size() <= line.size(); ++i) {
        bool match = true;
        for (std::size_t k = 0; k < word.size(); ++k) {
            char c = line[i + k];
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
            if (c != word[k]) {
                match = false;
                break;
            }
        }
        if (match) {
            return true;
        }
    }
    return false;
}

void redact_diagnostic_lines(std::vector<std::string>& lines) {
    for (auto& line : lines) {
        if (mentions_password(line)) {
            line.assign(kRedactedLine);
        }
    }
}

std::string diagnostics_subtitle(std::string_view translated_subtitle, std::size_t ring_lines) {
    const std::string count = fmt::format("{} lines in ring · {} (last {})", ring_lines,
                                          kConsoleLogPath, kDiagnosticsCapacity);
    return fmt::format("{} · {}", translated_subtitle, count);
}

DiagnosticsModel diagnostics_model(const Catalog& catalog) {
    std::vector<std::string> lines =
        merge_diagnostic_lines(console_ring_snapshot(), [] { return read_console_log_tail(); });
    // Lines may have arrived since the copy: the count is what the ring holds now.
    const std::size_t ring_len = console_ring_len();
    redact_diagnostic_lines(lines);
    return DiagnosticsModel{translate(catalog, "diag.title"),
                            diagnostics_subtitle(translate(catalog, "diag.subtitle"), ring_len),
                            std::move(lines)};
}

}  // namespace tarnwick
