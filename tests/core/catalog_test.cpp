#include "core/catalog.h"

#include "support/scratch_dir.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using test::ScratchDir;

Catalog catalog_of(KvMap messages, KvMap fallback_messages = {}) {
    return Catalog{"xx", "en-US", std::move(messages), std::move(fallback_messages)};
}

TEST(Catalog, NoLocalesFolderTranslatesKeysToThemselves) {
    const ScratchDir dir;
    const Catalog catalog = load_catalog(dir.file("absent"), "fr-FR", "en-US");
    EXPECT_EQ(catalog.tag, "fr-FR");
    EXPECT_EQ(catalog.fallback_tag, "en-US");
    EXPECT_TRUE(catalog.messages.empty());
    EXPECT_TRUE(catalog.fallback_messages.empty());
    EXPECT_EQ(translate(catalog, "login.title"), "login.title");
}

TEST(Catalog, LocaleThenFallbackThenKey) {
    const ScratchDir dir;
    dir.write(
        "en-US/tarnwick.ftl",
        "login.title = Login\nonly.english = English only\nsession.welcome = Welcome, {user}\n");
    dir.write("fr-FR/tarnwick.ftl", "login.title = Connexion\nsession.welcome =\n");
    const Catalog catalog = load_catalog(dir.path(), "fr-FR", "en-US");
    const struct {
        std::string_view key, expected;
    } cases[] = {
        {"login.title", "Connexion"},
        {"only.english", "English only"},
        {"nowhere", "nowhere"},
        // An empty message is found: it hides the fallback's text.
        {"session.welcome", ""},
        // Keys match byte for byte.
        {"Login.title", "Login.title"},
        {"login.title ", "login.title "},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(translate(catalog, c.key), c.expected) << c.key;
    }
}

TEST(Catalog, UnreadableFilesGiveEmptyMaps) {
    const ScratchDir dir;
    dir.write("en-US/tarnwick.ftl", "a = English\n");
    dir.write("pl/tarnwick.ftl", "a = Polski \xB3\n");
    dir.mkdir("de/tarnwick.ftl");
    EXPECT_EQ(translate(load_catalog(dir.path(), "pl", "en-US"), "a"), "English");
    EXPECT_EQ(translate(load_catalog(dir.path(), "de", "en-US"), "a"), "English");
    EXPECT_EQ(translate(load_catalog(dir.path(), "it", "en-US"), "a"), "English");
    EXPECT_EQ(translate(load_catalog(dir.path(), "pl", "xx"), "a"), "a");
}

TEST(Catalog, SameTagFillsBothMapsFromOneFile) {
    const ScratchDir dir;
    dir.write("en-US/tarnwick.ftl", "a = 1\nb = 2\n");
    const Catalog catalog = load_catalog(dir.path(), "en-US", "en-US");
    EXPECT_EQ(catalog.messages, (KvMap{{"a", "1"}, {"b", "2"}}));
    EXPECT_EQ(catalog.fallback_messages, catalog.messages);
}

TEST(Catalog, TagsAreJoinedAsGiven) {
    const ScratchDir dir;
    dir.write("tarnwick.ftl", "where = top\n");
    dir.write("nested/de/tarnwick.ftl", "where = nested\n");
    EXPECT_EQ(translate(load_catalog(dir.path(), "", "none"), "where"), "top");
    EXPECT_EQ(translate(load_catalog(dir.path(), "nested/de", "none"), "where"), "nested");
    EXPECT_EQ(translate(load_catalog(dir.path() + "/", "nested/de", "none"), "where"), "nested");
}

TEST(SelectCatalog, FallbackFromTheLanguageElseConfiguration) {
    const ScratchDir dir;
    dir.write("en-US/tarnwick.ftl", "k = from en-US\n");
    dir.write("de-DE/tarnwick.ftl", "k = from de-DE\n");
    dir.write("de-AT/tarnwick.ftl", "other = x\n");
    dir.write("fr-FR/tarnwick.ftl", "other = x\n");

    LocaleInfo austrian{"de-AT", "Österreichisch", std::nullopt, true, false, "de-DE"};
    LocaleInfo french{"fr-FR", "français", std::nullopt, true, false, std::nullopt};
    LocaleInfo empty_fallback{"de-DE", "Deutsch", std::nullopt, true, false, ""};
    const std::vector<LocaleInfo> languages = {austrian, french, empty_fallback};

    const struct {
        std::string_view tag;
        std::string_view fallback_tag;
        std::string_view k;
    } cases[] = {
        {"de-AT", "de-DE", "from de-DE"},
        {"fr-FR", "en-US", "from en-US"},
        {"de-DE", "en-US", "from de-DE"},
        {"it-IT", "en-US", "from en-US"},
        // Found only by a byte-equal tag.
        {"DE-AT", "en-US", "from en-US"},
    };
    for (const auto& c : cases) {
        const Catalog catalog = select_catalog(dir.path(), c.tag, languages, "en-US");
        EXPECT_EQ(catalog.tag, c.tag);
        EXPECT_EQ(catalog.fallback_tag, c.fallback_tag) << c.tag;
        EXPECT_EQ(translate(catalog, "k"), c.k) << c.tag;
    }

    // The first matching entry decides.
    LocaleInfo second_austrian = austrian;
    second_austrian.fallback = "fr-FR";
    EXPECT_EQ(
        select_catalog(dir.path(), "de-AT", {austrian, second_austrian}, "en-US").fallback_tag,
        "de-DE");
}

TEST(TranslateArg, FillsOnePlaceholder) {
    const Catalog catalog = catalog_of({{"twice", "{user} and {user}"},
                                        {"mixed", "{n} of {user}: {users} {user"},
                                        {"adjacent", "{user}{user}"},
                                        {"nested", "{{user}}"},
                                        {"empty", ""}},
                                       {{"session.welcome", "Welcome, {user}"}});
    const struct {
        std::string_view key, name, value, expected;
    } cases[] = {
        {"session.welcome", "user", "root", "Welcome, root"},
        {"twice", "user", "root", "root and root"},
        // The inserted value is not expanded again.
        {"twice", "user", "{user}", "{user} and {user}"},
        {"adjacent", "user", "{us", "{us{us"},
        {"mixed", "user", "bob", "{n} of bob: {users} {user"},
        {"nested", "user", "x", "{x}"},
        {"session.welcome", "name", "root", "Welcome, {user}"},
        {"empty", "user", "root", ""},
        {"missing.key", "user", "root", "missing.key"},
        // A key that names its own placeholder is filled too.
        {"{user}.key", "user", "x", "x.key"},
        {"session.welcome", "user", "", "Welcome, "},
        {"session.welcome", "", "X", "Welcome, {user}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(translate_arg(catalog, c.key, c.name, c.value), c.expected)
            << c.key << " {" << c.name << "} = " << c.value;
    }
    EXPECT_EQ(translate_arg(catalog_of({{"k", "a{}b"}}), "k", "", "X"), "aXb");
}

}  // namespace
}  // namespace tarnwick
