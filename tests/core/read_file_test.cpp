#include "core/read_file.h"

#include "core/unique_fd.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace tarnwick {
namespace {

using Kind = ReadFileError::Kind;

// The bytes read, or the kind and display text of the error.
struct Outcome {
    std::optional<Kind> kind;  // none: the read succeeded
    std::string text;          // the bytes, or display_read_file_error

    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* os) {
    *os << (outcome.kind ? static_cast<int>(*outcome.kind) : -1) << " \"" << outcome.text << '"';
}

Outcome outcome(const Result<std::string, ReadFileError>& read) {
    if (read) return Outcome{std::nullopt, *read};
    return Outcome{read.error().kind, display_read_file_error(read.error())};
}

class ReadFile : public testing::Test {
protected:
    std::string link(std::string_view name, const std::string& target) const {
        const std::string path = dir.file(name);
        EXPECT_EQ(::symlink(target.c_str(), path.c_str()), 0);
        return path;
    }

    test::ScratchDir dir;
};

TEST_F(ReadFile, ReadsOnlyRegularFilesWithinTheCap) {
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    const struct {
        const char* what;
        std::string path;
        std::size_t max_bytes;
        Outcome expected;
    } cases[] = {
        {"regular file", dir.write("a.txt", "hello\n"), 8, {std::nullopt, "hello\n"}},
        {"empty file", dir.write("empty", ""), 8, {std::nullopt, ""}},
        {"exactly the cap", dir.write("eight", "12345678"), 8, {std::nullopt, "12345678"}},
        {"one byte over the cap",
         dir.write("nine", "123456789"),
         8,
         {Kind::TooLarge, "file is larger than 8 bytes"}},
        {"link to a regular file", link("to-a", dir.file("a.txt")), 8, {std::nullopt, "hello\n"}},
        {"FIFO without a writer",
         dir.file("fifo"),
         8,
         {Kind::NotRegular, "Invalid argument (os error 22)"}},
        {"link to /dev/zero",
         link("zero", "/dev/zero"),
         kMaxConfigFileBytes,
         {Kind::NotRegular, "Invalid argument (os error 22)"}},
        {"character device", "/dev/null", 8, {Kind::NotRegular, "Invalid argument (os error 22)"}},
        {"directory", dir.mkdir("folder"), 8, {Kind::Directory, "Is a directory (os error 21)"}},
        {"missing",
         dir.file("missing"),
         8,
         {Kind::System, "No such file or directory (os error 2)"}},
        {"dangling link",
         link("dangling", dir.file("nowhere")),
         8,
         {Kind::System, "No such file or directory (os error 2)"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome(read_regular_file(c.path, c.max_bytes)), c.expected) << c.what;
    }
}

TEST_F(ReadFile, RelativeToAFolderWithOrWithoutFollowingALink) {
    dir.write("page.twml", "<screen/>");
    (void)link("link.twml", dir.file("page.twml"));
    UniqueFd folder(::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(folder);
    const Outcome read{std::nullopt, "<screen/>"};
    EXPECT_EQ(outcome(read_regular_file_at(folder.get(), "page.twml", 64, FinalLink::Refuse)),
              read);
    EXPECT_EQ(outcome(read_regular_file_at(folder.get(), "link.twml", 64, FinalLink::Follow)),
              read);
    EXPECT_EQ(outcome(read_regular_file_at(folder.get(), "link.twml", 64, FinalLink::Refuse)),
              (Outcome{Kind::System, "Too many levels of symbolic links (os error 40)"}));
}

TEST_F(ReadFile, TextMustBeUtf8) {
    EXPECT_EQ(outcome(read_text_file(dir.write("ok", "caf\xC3\xA9"), 64)),
              (Outcome{std::nullopt, "caf\xC3\xA9"}));
    EXPECT_EQ(outcome(read_text_file(dir.write("latin1", "caf\xE9"), 64)),
              (Outcome{Kind::InvalidUtf8, "stream did not contain valid UTF-8"}));
    // The read's own error comes first.
    EXPECT_EQ(outcome(read_text_file(dir.file("missing"), 64)).kind, Kind::System);
}

}  // namespace
}  // namespace tarnwick
