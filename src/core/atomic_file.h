#pragma once
// Replacing a file so that a crash at any moment leaves either the old or the
// new content under its name, never a part of either.

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/result.h"

namespace tarnwick {

struct FileOwner {
    uid_t uid = 0;
    gid_t gid = 0;
};

// What the new file gets: its permission bits (applied exactly, whatever the
// umask) and, when given, its owner.
struct AtomicWriteOptions {
    mode_t mode = 0644;
    std::optional<FileOwner> owner;
};

// The step that failed and its errno.
struct AtomicWriteError {
    enum class Step {
        CreateTemporary,
        Write,
        SetOwner,
        SetMode,
        SyncFile,
        Rename,
        SyncFolder,
    };
    Step step = Step::CreateTemporary;
    std::string path;  // the target
    int errnum = 0;
};

// "could not <step> for <path>: <strerror> (os error N)".
std::string display_atomic_write_error(const AtomicWriteError& error);

// Writes `data` to a new temporary file ".<name>.<16 hex digits>.tmp" in the
// target's folder (created with O_EXCL and O_NOFOLLOW, so no existing file or
// link is ever opened), gives it the mode and owner, syncs it, renames it over
// `path` and syncs the folder. Until the rename, any error removes the
// temporary file and leaves `path` as it was. A process killed before the
// rename cannot remove its own: each write first removes the root-owned
// regular files of exactly that naming for the same target (never through a
// link, never opening them), and goes on whether or not that succeeds. A
// failed sync of the folder after the rename is still reported: the new
// content is in place but may not survive a crash.
Result<void, AtomicWriteError> write_file_atomically(const std::string& path, std::string_view data,
                                                     const AtomicWriteOptions& options);

}  // namespace tarnwick
