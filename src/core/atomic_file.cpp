#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>

#include "core/text.h"
#include "core/unique_fd.h"
#include "core/write_all.h"

namespace tarnwick {
namespace {

constexpr int kCreateAttempts = 16;

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
    std::array<unsigned char, 8> random{};
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
    name += ".tmp";
    return name;
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
