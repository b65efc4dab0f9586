#include "core/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/text.h"
#include "core/unique_fd.h"
#include "core/write_all.h"

namespace tarnwick {
namespace {

constexpr int kCreateAttempts = 16;
constexpr std::size_t kRandomBytes = 8;
constexpr std::string_view kTemporarySuffix = ".tmp";

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string base_name_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ".<name>.<16 hex digits>.tmp" beside the target; nullopt when no random
// bytes are available.
std::optional<std::string> temporary_name(const std::string& path) {
    std::array<unsigned char, kRandomBytes> random{};
    if (::getentropy(random.data(), random.size()) != 0) return std::nullopt;
    std::string suffix;
    for (const unsigned char b : random) {
        std::array<char, 3> hex{};
        std::snprintf(hex.data(), hex.size(), "%02x", b);
        suffix += hex.data();
    }
    std::string name = folder_of(path);
    if (name != "/") name += '/';
    name += '.';
    name += base_name_of(path);
    name += '.';
    name += suffix;
    name += kTemporarySuffix;
    return name;
}

bool is_lowercase_hex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Exactly a name temporary_name gives for a target called `base`: the
// temporaries of "rc.conf.bak" are not those of "rc.conf".
bool is_temporary_name_of(std::string_view name, std::string_view base) {
    const std::size_t hex_digits = 2 * kRandomBytes;
    if (name.size() != 1 + base.size() + 1 + hex_digits + kTemporarySuffix.size()) return false;
    if (name.front() != '.' || name.substr(1, base.size()) != base) return false;
    name.remove_prefix(1 + base.size());
    return name.front() == '.' && is_lowercase_hex(name.substr(1, hex_digits)) &&
           name.substr(1 + hex_digits) == kTemporarySuffix;
}

struct CloseDir {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// A write killed before its rename leaves its temporary file behind; the next
// write of the same target removes it. Only regular files owned by root with
// exactly our naming go, looked at through the folder's descriptor without
// following a link and never opened. Nothing here fails the write: what
// cannot be removed now is tried again next time. A write of the same target
// running at that moment in another process loses its temporary file and
// reports a failed rename; the target keeps a whole version either way.
void remove_stale_temporaries(const std::string& path) {
    const int fd = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return;
    const std::unique_ptr<DIR, CloseDir> dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return;
    }
    const std::string base = base_name_of(path);
    // Names first, removals after: the listing is not changed while it is read.
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (is_temporary_name_of(entry->d_name, base)) stale.emplace_back(entry->d_name);
    }
    for (const std::string& name : stale) {
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != 0) continue;
        // Already gone or not ours to remove: the write goes on either way.
        (void)::unlinkat(::dirfd(dir.get()), name.c_str(), 0);
    }
}

// The temporary file, removed unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path, UniqueFd fd)
        : path_(std::move(path)), fd_(std::move(fd)) {}
    ~TemporaryFile() {
        fd_.reset();
        if (!renamed_) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }
    int close() {
        const int fd = fd_.release();
        return ::close(fd) == 0 ? 0 : errno;
    }
    void mark_renamed() { renamed_ = true; }

private:
    std::string path_;
    UniqueFd fd_;
    bool renamed_ = false;
};

const char* step_text(AtomicWriteError::Step step) {
    switch (step) {
        case AtomicWriteError::Step::CreateTemporary:
            return "create a temporary file";
        case AtomicWriteError::Step::Write:
            return "write";
        case AtomicWriteError::Step::SetOwner:
            return "set the owner";
        case AtomicWriteError::Step::SetMode:
            return "set the mode";
        case AtomicWriteError::Step::SyncFile:
            return "sync";
        case AtomicWriteError::Step::Rename:
            return "replace";
        case AtomicWriteError::Step::SyncFolder:
            return "sync the folder";
    }
    return "write";
}

}  // namespace

std::string display_atomic_write_error(const AtomicWriteError& error) {
    return std::string("could not ") + step_text(error.step) + " for " + error.path + ": " +
           system_error_text(error.errnum);
}

Result<void, AtomicWriteError> write_file_atomically(const std::string& path, std::string_view data,
                                                     const AtomicWriteOptions& options) {
    using Step = AtomicWriteError::Step;
    auto error = [&path](Step step, int errnum) {
        return fail(AtomicWriteError{step, path, errnum});
    };

    remove_stale_temporaries(path);

    std::optional<TemporaryFile> temp;
    for (int attempt = 0; attempt < kCreateAttempts && !temp; ++attempt) {
        const std::optional<std::string> name = temporary_name(path);
        if (!name) return error(Step::CreateTemporary, errno);
        const int fd = ::open(
            name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0) {
            temp.emplace(*name, UniqueFd(fd));
        } else if (errno != EEXIST) {
            return error(Step::CreateTemporary, errno);
        }
    }
    if (!temp) return error(Step::CreateTemporary, EEXIST);

    if (auto written = write_all(temp->fd(), data); !written) {
        return error(Step::Write, written.error());
    }
    // Owner before mode: a change of owner may clear set-id bits.
    if (options.owner && ::fchown(temp->fd(), options.owner->uid, options.owner->gid) != 0) {
        return error(Step::SetOwner, errno);
    }
    if (::fchmod(temp->fd(), options.mode) != 0) return error(Step::SetMode, errno);
    if (::fsync(temp->fd()) != 0) return error(Step::SyncFile, errno);
    if (const int e = temp->close(); e != 0) return error(Step::Write, e);
    if (::rename(temp->path().c_str(), path.c_str()) != 0) return error(Step::Rename, errno);
    temp->mark_renamed();

    const UniqueFd folder(
        ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
    if (!folder || ::fsync(folder.get()) != 0) return error(Step::SyncFolder, errno);
    return {};
}

}  // namespace tarnwick
