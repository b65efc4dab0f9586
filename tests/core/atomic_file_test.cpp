#include "core/atomic_file.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <set>
#include <string>

#include "support/process.h"
#include "support/scratch_dir.h"

#include "support/ci_gate.h"

namespace tarnwick {
namespace {

struct stat stat_of(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

TEST(WriteFileAtomically, CreatesOrReplacesWithExactModeAndNoTemporaryLeft) {
    test::ScratchDir dir;
    const std::string target = dir.file("rc.conf");
    const mode_t old_umask = ::umask(0077);
    auto created = write_file_atomically(target, "first\n", {.mode = 0644, .owner = {}});
    ::umask(old_umask);
    ASSERT_TRUE(created) << display_atomic_write_error(created.error());
    EXPECT_EQ(dir.read("rc.conf"), "first\n");
    EXPECT_EQ(stat_of(target).st_mode & 07777, 0644u);  // the umask does not narrow it

    // A reader holding the old file keeps seeing the old text: the new one
    // arrives by rename, never by writing into the old inode.
    const ino_t old_inode = stat_of(target).st_ino;
    auto replaced = write_file_atomically(target, "second\n", {.mode = 0600, .owner = {}});
    ASSERT_TRUE(replaced) << display_atomic_write_error(replaced.error());
    EXPECT_EQ(dir.read("rc.conf"), "second\n");
    EXPECT_NE(stat_of(target).st_ino, old_inode);
    EXPECT_EQ(stat_of(target).st_mode & 07777, 0600u);

    auto emptied = write_file_atomically(target, "", {.mode = 0640, .owner = {}});
    ASSERT_TRUE(emptied);
    EXPECT_EQ(dir.read("rc.conf"), "");
    EXPECT_EQ(test::names_in(dir.path()), std::set<std::string>{"rc.conf"});
}

TEST(WriteFileAtomically, GivesTheOwner) {
    REQUIRE_ROOT("changing a file's owner needs root");
    test::ScratchDir dir;
    const std::string target = dir.file("owned");
    const FileOwner owner{test::nobody_uid(), test::nobody_gid()};
    auto written = write_file_atomically(target, "x", {.mode = 04755, .owner = owner});
    ASSERT_TRUE(written) << display_atomic_write_error(written.error());
    const struct stat st = stat_of(target);
    EXPECT_EQ(st.st_uid, owner.uid);
    EXPECT_EQ(st.st_gid, owner.gid);
    EXPECT_EQ(st.st_mode & 07777, 04755u);  // the mode is applied after the owner
}

TEST(WriteFileAtomically, ALinkAtTheNameIsReplacedNotFollowed) {
    test::ScratchDir dir;
    const std::string elsewhere = dir.write("elsewhere", "untouched");
    const std::string target = dir.file("link");
    ASSERT_EQ(::symlink(elsewhere.c_str(), target.c_str()), 0);
    ASSERT_TRUE(write_file_atomically(target, "new", {}));
    EXPECT_TRUE(S_ISREG(stat_of(target).st_mode));
    EXPECT_EQ(dir.read("link"), "new");
    EXPECT_EQ(dir.read("elsewhere"), "untouched");
}

// What a write killed before its rename left behind goes with the next write
// of the same target, and nothing else does.
TEST(WriteFileAtomically, RemovesOnlyItsOwnStaleTemporaryFiles) {
    REQUIRE_ROOT("the stale files must be owned by root");
    test::ScratchDir dir;
    const std::string elsewhere = dir.write("elsewhere", "untouched");
    enum class Kind { File, OtherOwner, Link, Folder };
    struct Planted {
        std::string name;
        Kind kind;
        bool removed;  // by the write of rc.conf
    };
    const Planted planted[] = {
        {".rc.conf.0123456789abcdef.tmp", Kind::File, true},
        {".rc.conf.fedcba9876543210.tmp", Kind::File, true},
        {".rc.conf.1111111111111111.tmp", Kind::OtherOwner, false},
        {".rc.conf.2222222222222222.tmp", Kind::Link, false},
        {".rc.conf.3333333333333333.tmp", Kind::Folder, false},
        // names that only resemble ours
        {".rc.conf.tarnwick.bak.0123456789abcdef.tmp", Kind::File, false},
        {".rc.conf.0123456789ABCDEF.tmp", Kind::File, false},
        {".rc.conf.0123456789abcde.tmp", Kind::File, false},
        {".rc.conf.0123456789abcdef0.tmp", Kind::File, false},
        {".rc.conf.0123456789abcdef.tmp~", Kind::File, false},
        {"rc.conf.0123456789abcdef.tmp", Kind::File, false},
        {".rc.conf0123456789abcdef.tmp", Kind::File, false},
        {".rc.con.0123456789abcdef.tmp", Kind::File, false},
    };
    std::set<std::string> kept{"elsewhere", "rc.conf"};
    for (const Planted& p : planted) {
        const std::string path = dir.file(p.name);
        switch (p.kind) {
            case Kind::File:
                dir.write(p.name, "partial");
                break;
            case Kind::OtherOwner:
                dir.write(p.name, "partial");
                ASSERT_EQ(::chown(path.c_str(), test::nobody_uid(), test::nobody_gid()), 0);
                break;
            case Kind::Link:
                ASSERT_EQ(::symlink(elsewhere.c_str(), path.c_str()), 0);
                break;
            case Kind::Folder:
                dir.write(p.name + "/inside", "kept");
                break;
        }
        if (!p.removed) kept.insert(p.name);
    }

    const std::string target = dir.file("rc.conf");
    auto written = write_file_atomically(target, "new\n", {});
    ASSERT_TRUE(written) << display_atomic_write_error(written.error());
    EXPECT_EQ(test::names_in(dir.path()), kept);
    EXPECT_EQ(dir.read("rc.conf"), "new\n");
    EXPECT_EQ(dir.read("elsewhere"), "untouched");
    EXPECT_TRUE(S_ISLNK(stat_of(dir.file(".rc.conf.2222222222222222.tmp")).st_mode));
    EXPECT_EQ(dir.read(".rc.conf.3333333333333333.tmp/inside"), "kept");

    // The backup's own temporaries are the backup write's to remove.
    ASSERT_TRUE(write_file_atomically(dir.file("rc.conf.tarnwick.bak"), "old\n", {}));
    kept.erase(".rc.conf.tarnwick.bak.0123456789abcdef.tmp");
    kept.insert("rc.conf.tarnwick.bak");
    EXPECT_EQ(test::names_in(dir.path()), kept);
}

TEST(WriteFileAtomically, FailuresLeaveTheTargetAndNoTemporaryFile) {
    test::ScratchDir dir;
    dir.mkdir("folder/inside");
    dir.write("folder/inside/keep", "kept");
    struct Case {
        const char* name;
        std::string target;
        AtomicWriteError::Step step;
        int errnum;
    };
    const Case cases[] = {
        {"missing folder", dir.file("missing/rc.conf"), AtomicWriteError::Step::CreateTemporary,
         ENOENT},
        {"a folder at the name", dir.file("folder/inside"), AtomicWriteError::Step::Rename, EISDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = write_file_atomically(c.target, "data", {});
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().step, c.step);
        EXPECT_EQ(result.error().errnum, c.errnum);
        EXPECT_EQ(result.error().path, c.target);
    }
    EXPECT_EQ(test::names_in(dir.file("folder")), std::set<std::string>{"inside"});
    EXPECT_EQ(dir.read("folder/inside/keep"), "kept");
    EXPECT_EQ(display_atomic_write_error({AtomicWriteError::Step::Rename, "/etc/rc.conf", EISDIR}),
              "could not replace for /etc/rc.conf: Is a directory (os error 21)");
}

TEST(WriteFileAtomically, AFullDiskLeavesTheOldFile) {
    test::ScratchDir dir;
    const std::string folder = dir.mkdir("small");
    const int status = test::in_private_mount_namespace([&folder]() {
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k") != 0)
            return test::kNoNamespace;
        const std::string target = folder + "/rc.conf";
        if (!write_file_atomically(target, "old\n", {})) return 1;
        auto full = write_file_atomically(target, std::string(1 << 20, 'x'), {});
        if (full || full.error().step != AtomicWriteError::Step::Write ||
            full.error().errnum != ENOSPC) {
            return 2;
        }
        if (test::read_file(target) != "old\n") return 3;
        if (test::names_in(folder) != std::set<std::string>{"rc.conf"}) return 4;
        return 0;
    });
    if (status == test::kNoNamespace)
        SKIP_OR_FAIL_IN_CI("no private mount namespace or tmpfs here");
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace tarnwick
