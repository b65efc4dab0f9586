#include "tui/mouse_smoke.h"

#include "tui/list_helpers.h"
#include "tui/screens/form_logic.h"

#include <fmt/format.h>

#include <optional>
#include <string_view>

namespace tarnwick::tui {
namespace {

// One check's outcome: its failure line, or none when it passed.
struct Outcome {
    std::string_view label;
    std::optional<std::string> failure;
};

std::string opt_text(const std::optional<std::size_t>& value) {
    return value ? fmt::format("{}", *value) : std::string("none");
}

Outcome check_list_window_start() {
    struct Case {
        std::size_t count, rows, selected, expected;
    };
    static constexpr Case kCases[] = {{10, 4, 0, 0}, {10, 4, 3, 0}, {10, 4, 4, 1},
                                      {10, 4, 9, 6}, {3, 4, 2, 0},  {4, 4, 3, 0}};
    for (const Case& c : kCases) {
        const std::size_t got = list_window_start(c.count, c.rows, c.selected);
        if (got != c.expected) {
            return {
                "list_window_start",
                fmt::format("FAIL list_window_start count={} rows={} selected={} got={} want={}",
                            c.count, c.rows, c.selected, got, c.expected)};
        }
    }
    return {"list_window_start", std::nullopt};
}

Outcome check_list_item_index() {
    struct Case {
        Rect area;
        std::uint16_t row;
        std::size_t start, count;
        std::optional<std::size_t> expected;
    };
    const Rect list{0, 5, 20, 6};
    const Case cases[] = {
        {list, 5, 2, 5, std::nullopt},
        {list, 6, 2, 5, 2},
        {list, 8, 2, 5, 4},
        {list, 9, 2, 5, std::nullopt},
        {list, 10, 2, 5, std::nullopt},
        {list, 4, 2, 5, std::nullopt},
        {{0, 5, 20, 2}, 6, 0, 5, std::nullopt},
        {{0, 5, 0, 6}, 6, 0, 5, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto got = list_item_index(c.area, c.row, c.start, c.count);
        if (got != c.expected) {
            return {"list_item_index",
                    fmt::format("FAIL list_item_index row={} start={} got={} want={}", c.row,
                                c.start, opt_text(got), opt_text(c.expected))};
        }
    }
    return {"list_item_index", std::nullopt};
}

Outcome check_rect_contains() {
    struct Case {
        Rect area;
        std::uint16_t column, row;
        bool expected;
    };
    const Rect field{60, 10, 40, 1};
    const Case cases[] = {
        {field, 60, 10, true},
        {field, 99, 10, true},
        {field, 100, 10, false},
        {field, 59, 10, false},
        {field, 70, 11, false},
        {field, 70, 9, false},
        {{65530, 65530, 10, 10}, 65534, 65534, true},  // sums stop at 65535
        {{0, 0, 0, 5}, 0, 0, false},
    };
    for (const Case& c : cases) {
        const bool got = rect_contains(c.area, c.column, c.row);
        if (got != c.expected) {
            return {"rect_contains", fmt::format("FAIL rect_contains col={} row={} got={}",
                                                 c.column, c.row, got ? "true" : "false")};
        }
    }
    return {"rect_contains", std::nullopt};
}

Outcome check_form_field_at() {
    const FormRowTable table{{3, 0}, {4, 1}, {6, 5}};
    const struct {
        std::uint16_t row;
        std::optional<std::size_t> expected;
    } cases[] = {{3, 0}, {4, 1}, {6, 5}, {5, std::nullopt}, {2, std::nullopt}, {7, std::nullopt}};
    for (const auto& c : cases) {
        const auto got = form_field_at(table, c.row);
        if (got != c.expected) {
            return {"form_field_at", fmt::format("FAIL form_field_at row={} got={} want={}", c.row,
                                                 opt_text(got), opt_text(c.expected))};
        }
    }
    return {"form_field_at", std::nullopt};
}

Outcome check_cycle(std::string_view label, FormField& field, bool backward,
                    std::string_view expected) {
    cycle_field_option(field, backward);
    if (field.value == expected) return {label, std::nullopt};
    return {label, fmt::format("FAIL {} value={}", label, field.value)};
}

Outcome check_sgr(std::string_view label, unsigned code, std::uint16_t column, std::uint16_t row,
                  std::string_view expected) {
    const std::string got = sgr_mouse_report(code, column, row);
    if (got == expected) return {label, std::nullopt};
    return {label, fmt::format("FAIL {} got={}", label, got)};
}

SmokeReport assemble(const std::vector<Outcome>& outcomes) {
    SmokeReport report;
    for (const Outcome& o : outcomes) {
        if (o.failure) report.lines.push_back(*o.failure);
    }
    report.failed = !report.lines.empty();
    for (const Outcome& o : outcomes) {
        if (!o.failure) report.lines.push_back(fmt::format("PASS {}", o.label));
    }
    if (!report.failed) report.lines.emplace_back("MOUSE_SMOKE_OK");
    return report;
}

}  // namespace

SmokeFixture smoke_fixture() {
    return SmokeFixture{
        FormField{"mode", "Mode", "dhcp", std::vector<std::string>{"dhcp", "static", "none"}, false,
                  false},
    };
}

std::string sgr_mouse_report(unsigned button_code, std::uint16_t column, std::uint16_t row) {
    return fmt::format("\x1b[<{};{};{}M", button_code, column, row);
}

SmokeReport run_mouse_smoke_tests(const SmokeFixture& fixture) {
    FormField mode = fixture.mode_field;  // checks 9 and 10 share it
    std::vector<Outcome> outcomes;
    outcomes.push_back(check_list_window_start());
    outcomes.push_back(check_list_item_index());
    outcomes.push_back(check_rect_contains());
    outcomes.push_back(check_form_field_at());
    outcomes.push_back(check_cycle("form_choice_cycle_right", mode, false, "static"));
    outcomes.push_back(check_cycle("form_choice_cycle_left", mode, true, "dhcp"));
    outcomes.push_back(check_sgr("sgr_left_click_encode", 0, 10, 20, "\x1b[<0;10;20M"));
    outcomes.push_back(check_sgr("sgr_wheel_down_encode", 64, 5, 5, "\x1b[<64;5;5M"));
    return assemble(outcomes);
}

SmokeReport run_mouse_smoke_tests() {
    return run_mouse_smoke_tests(smoke_fixture());
}

}  // namespace tarnwick::tui
