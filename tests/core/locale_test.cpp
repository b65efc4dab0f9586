#include "core/locale.h"
#include "core/case_map.h"

#include "support/scoped_env.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

namespace tarnwick {
namespace {

using test::ScopedEnv;
using test::ScratchDir;

std::vector<std::string> tags_of(const std::vector<LocaleInfo>& list) {
    std::vector<std::string> tags;
    for (const auto& l : list) tags.push_back(l.tag);
    return tags;
}

LocaleInfo locale(std::string tag, std::string native_name) {
    LocaleInfo info;
    info.tag = std::move(tag);
    info.native_name = std::move(native_name);
    return info;
}

TEST(EnvLocale, PrecedenceAndCut) {
    using V = std::optional<std::string>;
    const struct {
        V lc_all, lc_messages, lang;
        std::string expected;
    } cases[] = {
        {{}, {}, "fr_FR.UTF-8", "fr-FR"},
        {"C", {}, "de_DE.UTF-8", "de-DE"},
        {"POSIX", "", {}, "en-US"},
        {{}, {}, {}, "en-US"},
        {{}, {}, "C.UTF-8", "C"},
        {{}, {}, ".UTF-8", ""},
        {"pt_BR", "de_DE", "fr_FR", "pt-BR"},
        {{}, "de_AT.ISO8859-1", "fr_FR", "de-AT"},
        {"", "POSIX", "sr_RS.UTF-8@latin", "sr-RS"},
        {{}, {}, "sr_RS@latin", "sr-RS@latin"},
        {{}, {}, "en_us_x.a.b", "en-us-x"},
        // Not valid UTF-8: passed over like an unset variable.
        {"fr_FR\xFF", {}, "it_IT", "it-IT"},
        {{}, {}, "c", "c"},
    };
    for (const auto& c : cases) {
        ScopedEnv env;
        env.set("LC_ALL", c.lc_all).set("LC_MESSAGES", c.lc_messages).set("LANG", c.lang);
        EXPECT_EQ(env_locale(), c.expected) << "LC_ALL=" << c.lc_all.value_or("<unset>")
                                            << " LC_MESSAGES=" << c.lc_messages.value_or("<unset>")
                                            << " LANG=" << c.lang.value_or("<unset>");
    }
}

TEST(DiscoverLocales, MissingOrEmptyFolderGivesBuiltIn) {
    const ScratchDir dir;
    const LocaleInfo builtin{"en-US", "English", "English", true, false, std::nullopt};
    EXPECT_EQ(builtin_locale(), builtin);
    EXPECT_EQ(discover_locales(dir.file("absent")), std::vector<LocaleInfo>{builtin});
    EXPECT_EQ(discover_locales(dir.path()), std::vector<LocaleInfo>{builtin});
    EXPECT_EQ(discover_locales(dir.write("file", "x")), std::vector<LocaleInfo>{builtin});
}

TEST(DiscoverLocales, OnlyVisibleFoldersWithAMessageFile) {
    const ScratchDir dir;
    dir.write("fr-FR/tarnwick.ftl", "locale.native_name = français\n");
    dir.write(".git/tarnwick.ftl", "locale.native_name = hidden\n");
    dir.mkdir("nomsg");
    dir.write("nomsg/locale.toml", "tag = nomsg\n");
    dir.write("README", "not a language\n");
    dir.mkdir("de-DE/tarnwick.ftl");  // a folder, not a regular file
    dir.write("it-IT/messages.ftl", "x = y\n");
    EXPECT_EQ(tags_of(discover_locales(dir.path())), std::vector<std::string>{"fr-FR"});
}

TEST(DiscoverLocales, SymbolicLinksAreFollowed) {
    const ScratchDir dir;
    const ScratchDir elsewhere;
    elsewhere.write("real-de/tarnwick.ftl", "locale.native_name = Deutsch\n");
    const std::string shared_file = elsewhere.write("shared.ftl", "locale.native_name = Español\n");
    const std::string locales = dir.mkdir("locales");
    ASSERT_EQ(::symlink(elsewhere.file("real-de").c_str(), (locales + "/de-DE").c_str()), 0);
    dir.mkdir("locales/es-ES");
    ASSERT_EQ(::symlink(shared_file.c_str(), (locales + "/es-ES/tarnwick.ftl").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("nowhere").c_str(), (locales + "/xx-XX").c_str()), 0);
    // A hidden link to a language folder stays hidden.
    ASSERT_EQ(::symlink(elsewhere.file("real-de").c_str(), (locales + "/.de").c_str()), 0);

    const auto found = discover_locales(locales);
    EXPECT_EQ(tags_of(found), (std::vector<std::string>{"de-DE", "es-ES"}));
    EXPECT_EQ(found[0].native_name, "Deutsch");
    EXPECT_EQ(found[1].native_name, "Español");
}

TEST(DiscoverLocales, DescriptionFromTheMessageFile) {
    const ScratchDir dir;
    dir.write("ar/tarnwick.ftl",
              "locale.native_name = \"العربية\"\n"
              "locale.english_name = Arabic\n"
              "locale.rtl = YES\n"
              "locale.fallback = fr-FR\n");
    dir.write("nl/tarnwick.ftl",
              "locale.native_name =\n"
              "locale.english_name = \"\"\n"
              "locale.rtl = perhaps\n"
              "locale.fallback =\n");
    dir.write("sv/tarnwick.ftl", "login.title = Logga in\n");
    // Not UTF-8: still listed, with the defaults.
    dir.write("pl/tarnwick.ftl", "locale.native_name = Polski\nlocale.rtl = yes\nx = \xB3\n");

    const auto found = discover_locales(dir.path());
    const std::vector<LocaleInfo> expected = {
        {"nl", "nl", std::nullopt, true, false, std::nullopt},
        {"pl", "pl", std::nullopt, true, false, std::nullopt},
        {"sv", "sv", std::nullopt, true, false, std::nullopt},
        {"ar", "العربية", "Arabic", true, true, "fr-FR"},
    };
    EXPECT_EQ(found, expected);
}

TEST(DiscoverLocales, EnabledFlagDropsLanguages) {
    const struct {
        const char* name;
        const char* ftl;
        const char* toml;  // nullptr: no locale.toml
        bool listed;
    } cases[] = {
        {"ftl off", "locale.enabled = off\n", nullptr, false},
        {"ftl unrecognised word", "locale.enabled = maybe\n", nullptr, true},
        {"ftl empty value", "locale.enabled =\n", nullptr, true},
        {"toml no over ftl yes", "locale.enabled = yes\n", "enabled = no\n", false},
        {"toml empty value changes nothing", "locale.enabled = yes\n", "enabled =\n", true},
        {"toml empty value keeps ftl off", "locale.enabled = off\n", "enabled = \"\"\n", false},
        {"toml re-enables", "locale.enabled = 0\n", "enabled = \"true\"\n", true},
        {"toml unrecognised word", "locale.enabled = false\n", "enabled = sure\n", false},
        {"toml last line wins", "", "enabled = no\nenabled = yes\n", true},
    };
    for (const auto& c : cases) {
        const ScratchDir dir;
        dir.write("de-DE/tarnwick.ftl", c.ftl);
        dir.write("fr-FR/tarnwick.ftl", "");
        if (c.toml) dir.write("de-DE/locale.toml", c.toml);
        const auto tags = tags_of(discover_locales(dir.path()));
        const bool listed = std::find(tags.begin(), tags.end(), "de-DE") != tags.end();
        EXPECT_EQ(listed, c.listed) << c.name;
    }
}

TEST(DiscoverLocales, EveryLanguageDisabledGivesBuiltIn) {
    const ScratchDir dir;
    dir.write("de-DE/tarnwick.ftl", "locale.enabled = no\n");
    dir.write("fr-FR/tarnwick.ftl", "");
    dir.write("fr-FR/locale.toml", "enabled = off\n");
    EXPECT_EQ(discover_locales(dir.path()), std::vector<LocaleInfo>{builtin_locale()});
}

TEST(DiscoverLocales, LocaleTomlOverridesTheMessageFile) {
    const ScratchDir dir;
    dir.write(
        "german/tarnwick.ftl",
        "locale.native_name = Deutsch (ftl)\nlocale.english_name = German (ftl)\nlocale.rtl = yes\n"
        "locale.fallback = en-GB\n");
    dir.write("german/locale.toml",
              "# overrides\n"
              "tag = \"de-DE\"\n"
              "native_name = \" Deutsch \"\n"
              "english_name = German\n"
              "rtl = false\n"
              "fallback = de-AT\n"
              "locale.native_name = ignored\n"
              "native_name =\n");
    // A locale.toml that is a folder or not UTF-8 is ignored.
    dir.write("fi/tarnwick.ftl", "locale.native_name = Suomi\n");
    dir.mkdir("fi/locale.toml");
    dir.write("da/tarnwick.ftl", "locale.native_name = Dansk\n");
    dir.write("da/locale.toml", "tag = da-DK\nnative_name = Dan\xE6sk\n");

    const std::vector<LocaleInfo> expected = {
        {"da", "Dansk", std::nullopt, true, false, std::nullopt},
        {"de-DE", "Deutsch", "German", true, false, "de-AT"},
        {"fi", "Suomi", std::nullopt, true, false, std::nullopt},
    };
    EXPECT_EQ(discover_locales(dir.path()), expected);
}

TEST(DiscoverLocales, FolderNameNotUtf8IsDecodedLossily) {
    const ScratchDir dir;
    dir.write("x\xFFy/tarnwick.ftl", "");
    const auto found = discover_locales(dir.path());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].tag, "x\xEF\xBF\xBDy");
    EXPECT_EQ(found[0].native_name, "x\xEF\xBF\xBDy");
}

TEST(LocaleOrdering, EnglishFirstThenNativeNames) {
    const ScratchDir dir;
    dir.write("en-GB/tarnwick.ftl", "locale.native_name = English (UK)\n");
    dir.write("de-DE/tarnwick.ftl", "locale.native_name = Deutsch\n");
    dir.write("en-US/tarnwick.ftl", "locale.native_name = English\n");
    dir.write("fr-FR/tarnwick.ftl", "locale.native_name = français\n");
    dir.write("en/tarnwick.ftl", "locale.native_name = Zzz English\n");
    EXPECT_EQ(tags_of(discover_locales(dir.path())),
              (std::vector<std::string>{"en-US", "en", "en-GB", "de-DE", "fr-FR"}));
}

TEST(LocaleOrdering, Rules) {
    const struct {
        LocaleInfo a, b;
        std::weak_ordering expected;
    } cases[] = {
        {locale("en-US", "Zulu"), locale("en", "Aardvark"), std::weak_ordering::less},
        {locale("en-US", "A"), locale("en-US", "B"), std::weak_ordering::equivalent},
        // English tags by tag, whatever the names; "english" is not English.
        {locale("en-GB", "A"), locale("en-AU", "B"), std::weak_ordering::greater},
        {locale("en", "B"), locale("enx", "A"), std::weak_ordering::less},
        {locale("eng", "A"), locale("en-ZA", "Z"), std::weak_ordering::greater},
        {locale("EN-us", "Zz"), locale("de", "B"), std::weak_ordering::greater},
        // Names compared lower-cased, bytewise; ties broken by tag.
        {locale("zz", "deutsch"), locale("aa", "Español"), std::weak_ordering::less},
        {locale("b", "Français"), locale("a", "FRANÇAIS"), std::weak_ordering::greater},
        {locale("a", "Ελληνικά"), locale("b", "ελληνικά"), std::weak_ordering::less},
        {locale("same", "Name"), locale("same", "name"), std::weak_ordering::equivalent},
        // Bytewise: non-ASCII sorts after ASCII letters.
        {locale("x", "Ελληνικά"), locale("y", "zulu"), std::weak_ordering::greater},
        // Full lower-casing: "İ" becomes "i" + U+0307, which sorts after "ib".
        {locale("tr", "İa"), locale("zz", "ib"), std::weak_ordering::greater},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(locale_ordering(c.a, c.b), c.expected)
            << c.a.tag << "/" << c.a.native_name << " vs " << c.b.tag << "/" << c.b.native_name;
        EXPECT_EQ(locale_ordering(c.b, c.a), 0 <=> c.expected)
            << "reversed " << c.a.tag << " " << c.b.tag;
    }
}

TEST(LocaleOrdering, SortIsStable) {
    std::vector<LocaleInfo> list = {locale("x", "Same"), locale("en-US", "first"),
                                    locale("x", "same"), locale("en-US", "second"),
                                    locale("x", "SAME")};
    sort_locales(list);
    std::vector<std::string> names;
    for (const auto& l : list) names.push_back(l.native_name);
    EXPECT_EQ(names, (std::vector<std::string>{"first", "second", "Same", "same", "SAME"}));
}

TEST(LowercaseFull, MapsWholeTexts) {
    const struct {
        std::string_view text, expected;
    } cases[] = {
        {"FRANÇAIS", "français"},
        {"İstanbul", "i\xCC\x87stanbul"},
        // Capital sigma: final form at the end of a word, also before a
        // case-ignorable mark, else the ordinary form.
        {"ΟΔΟΣ", "οδο\xCF\x82"},
        {"ΟΔΟΣ ΣΑΣ", "οδο\xCF\x82 \xCF\x83α\xCF\x82"},
        {"Σ", "\xCF\x83"},
        {"ΑΣ.", "α\xCF\x82."},
        {"ΑΣΑ", "α\xCF\x83α"},
        {"ǅ", "ǆ"},
        {"Ⅻ", "ⅻ"},
        {"a\xFF"
         "B",
         "a\xFF"
         "b"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lowercase_full(c.text), c.expected) << c.text;
    }
}

TEST(UppercaseFull, MapsWholeTexts) {
    const struct {
        std::string_view text, expected;
    } cases[] = {
        {"Straße", "STRASSE"},  // one character becomes two
        {"ﬃ", "FFI"},
        {"ŉ", "ʼN"},
        {"ΐ", "\xCE\x99\xCC\x88\xCC\x81"},  // Ι, combining diaeresis, acute
        {"ᾳ", "\xCE\x91\xCE\x99"},          // capital alpha, capital iota
        {"ǆ", "Ǆ"},
        {"ⅻ", "Ⅻ"},
        {"français", "FRANÇAIS"},
        {"ı", "I"},
        {"a\xFF"
         "b",
         "A\xFF"
         "B"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(uppercase_full(c.text), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace tarnwick
