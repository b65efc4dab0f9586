#include "core/kv_file.h"

#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tarnwick {
namespace {

using test::ScratchDir;

TEST(KvFile, LineRules) {
    const struct {
        const char* name;
        std::string_view text;
        KvMap expected;
    } cases[] = {
        {"plain entry", "a = b\n", {{"a", "b"}}},
        {"no final line feed", "a=b", {{"a", "b"}}},
        {"carriage returns removed", "a = b\r\nc = d\r\n", {{"a", "b"}, {"c", "d"}}},
        {"unicode blanks trimmed",
         "\xC2\xA0 key \xE2\x80\x83=\xE3\x80\x80 v \xC2\xA0",
         {{"key", "v"}}},
        {"blank and comment lines skipped", "\n   \n# x = y\n   # z = w\nk = v", {{"k", "v"}}},
        {"hash inside a value is text", "k = a # b", {{"k", "a # b"}}},
        {"hash inside a key is text", "k#1 = v", {{"k#1", "v"}}},
        {"line without equals skipped", "just text\nk = v", {{"k", "v"}}},
        {"empty key skipped", "= v\n  = w\nk = v", {{"k", "v"}}},
        {"empty value kept", "k =\nj = ", {{"k", ""}, {"j", ""}}},
        {"split at the first equals", "k = a = b", {{"k", "a = b"}}},
        {"quotes stripped, blanks inside kept", "k = \"  spaced  \"", {{"k", "  spaced  "}}},
        {"every leading and trailing quote stripped", "k = \"\"x\"\"\"", {{"k", "x"}}},
        {"inner quotes kept", "k = \"say \"hi\" now\"", {{"k", "say \"hi\" now"}}},
        {"only quotes gives empty", "k = \"\"", {{"k", ""}}},
        {"last occurrence wins", "k = 1\nk = 2", {{"k", "2"}}},
        {"keys are case-sensitive", "K = 1\nk = 2", {{"K", "1"}, {"k", "2"}}},
        {"no escapes or placeholders", "k = a\\nb {user}", {{"k", "a\\nb {user}"}}},
        {"empty text", "", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_kv_text(c.text), c.expected) << c.name;
    }
}

TEST(KvFile, ReadsFileAndRefusesWhatIsNotUtf8Text) {
    const ScratchDir dir;
    const auto ok = read_kv_file(dir.write("ok.ftl", "a = \xC3\xA9t\xC3\xA9\n"));
    ASSERT_TRUE(ok.has_value());
    EXPECT_EQ(ok->at("a"), "\xC3\xA9t\xC3\xA9");

    const auto missing = read_kv_file(dir.file("missing.ftl"));
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().kind, I18nErrorKind::Io);
    EXPECT_EQ(missing.error().detail, "No such file or directory (os error 2)");

    const auto latin1 = read_kv_file(dir.write("latin1.ftl", "good = yes\nbad = caf\xE9\n"));
    ASSERT_FALSE(latin1.has_value());
    EXPECT_EQ(display_i18n_error(latin1.error()), "io error: stream did not contain valid UTF-8");

    EXPECT_FALSE(read_kv_file(dir.mkdir("folder")).has_value());
}

TEST(KvFile, FifoIsRefusedWithoutBlocking) {
    const ScratchDir dir;
    const std::string fifo = dir.file("messages.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(read_kv_file(fifo).has_value());
}

TEST(ParseBoolWord, RecognisedWords) {
    const struct {
        std::string_view word;
        std::optional<bool> expected;
    } cases[] = {
        {"1", true},      {"on", true},     {"yes", true},      {"true", true},
        {" TRUE ", true}, {"Yes", true},    {"0", false},       {"no", false},
        {"off", false},   {"false", false}, {"\tOFF\n", false}, {"maybe", {}},
        {"", {}},         {"2", {}},        {"y", {}},          {"t rue", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_bool_word(c.word), c.expected)
            << testing::PrintToString(std::string(c.word));
    }
}

TEST(LocaleToml, DiffersFromMessageFiles) {
    // Value trimmed again after the quotes.
    EXPECT_EQ(parse_locale_toml("native_name = \"  Deutsch  \"").native_name, "Deutsch");
    // An empty value changes nothing, quoted or not.
    const auto empty = parse_locale_toml("tag = de\ntag =\ntag = \"\"\ntag = \" \"");
    EXPECT_EQ(empty.tag, "de");
    // Only the six keys, exactly as written.
    const auto other = parse_locale_toml("Tag = x\nlanguage = y\nlocale.native_name = z");
    EXPECT_FALSE(other.tag.has_value());
    EXPECT_FALSE(other.native_name.has_value());
    // Later lines override earlier ones; an unrecognised word keeps the earlier value.
    const auto flags = parse_locale_toml("enabled = no\nenabled = yes\nrtl = on\nrtl = sometimes");
    EXPECT_EQ(flags.enabled, true);
    EXPECT_EQ(flags.rtl, true);
    // Comment and line rules are shared: no trailing comments, no tables.
    const auto shared = parse_locale_toml(
        "# tag = commented\r\n[locale]\r\nenglish_name = German # really\r\nfallback = "
        "\"de-DE\"\r\n");
    EXPECT_FALSE(shared.tag.has_value());
    EXPECT_EQ(shared.english_name, "German # really");
    EXPECT_EQ(shared.fallback, "de-DE");
}

}  // namespace
}  // namespace tarnwick
