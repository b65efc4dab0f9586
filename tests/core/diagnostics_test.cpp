#include "core/diagnostics.h"

#include "core/catalog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick {
namespace {

using Lines = std::vector<std::string>;

Lines numbered(const std::string& prefix, int from, int to) {
    Lines out;
    for (int i = from; i <= to; ++i) {
        out.push_back(prefix + std::to_string(i));
    }
    return out;
}

Lines concat(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(MergeDiagnosticLines, FullRingNeverReadsTheFile) {
    bool read = false;
    const Lines ring = numbered("r", 1, 100);
    const Lines out = merge_diagnostic_lines(ring, [&] {
        read = true;
        return Lines{"file"};
    });
    EXPECT_FALSE(read);
    EXPECT_EQ(out, ring);
}

TEST(MergeDiagnosticLines, Cases) {
    struct Case {
        const char* name;
        Lines ring;
        Lines tail;
        Lines expected;
    };
    const Case cases[] = {
        {"empty ring: the file tail", {}, {"a", "b"}, {"a", "b"}},
        {"empty ring and no file", {}, {}, {}},
        {"no file: the ring", {"x", "y"}, {}, {"x", "y"}},
        {"tail ends with the ring: shown once",
         {"x", "y"},
         {"a", "b", "x", "y"},
         {"a", "b", "x", "y"}},
        {"newest ring line not yet in the file", {"x", "y"}, {"a", "b", "x"}, {"a", "b", "x", "y"}},
        {"appends of two threads swapped in the file",
         {"x", "y"},
         {"a", "y", "x"},
         {"a", "x", "y"}},
        {"file without the ring's lines (read-only log)", {"x"}, {"a", "b"}, {"a", "b", "x"}},
        {"adjacent repeats at the seam appear once", {"a", "x"}, {"a", "a"}, {"a", "x"}},
        {"equal lines apart both stay", {"x", "a"}, {"a", "b"}, {"a", "b", "x", "a"}},
        {"adjacent repeats inside the ring appear once", {"x", "x", "y"}, {"a"}, {"a", "x", "y"}},
        // Each ring line cancels one file copy only: an older equal line stays.
        {"older copy of a ring line is kept", {"x"}, {"x", "b", "x"}, {"x", "b", "x"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(merge_diagnostic_lines(c.ring, [&] { return c.tail; }), c.expected) << c.name;
    }
}

TEST(MergeDiagnosticLines, CapsAtOneHundredEndingWithTheRing) {
    const Lines ring = numbered("r", 1, 30);
    const Lines tail = concat(numbered("f", 1, 100), ring);
    const Lines out = merge_diagnostic_lines(ring, [&] { return tail; });
    ASSERT_EQ(out.size(), 100u);
    EXPECT_EQ(out.front(), "f31");
    EXPECT_EQ(out[69], "f100");
    EXPECT_EQ(out.back(), "r30");
}

TEST(MergeDiagnosticLines, EmptyRingKeepsAtMostOneHundredFileLines) {
    const Lines tail = numbered("f", 1, 120);
    const Lines out = merge_diagnostic_lines({}, [&] { return tail; });
    ASSERT_EQ(out.size(), 100u);
    EXPECT_EQ(out.front(), "f21");
}

TEST(Redaction, HidesEveryLineMentioningAPassword) {
    struct Case {
        std::string line;
        bool hidden;
    };
    const Case cases[] = {
        {"[1] auth user=root password_len=4 ok", true},
        {"PASSWORD expired", true},
        {"Password: wrong", true},
        {"pAsSwOrD", true},
        {"passwd changed", false},
        {"pass word", false},
        {"", false},
        {"plain line", false},
    };
    for (const auto& c : cases) {
        Lines lines{c.line};
        redact_diagnostic_lines(lines);
        EXPECT_EQ(lines[0], c.hidden ? std::string(kRedactedLine) : c.line) << c.line;
    }
}

TEST(DiagnosticsSubtitle, JoinsTheTranslatedTextAndTheCount) {
    EXPECT_EQ(diagnostics_subtitle("Console log", 0),
              "Console log · 0 lines in ring · /var/log/tarnwick-console.log (last 100)");
    EXPECT_EQ(diagnostics_subtitle("diag.subtitle", 42),
              "diag.subtitle · 42 lines in ring · /var/log/tarnwick-console.log (last 100)");
}

}  // namespace
}  // namespace tarnwick

namespace tarnwick {
namespace {

TEST(DiagnosticsModel, TranslatesWithTheCatalogOrShowsTheKey) {
    Catalog catalog;
    catalog.messages["diag.subtitle"] = "Console";
    const DiagnosticsModel model = diagnostics_model(catalog);
    EXPECT_EQ(model.title, "diag.title");
    EXPECT_EQ(model.subtitle.rfind("Console · ", 0), 0u);
    EXPECT_LE(model.lines.size(), kDiagnosticsCapacity);
    for (const auto& line : model.lines) {
        EXPECT_FALSE(mentions_password(line)) << line;
    }
}

}  // namespace
}  // namespace tarnwick
