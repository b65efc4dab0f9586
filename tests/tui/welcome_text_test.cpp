#include "tui/welcome/welcome_text.h"

#include "core/console_log.h"
#include "core/console_log_internal.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

namespace tarnwick::tui {
namespace {

TEST(WelcomeFileNames, TagThenLanguageThenPlain) {
    const struct {
        const char* tag;
        std::vector<std::string> expected;
    } cases[] = {
        {"fr_FR", {"welcome.fr_FR.md", "welcome.fr.md", "welcome.md"}},
        {"de", {"welcome.de.md", "welcome.md"}},
        {" en-US ", {"welcome.en-US.md", "welcome.en.md", "welcome.md"}},
        {"pt-BR_x", {"welcome.pt-BR_x.md", "welcome.pt.md", "welcome.md"}},
        {"-x", {"welcome.-x.md", "welcome.md"}},
        {"", {"welcome.md"}},
        {"  ", {"welcome.md"}},
        {"../../etc/passwd", {"welcome.md"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(welcome_file_names(c.tag), c.expected) << c.tag;
    }
}

class WelcomeText : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = console_log_internal::console_log_path();
        console_log_internal::set_console_log_path(log_.file("console.log"));
    }
    void TearDown() override { console_log_internal::set_console_log_path(saved_); }

    std::vector<std::string> folders() const { return {config_.path(), etc_.path(), res_.path()}; }

    // The last console-log line without its time stamp.
    static std::string last_log_line() {
        auto lines = console_ring_snapshot();
        if (lines.empty()) {
            return "";
        }
        const std::string& line = lines.back();
        std::size_t end = line.find("] ");
        return end == std::string::npos ? line : line.substr(end + 2);
    }

    test::ScratchDir log_;
    test::ScratchDir config_;
    test::ScratchDir etc_;
    test::ScratchDir res_;

private:
    std::string saved_;
};

TEST_F(WelcomeText, FoldersComeBeforeNames) {
    config_.write("welcome.md", "plain in config\n");
    etc_.write("welcome.en-US.md", "tagged in etc\n");
    auto lines = load_welcome_text_from(folders(), "en-US");
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].at(0).text, "plain in config");
    EXPECT_EQ(last_log_line(),
              "welcome loaded locale=en-US file=" + config_.path() + "/welcome.md");
}

TEST_F(WelcomeText, SkipsFilesThatShowNothingOrCannotBeRead) {
    config_.write("welcome.en-US.md", "\n  \n---\n\n");
    config_.write("welcome.en.md", "caf\xE9\n");  // not UTF-8
    config_.mkdir("welcome.md");
    res_.write("welcome.en.md", "# From res\r\n\r\n- item\r\n\r\n");
    auto lines = load_welcome_text_from(folders(), " en-US");
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_EQ(lines[0].at(0).text, "From res");
    EXPECT_TRUE(lines[1].empty());
    EXPECT_EQ(lines[2].size(), 2U);
    // The tag is logged as given.
    EXPECT_EQ(last_log_line(),
              "welcome loaded locale= en-US file=" + res_.path() + "/welcome.en.md");
}

TEST_F(WelcomeText, NothingUsableGivesNoLinesAndNoLogLine) {
    const std::size_t before = console_ring_len();
    etc_.write("welcome.md", "\n\n");
    EXPECT_TRUE(load_welcome_text_from(folders(), "de").empty());
    EXPECT_EQ(console_ring_len(), before);
}

TEST_F(WelcomeText, TheFixedFoldersFollowTheConfigurationFolder) {
    // A test program, like the build tree's console, reads the source tree last.
    EXPECT_EQ(welcome_folders("/cfg"),
              (std::vector<std::string>{"/cfg", "/usr/local/etc/tarnwick",
                                        std::string(TARNWICK_SOURCE_DIR) + "/res"}));
}

}  // namespace
}  // namespace tarnwick::tui
