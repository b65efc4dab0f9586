// The form view on a pseudo-terminal. This executable doubles as the program
// under test: started with TARNWICK_FORM_DRIVER set, its one disabled test
// shows the view and exits with 10 after Back (1 on an I/O error).

#include "tui/screens/form_screen.h"

#include "core/catalog.h"
#include "core/text.h"

#include "support/english_catalog.h"
#include "support/pty_session.h"
#include "support/terminal_keys.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdlib>
#include <string>

namespace tarnwick::tui {
namespace {

using test::PtySession;
using namespace tarnwick::test;  // keys and mouse reports
using tmpl::FormField;

FormField field(std::string id, std::string label, std::string value, bool disabled = true) {
    return FormField{std::move(id), std::move(label), std::move(value),
                     std::nullopt,  disabled,         false};
}

FormField heading(std::string label) {
    return FormField{"", std::move(label), "", std::nullopt, true, true};
}

// Two refusals of an rc.conf change, whose ends say what matters.
constexpr std::string_view kRefusals[] = {
    R"(rc.conf line 7 is not a setting ("allscreens_flags = MODE_333"); not changed)",
    "/usr/local/etc/rc.conf.d/routing line 2 also sets defaultrouter; not changed",
};

std::vector<FormField> driver_rows(std::string_view mode) {
    std::vector<FormField> rows;
    if (mode == "refusal" || mode == "refusal-cut") {
        // As the result page lays them out.
        rows = {heading("Outcome"),
                field("success", "Success", "no"),
                field("summary", "Summary", "Apply failed"),
                heading("Details"),
                field("detail_0", "step_0", std::string(kRefusals[0])),
                field("detail_1", "step_1", std::string(kRefusals[1])),
                field("after", "Next", "still here")};
    } else if (mode == "tail") {
        for (int i = 0; i < 17; ++i)
            rows.push_back(field(fmt::format("r{}", i), fmt::format("Label {}", i),
                                 fmt::format("value {}", i)));
        // Three lines at 80 columns.
        rows.push_back(
            field("last", "Last", std::string(50, 'a') + " " + std::string(50, 'b') + " cccEND"));
    } else if (mode == "rows30" || mode == "rows20") {
        const int count = mode == "rows30" ? 30 : 20;
        for (int i = 0; i < count; ++i)
            rows.push_back(field(fmt::format("r{}", i), fmt::format("Label {}", i),
                                 fmt::format("value {}", i)));
    } else if (mode == "mixed") {
        rows = {heading("Straße"),
                field("empty", "Disabled empty", ""),
                field("open", "Editable empty", "", false),
                field("long", "Long value", std::string(60, 'v') + "END"),
                field("label", "A label much longer than its column", "x"),
                field("umlaut", "Umlauts", "äöü")};
    }
    return rows;
}

TEST(FormDriver, DISABLED_Run) {
    const char* mode = std::getenv("TARNWICK_FORM_DRIVER");
    if (mode == nullptr) GTEST_SKIP() << "started by the form view tests only";
    const Catalog catalog = test::english_catalog();
    const auto rows = driver_rows(mode);
    const std::string_view m(mode);
    const ValueFit fit = m == "refusal" || m == "tail" ? ValueFit::Wrap : ValueFit::Cut;
    auto outcome = form_screen("Facts", rows, AutoMode::Always, catalog, fit);
    std::_Exit(outcome && *outcome == tmpl::FormOutcome::Back ? 10 : 1);
}

// 26 rows: borders 2, title 1, footer 3, so a body of 20 rows.
class FormScreen : public testing::Test {
protected:
    void open(std::string mode, std::uint16_t columns = 80, std::uint16_t rows = 26) {
        s = std::make_unique<PtySession>(test::PtyOptions{
            .program = "/proc/self/exe",
            .args = {"--gtest_filter=FormDriver.DISABLED_Run", "--gtest_also_run_disabled_tests"},
            .env = {{"TARNWICK_FORM_DRIVER", std::move(mode)}},
            .columns = columns,
            .rows = rows,
        });
        ASSERT_TRUE(s->started()) << s->error();
        // The bottom-right corner is the last cell of the first frame.
        ASSERT_TRUE(s->wait_for_text("┘")) << s->screen_text();
    }
    // Types bytes and waits until the footer line shows `footer`.
    void type_until(std::string_view bytes, std::string_view footer) {
        s->write(bytes);
        EXPECT_TRUE(s->wait_for_text(footer)) << bytes << "\n" << s->screen_text();
    }
    // Waits until screen row `row` starts with `prefix`.
    bool wait_row(int row, std::string_view prefix) {
        return s->wait_until([&] { return s->row(row).starts_with(prefix); });
    }
    std::string footer() const { return s->row(24); }
    std::unique_ptr<PtySession> s;
};

TEST_F(FormScreen, FooterCountsFollowTheScrollOffset) {
    open("rows30");
    ASSERT_TRUE(s->wait_for_text("↑0 ↓10")) << s->screen_text();
    EXPECT_EQ(s->row(2).rfind("│  Label 0  ", 0), 0u) << s->screen_text();
    EXPECT_NE(s->row(21).find("Label 19"), std::string::npos);
    EXPECT_NE(footer().find("↑0 ↓10"), std::string::npos) << footer();
    type_until(kPageDown, "↑8 ↓2");
    type_until(kPageDown, "↑16 ↓0");
    EXPECT_NE(s->row(2).find("Label 16"), std::string::npos) << s->screen_text();
    EXPECT_NE(s->row(15).find("Label 29"), std::string::npos);
    EXPECT_EQ(s->row(16).find("Label"), std::string::npos);
    // Down and PageDown go on past the last row: an empty body, 0 below.
    type_until(kPageDown, "↑24 ↓0");
    type_until(kPageDown, "↑32 ↓0");
    type_until("j", "↑33 ↓0");
    EXPECT_EQ(s->screen_text().find("Label"), std::string::npos) << s->screen_text();
    type_until(kPageUp, "↑25 ↓0");
    type_until(kUp, "↑24 ↓0");
    type_until("k", "↑23 ↓0");
    type_until(kHome, "↑0 ↓10");
    type_until(std::string(kUp) + std::string(kDown), "↑1 ↓9");  // Up stops at 0
    type_until(mouse(65, 10, 10), "↑2 ↓8");                      // wheel down
    type_until(mouse(64, 10, 10), "↑1 ↓9");                      // wheel up
    // Two wheel steps up from 1 stop at 0.
    type_until(mouse(64, 10, 10) + mouse(64, 10, 10) + std::string(kDown) + std::string(kDown),
               "↑2 ↓8");
    EXPECT_NE(s->row(23).find("View only"), std::string::npos) << s->screen_text();
    s->write("q");
    EXPECT_EQ(s->wait_exit(), 10);
}

TEST_F(FormScreen, ResizeRedrawsForTheNewHeight) {
    open("rows30");
    ASSERT_TRUE(s->wait_for_text("↑0 ↓10")) << s->screen_text();
    s->write(std::string(kDown));
    ASSERT_TRUE(s->wait_for_text("↑1 ↓9")) << s->screen_text();
    // 16 rows leave a body of 10; the offset stays.
    s->resize(80, 16);
    ASSERT_TRUE(s->wait_for_text("↑1 ↓19")) << s->screen_text();
    EXPECT_NE(s->row(11).find("Label 10"), std::string::npos) << s->screen_text();
    // 40 rows hold all 30: no counts, and the view still answers.
    s->resize(80, 40);
    EXPECT_TRUE(wait_row(38, "│ Ostravel · Network configuration")) << s->screen_text();
    EXPECT_EQ(s->row(38).find("↑"), std::string::npos) << s->row(38);
    s->write("q");
    EXPECT_EQ(s->wait_exit(), 10);
}

TEST_F(FormScreen, NoCountsWhileEveryRowFits) {
    open("rows20");
    EXPECT_NE(s->row(21).find("Label 19"), std::string::npos) << s->screen_text();
    const std::string plain = footer();
    EXPECT_EQ(plain.find("↑"), std::string::npos) << plain;
    s->write(std::string(kDown) + std::string(kDown));
    // Scrolled by two: the first rows left the body, still no counts.
    EXPECT_TRUE(wait_row(2, "│  Label 2  ")) << s->screen_text();
    EXPECT_EQ(footer(), plain);
    s->write("\r");
    EXPECT_EQ(s->wait_exit(), 10);
}

TEST_F(FormScreen, DrawsTitleHeadingsAndValueCells) {
    open("mixed");
    ASSERT_TRUE(wait_row(24, "│ Ostravel · Network configuration")) << s->screen_text();
    const std::string title = s->row(1);
    EXPECT_EQ(title.rfind("│ Ostravel ", 0), 0u) << title;
    EXPECT_NE(title.find("Facts"), std::string::npos);
    EXPECT_EQ(title.size() - title.find("[View]"), std::string("[View]│").size()) << title;
    // Rows start one column in from the border and are 76 wide: the heading
    // in full Unicode upper case over all of it, labels 21, values 55.
    auto body = [](std::string cells) { return "│ " + cells + " │"; };
    EXPECT_EQ(s->row(2), body("  STRASSE" + std::string(76 - 9, ' '))) << s->screen_text();
    EXPECT_EQ(s->cell(2, 2).bg, 6);
    EXPECT_EQ(s->cell(2, 2).fg, 0);
    EXPECT_TRUE(s->cell(2, 2).bold);
    EXPECT_EQ(s->cell(2, 77).bg, 6);
    EXPECT_EQ(s->row(3), body(" Disabled empty      " + std::string("  —") + std::string(52, ' ')));
    EXPECT_EQ(s->row(4),
              body(" Editable empty      " + std::string("│ ") + std::string(51, ' ') + " │"));
    EXPECT_EQ(s->cell(3, 3).fg, 14);  // labels in the bright colour
    EXPECT_EQ(s->cell(3, 25).fg, 15);
    // A value longer than its column is cut without an ellipsis.
    EXPECT_EQ(s->row(5),
              body(" Long value          " + std::string("  ") + std::string(51, 'v') + "  "));
    // A label longer than its column is clipped by it.
    EXPECT_EQ(s->row(6), body(" A label much longer " + std::string("  x") + std::string(52, ' ')));
    EXPECT_NE(s->row(7).find("  äöü"), std::string::npos);
    EXPECT_NE(footer().find("Network configuration"), std::string::npos) << footer();
    EXPECT_EQ(footer().find("↑"), std::string::npos);
    // A left click anywhere changes nothing; nor do End and other keys: after
    // them one Down scrolls by exactly one row.
    s->write(mouse(0, 30, 3) + mouse(0, 3, 2) + std::string(kEnd) + "x " + std::string(kDown));
    EXPECT_TRUE(wait_row(2, "│  Disabled empty")) << s->screen_text();
    EXPECT_FALSE(s->exit_status());
    s->write("\x1b");
    EXPECT_EQ(s->wait_exit(), 10);
}

// Where a body line's label and value text lie on a terminal of `columns`:
// the label cell from column 2, the text between the value's frames.
struct BodyColumns {
    std::uint16_t columns;
    int label_end;  // one past the label cell
    int text;       // first column of the value text
    int room;       // characters between the frames
};

// The cells from `from` on, `count` of them, trailing blanks dropped.
std::string cells(const PtySession& s, int row, int from, int count) {
    std::string out;
    for (int c = from; c < from + count; ++c) out += s.cell(row, c).text;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string without_blanks(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (c != ' ') out += c;
    return out;
}

// The lines a value takes on screen: from the body line whose text starts
// like it, on through the lines with a blank label cell.
std::vector<std::string> shown_lines(const PtySession& s, const BodyColumns& at,
                                     std::string_view value, int body_end) {
    std::vector<std::string> lines;
    const std::string start(take_chars(value, 8));
    for (int r = 2; r < body_end; ++r) {
        const std::string text = cells(s, r, at.text, at.room);
        if (lines.empty() && !text.starts_with(start)) continue;
        if (!lines.empty() && !cells(s, r, 2, at.label_end - 2).empty()) break;
        if (text.empty()) break;
        lines.push_back(text);
        // Nothing beside the frame: the text stays between them.
        EXPECT_EQ(cells(s, r, at.text + at.room, 2), "") << s.screen_text();
    }
    return lines;
}

TEST_F(FormScreen, WrappedValuesShowTheirWholeText) {
    // 24 rows: a body of 18. At 40 columns the room is 16: a word longer than
    // that is cut hard; the same view is wrapped again after the resize.
    const BodyColumns sizes[] = {{80, 23, 25, 51}, {40, 18, 20, 16}};
    open("refusal", 80, 24);
    for (const BodyColumns& at : sizes) {
        s->resize(at.columns, 24);
        // Drawn for the new width once its corner is.
        ASSERT_TRUE(s->wait_until([&] { return s->cell(23, at.columns - 1).text == "┘"; }))
            << s->screen_text();
        ASSERT_TRUE(s->wait_for_text("still here")) << s->screen_text();
        std::string words;  // every word shown, each between blanks
        for (const std::string_view refusal : kRefusals) {
            const auto lines = shown_lines(*s, at, refusal, 20);
            ASSERT_FALSE(lines.empty()) << refusal << "\n" << s->screen_text();
            std::string joined;
            for (const std::string& line : lines) {
                if (!joined.empty()) joined += ' ';
                joined += line;
                words += fmt::format(" {} ", line);
            }
            // Every character in order: nothing cut at the edge.
            EXPECT_EQ(without_blanks(joined), without_blanks(refusal)) << s->screen_text();
            // Broken at blanks wherever a word fits.
            for (const std::string_view word : split_words(refusal)) {
                if (char_count(word) > static_cast<std::size_t>(at.room)) continue;
                EXPECT_NE(words.find(fmt::format(" {} ", word)), std::string::npos)
                    << word << "\n"
                    << s->screen_text();
            }
            if (at.columns == 80) {
                EXPECT_EQ(joined, refusal) << s->screen_text();
            }
        }
        // The next row follows the last wrapped line, labelled.
        const auto last = shown_lines(*s, at, kRefusals[1], 20);
        int next = -1;
        for (int r = 2; r < 20; ++r)
            if (s->row(r).find("still here") != std::string::npos) next = r;
        ASSERT_GT(next, 2);
        EXPECT_EQ(cells(*s, next - 1, at.text, at.room), last.back()) << s->screen_text();
        EXPECT_EQ(cells(*s, next, 2, at.label_end - 2), " Next");
        // Every line fits the body: no counts.
        EXPECT_EQ(s->row(22).find("↑"), std::string::npos) << s->row(22);
    }
    s->write("q");
    EXPECT_EQ(s->wait_exit(), 10);
}

TEST_F(FormScreen, CutValuesStayOneLine) {
    open("refusal-cut", 80, 24);
    ASSERT_TRUE(s->wait_for_text("still here")) << s->screen_text();
    const BodyColumns at{80, 23, 25, 51};
    for (int i = 0; i < 2; ++i) {
        const int r = 6 + i;  // after two headings and two rows
        EXPECT_EQ(cells(*s, r, 2, at.label_end - 2), fmt::format(" step_{}", i));
        EXPECT_EQ(cells(*s, r, at.text, at.room), trim_end(take_chars(kRefusals[i], 51)))
            << s->screen_text();
    }
    EXPECT_NE(s->row(8).find("still here"), std::string::npos) << s->screen_text();
    EXPECT_FALSE(s->screen_contains("not changed"));
    s->write("q");
    EXPECT_EQ(s->wait_exit(), 10);
}

TEST_F(FormScreen, ScrollingCountsWrappedLines) {
    // 17 rows and one of three lines in a body of 18.
    open("tail", 80, 24);
    ASSERT_TRUE(s->wait_for_text("↑0 ↓2")) << s->screen_text();
    EXPECT_EQ(cells(*s, 19, 25, 51), std::string(50, 'a')) << s->screen_text();
    s->write("j");
    ASSERT_TRUE(s->wait_for_text("↑1 ↓1")) << s->screen_text();
    s->write(std::string(kDown));
    ASSERT_TRUE(s->wait_for_text("↑2 ↓0")) << s->screen_text();
    // The last wrapped line is in view, under the row's other lines.
    EXPECT_EQ(cells(*s, 17, 2, 21), " Last");
    EXPECT_EQ(cells(*s, 18, 25, 51), std::string(50, 'b')) << s->screen_text();
    EXPECT_EQ(cells(*s, 18, 2, 21), "");
    EXPECT_EQ(cells(*s, 19, 25, 51), "cccEND") << s->screen_text();
    EXPECT_NE(s->row(2).find("Label 2"), std::string::npos);
    // A click on a continuation line changes nothing.
    s->write(mouse(0, 30, 19) + std::string(kUp));
    ASSERT_TRUE(s->wait_for_text("↑1 ↓1")) << s->screen_text();
    s->write("q");
    EXPECT_EQ(s->wait_exit(), 10);
}

TEST_F(FormScreen, EmptyViewAndEveryWayOut) {
    for (const std::string_view key : {"\r", "\x1b", "q"}) {
        open("empty");
        ASSERT_TRUE(wait_row(24, "│ Ostravel · Network configuration")) << s->screen_text();
        EXPECT_EQ(s->row(2), "│" + std::string(78, ' ') + "│") << s->screen_text();
        EXPECT_EQ(footer().find("↑"), std::string::npos);
        EXPECT_TRUE(s->alternate_screen());
        s->write(key);
        EXPECT_EQ(s->wait_exit(), 10);
        EXPECT_FALSE(s->alternate_screen());
    }
}

}  // namespace
}  // namespace tarnwick::tui
