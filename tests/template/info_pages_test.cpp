#include "template/pages/confirm_page.h"
#include "template/pages/info_page.h"
#include "template/pages/result_page.h"

#include "core/catalog.h"
#include "template/twml/loader.h"

#include "support/english_catalog.h"
#include "support/scratch_dir.h"
#include "template/twml_fixture.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdio>
#include <filesystem>

namespace tarnwick::tmpl {
namespace {

constexpr std::string_view kInfo = "pages/system-info.twml";
constexpr std::string_view kConfirm = "pages/confirm-reboot.twml";

std::string page(std::string_view root_attrs, std::string_view body) {
    return fmt::format(R"(<screen schema="2.0" id="info"{}><main>{}</main></screen>)", root_attrs,
                       body);
}

// "label=value" per row, headings as "[LABEL]".
std::string rows_text(const std::vector<FormField>& rows) {
    std::string out;
    for (const FormField& row : rows) {
        EXPECT_TRUE(row.disabled) << row.label;
        EXPECT_FALSE(row.choices.has_value()) << row.label;
        out += row.heading ? "[" + row.label + "]" : row.id + ":" + row.label + "=" + row.value;
        out += ";";
    }
    return out;
}

class PageFolders : public testing::Test {
protected:
    SearchFolders search;
    const std::array<std::string, 3>& folders = search.paths();
    Catalog catalog = [] {
        Catalog c;
        c.messages = {{"info.system", "System information"}, {"info.hostname", "Hostname"},
                      {"info.section.host", "Host"},         {"", "(empty key)"},
                      {"confirm.reboot", "Reboot now?"},     {"confirm.custom", "Custom question?"},
                      {"confirm.body", "Body question?"}};
        return c;
    }();
    BindingStore store = [] {
        BindingStore s = register_binding_keys();
        (void)set_binding(s, "sys.hostname", BindingValue::text("fw1"));
        return s;
    }();

    void put(std::size_t folder, std::string_view relative, std::string_view content) {
        search.put(folder, relative, content);
    }

    // What the info page showed: "title|rows", or "none" when nothing was.
    std::string show(bool admin, std::optional<FormOutcome> view_result = FormOutcome::Back) {
        std::string shown = "none";
        const auto outcome =
            show_info_page_from(folders, kInfo, store, admin, catalog,
                                [&](std::string_view title, const std::vector<FormField>& rows) {
                                    shown = std::string(title) + "|" + rows_text(rows);
                                    return view_result;
                                });
        EXPECT_EQ(outcome.has_value(), shown != "none" && view_result.has_value()) << shown;
        return shown;
    }

    // The question asked ("no dialog" when none was) and the answer.
    std::pair<std::string, bool> confirm(bool admin, std::optional<bool> answer = true) {
        std::string asked = "no dialog";
        const bool yes = confirm_page_from(folders, kConfirm, "confirm.reboot", catalog, admin,
                                           [&](std::string_view message) {
                                               asked = std::string(message);
                                               return answer;
                                           });
        return {asked, yes};
    }
};

TEST_F(PageFolders, InfoPageRowsFollowTheViewersCapabilities) {
    put(0, kInfo,
        page(R"( require="session" title-key="info.system")",
             R"(<section title-key="info.section.host">)"
             R"(<field id="hostname" label-key="info.hostname" bind="sys.hostname"/>)"
             R"(<field id="uptime" bind="sys.uptime"/>)"
             R"(<field id="power" label-key="info.hostname" bind="sys.os" require="power"/>)"
             R"(<field id="title" bind="page.title"/><field id="diag" bind="diag.path"/>)"
             R"(<field id="unknown" bind="no.such.key"/><field id="plain"/>)"
             R"(<field id="choice" type="choice" choices="a,b" bind="sys.os"/></section>)"
             R"(<section><text>ignored</text><header/><menu><item id="i" action="back"/></menu>)"
             R"(</section>)"));
    const std::string common =
        "[Host];hostname:Hostname=fw1;uptime:uptime=;{}title:title=—;diag:diag=—;"
        "unknown:unknown=—;plain:plain=;choice:choice=;[(empty key)];";
    EXPECT_EQ(show(false), "System information|" + fmt::format(fmt::runtime(common), ""));
    EXPECT_EQ(show(true),
              "System information|" + fmt::format(fmt::runtime(common), "power:Hostname=;"));
}

TEST_F(PageFolders, InfoPageTitleComesFromBindingKeyOrId) {
    struct Case {
        const char* attrs;
        const char* hostname;
        const char* title;
    };
    const Case cases[] = {
        {R"( title-bind="sys.hostname" title-key="info.system")", "fw1", "fw1"},
        {R"( title-bind="sys.hostname" title-key="info.system")", "", "System information"},
        {R"( title-bind="sys.hostname")", "", "info"},
        // A binding the viewer may not read, or no binding, gives the key.
        {R"( title-bind="page.title" title-key="info.system")", "fw1", "System information"},
        {R"( title-bind="no.such" title-key="info.missing")", "fw1", "info.missing"},
        {"", "fw1", "info"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attrs);
        (void)set_binding(store, "sys.hostname", text_or_empty_binding(c.hostname));
        put(0, kInfo, page(std::string(R"( require="session")") + c.attrs, R"(<field id="f"/>)"));
        const std::string shown = show(false);
        EXPECT_EQ(shown.substr(0, shown.find('|')), c.title);
    }
}

TEST_F(PageFolders, InfoPageSearchStopsAtAPageTheViewerMayNotSee) {
    const std::string second = page(R"( require="session")", R"(<field id="second"/>)");
    struct Case {
        const char* name;
        std::string first;
        std::string as_user;
        std::string as_admin;
    };
    const Case cases[] = {
        {"no page in the first folder", "", "info|second:second=;", "info|second:second=;"},
        {"broken page", "<screen id=\"x\"><main><button/></main></screen>", "info|second:second=;",
         "info|second:second=;"},
        {"no rows", page(R"( require="session")", "<text>nothing</text>"), "info|second:second=;",
         "info|second:second=;"},
        {"only rows the viewer may not see",
         page(R"( require="session")", R"(<field id="f" require="power"/>)"),
         "info|second:second=;", "info|f:f=;"},
        {"requires power", page(R"( require="power")", R"(<field id="first"/>)"), "none",
         "info|first:first=;"},
        {"requires public (no require)", page("", R"(<field id="first"/>)"), "none", "none"},
    };
    put(1, kInfo, second);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.first.empty()) {
            std::remove(search.file(0, kInfo).c_str());
        } else {
            put(0, kInfo, c.first);
        }
        EXPECT_EQ(show(false), c.as_user);
        EXPECT_EQ(show(true), c.as_admin);
    }
}

TEST_F(PageFolders, InfoPageWhoseViewFailsCountsAsNotShown) {
    put(0, kInfo, page(R"( require="session")", R"(<field id="f"/>)"));
    EXPECT_EQ(show(false, std::nullopt), "info|f:f=;");
    for (auto& folder : folders) std::filesystem::remove_all(folder);
    EXPECT_EQ(show(false), "none");
}

TEST_F(PageFolders, ConfirmPageAsksTheQuestionOfTheFirstPageThatLoads) {
    const std::string later = page(R"( require="session" title-key="confirm.custom")", "");
    struct Case {
        const char* name;
        std::string first;
        std::string third;
        std::pair<std::string, bool> as_user;
        std::pair<std::string, bool> as_admin;
    };
    const Case cases[] = {
        {"no page anywhere", "", "", {"Reboot now?", true}, {"Reboot now?", true}},
        {"a broken page passes the search on",
         "<screen/>",
         later,
         {"Custom question?", true},
         {"Custom question?", true}},
        {"title key",
         page(R"( require="session" title-key="confirm.custom")", ""),
         "",
         {"Custom question?", true},
         {"Custom question?", true}},
        {"text key in a section",
         page(R"( require="session")",
              R"(<text>no key</text><menu><text key="confirm.menu"/></menu>)"
              R"(<section><text key="confirm.body"/></section><text key="confirm.later"/>)"),
         "",
         {"Body question?", true},
         {"Body question?", true}},
        // The first page that loads decides, even without a key of its own.
        {"neither",
         page(R"( require="session")", "<text>words</text>"),
         later,
         {"Reboot now?", true},
         {"Reboot now?", true}},
        {"requires power",
         page(R"( require="power" title-key="confirm.custom")", ""),
         later,
         {"no dialog", false},
         {"Custom question?", true}},
        {"requires public",
         page(R"( title-key="confirm.custom")", ""),
         later,
         {"no dialog", false},
         {"no dialog", false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (auto& folder : folders) std::filesystem::remove_all(folder + "/pages");
        if (!c.first.empty()) put(0, kConfirm, c.first);
        if (!c.third.empty()) put(2, kConfirm, c.third);
        EXPECT_EQ(confirm(false), c.as_user);
        EXPECT_EQ(confirm(true), c.as_admin);
    }
}

TEST_F(PageFolders, ConfirmAnswersNoOnNoAndOnAFailedDialog) {
    EXPECT_EQ(confirm(true, false), (std::pair<std::string, bool>{"Reboot now?", false}));
    EXPECT_EQ(confirm(true, std::nullopt), (std::pair<std::string, bool>{"Reboot now?", false}));
}

TEST_F(PageFolders, ConfirmQuestionTakesItsPlaceholderFromEitherKey) {
    catalog.messages["confirm.reboot"] = "Reboot {host} now?";
    catalog.messages["confirm.custom"] = "Freeze {host} ({host})?";
    catalog.messages["confirm.body"] = "No placeholder here?";
    struct Case {
        const char* name;
        std::string page;  // none: the default key
        std::string asked;
    };
    const Case cases[] = {
        {"default key", "", "Reboot fw1 now?"},
        {"the page's title key, every occurrence",
         page(R"( require="session" title-key="confirm.custom")", ""), "Freeze fw1 (fw1)?"},
        {"a message without it is asked as it is",
         page(R"( require="session")", R"(<text key="confirm.body"/>)"), "No placeholder here?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (auto& folder : folders) std::filesystem::remove_all(folder + "/pages");
        if (!c.page.empty()) put(0, kConfirm, c.page);
        std::string asked = "no dialog";
        EXPECT_TRUE(confirm_page_from(
            folders, kConfirm, "confirm.reboot", catalog, false,
            [&](std::string_view message) {
                asked = std::string(message);
                return true;
            },
            QuestionArg{"host", "fw1"}));
        EXPECT_EQ(asked, c.asked);
    }
}

TEST(FirstTextKey, SearchesMainAndSectionsDepthFirst) {
    auto nodes = [](std::string_view body) {
        test::ScratchDir dir;
        auto loaded = load_page(dir.write("p.twml", page("", body)), dir.path());
        EXPECT_TRUE(loaded) << body;
        return loaded ? loaded->nodes : std::vector<TwmlNode>{};
    };
    EXPECT_EQ(first_text_key(nodes(R"(<section><section><text key="deep"/></section></section>)"
                                   R"(<text key="after"/>)")),
              "deep");
    EXPECT_EQ(first_text_key(nodes(R"(<text/><text key="second"/>)")), "second");
    EXPECT_EQ(first_text_key(nodes(R"(<menu><text key="in-menu"/></menu>)")), std::nullopt);
    EXPECT_EQ(first_text_key(nodes("")), std::nullopt);
}

TEST(FormItems, TranslateLabelsAndHeadings) {
    Catalog catalog;
    catalog.messages = {{"info.section.host", "Host"}, {"info.hostname", "Hostname"}};
    FormItem explicit_label = form_item_field("addr_0", "info.hostname", "10.0.0.5");
    explicit_label.label = "eth0";
    FormItem section_with_label = form_item_section("info.section.host");
    section_with_label.label = "ignored";
    const std::vector<FormItem> items = {
        section_with_label,
        form_item_field("hostname", "info.hostname", "fw1"),
        explicit_label,
        form_item_field("plain", "", "v"),
        form_item_field("missing", "info.missing", ""),
    };
    EXPECT_EQ(rows_text(translate_form_items(items, catalog)),
              "[Host];hostname:Hostname=fw1;addr_0:eth0=10.0.0.5;plain:plain=v;"
              "missing:info.missing=;");
}

TEST(FormItems, ResultPageEntriesListEveryDetail) {
    auto entries = [](const OperationResult& result) {
        std::string out;
        for (const FormItem& item : result_form_items(result)) {
            out += item.section
                       ? "[" + item.label_key + "]"
                       : item.id + ":" + item.label.value_or(item.label_key) + "=" + item.value;
            out += ";";
        }
        return out;
    };
    EXPECT_EQ(entries({"t", "Apply failed", {}, false}),
              "[result.section.outcome];success:result.success=no;"
              "summary:result.summary=Apply failed;[result.section.details];"
              "detail_none:result.no_details=—;");
    EXPECT_EQ(entries({"", "ok", {{"step_0", "em0"}, {"step_1", ""}}, true}),
              "[result.section.outcome];success:result.success=yes;summary:result.summary=ok;"
              "[result.section.details];detail_0:step_0=em0;detail_1:step_1=;");
    OperationResult many{"", "", {}, true};
    for (int i = 0; i < 40; ++i) many.details.emplace_back("l", "v");
    const auto items = result_form_items(many);
    ASSERT_EQ(items.size(), 44u);
    EXPECT_EQ(items.back().id, "detail_39");
}

}  // namespace
}  // namespace tarnwick::tmpl

namespace tarnwick::tmpl {
namespace {

TEST(ShippedPages, ServeTheirViewers) {
    const std::vector<std::string> res = {std::string(TARNWICK_SOURCE_DIR) + "/res/templates"};
    const Catalog catalog = test::english_catalog();
    BindingStore store = register_binding_keys();
    (void)set_binding(store, "sys.hostname", BindingValue::text("fw1"));
    (void)set_binding(store, "sys.memory", BindingValue::text("16384 MB (16.0 GB)"));
    (void)set_binding(store, "sys.addr.0.address", BindingValue::text("192.0.2.10"));
    for (const bool admin : {false, true}) {
        SCOPED_TRACE(admin);
        std::string shown;
        const auto outcome =
            show_info_page_from(res, "pages/system-info.twml", store, admin, catalog,
                                [&](std::string_view title, const std::vector<FormField>& rows) {
                                    shown = std::string(title) + "|" + rows_text(rows);
                                    return FormOutcome::Back;
                                });
        EXPECT_TRUE(outcome);
        EXPECT_EQ(shown.rfind("System information|[Host];hostname:Hostname=fw1;", 0), 0u) << shown;
        EXPECT_NE(shown.find("memory:System memory=16384 MB (16.0 GB);"), std::string::npos);
        EXPECT_NE(shown.find("[Addresses];address_count:Addresses=;addr_0:=192.0.2.10;"),
                  std::string::npos)
            << shown;

        OperationResult result{"Apply IPv4", "Configuration applied", {{"step_0", "em0"}}, true};
        BindingStore result_store = register_binding_keys();
        ASSERT_TRUE(bind_result(result, result_store));
        (void)show_info_page_from(res, "pages/result.twml", result_store, admin, catalog,
                                  [&](std::string_view title, const std::vector<FormField>& rows) {
                                      shown = std::string(title) + "|" + rows_text(rows);
                                      return FormOutcome::Back;
                                  });
        EXPECT_EQ(shown.rfind("Apply IPv4|[Outcome];success:Succeeded=yes;summary:Summary="
                              "Configuration applied;[Details];detail_0:=em0;detail_1:=;",
                              0),
                  0u)
            << shown;

        // Only administrators hold power and network.write.
        for (const auto& [page, key] :
             {std::pair{"pages/confirm-poweroff.twml", "confirm.power_off"},
              std::pair{"pages/confirm-reboot.twml", "confirm.reboot"},
              std::pair{"pages/confirm-make-static.twml", "confirm.make_static"}}) {
            std::string asked = "no dialog";
            (void)confirm_page_from(res, page, "default.key", catalog, admin,
                                    [&](std::string_view message) {
                                        asked = std::string(message);
                                        return true;
                                    });
            EXPECT_EQ(asked, admin ? translate(catalog, key) : "no dialog") << page;
        }
        // The freeze question names its interface.
        std::string asked = "no dialog";
        (void)confirm_page_from(
            res, "pages/confirm-make-static.twml", "default.key", catalog, admin,
            [&](std::string_view message) {
                asked = std::string(message);
                return true;
            },
            QuestionArg{"interface", "vtnet0"});
        EXPECT_EQ(asked, admin ? "Save the live addresses of vtnet0 as its static configuration?"
                               : "no dialog");
    }
}

}  // namespace
}  // namespace tarnwick::tmpl
