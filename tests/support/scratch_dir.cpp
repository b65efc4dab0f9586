#include "support/scratch_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace tarnwick::test {
namespace {

void make_parents(const std::filesystem::path& p) {
    std::error_code ec;
    std::filesystem::create_directories(p, ec);
}

}  // namespace

ScratchDir::ScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarnwick-test-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    path_ = buf.data();
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    // Tests may leave folders without permissions behind; give them back first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            ::chmod(it->path().c_str(), 0700);
        }
    }
    std::filesystem::remove_all(path_, ec);
}

std::string ScratchDir::file(std::string_view relative) const {
    return path_ + "/" + std::string(relative);
}

std::string ScratchDir::write(std::string_view relative, std::string_view content,
                              unsigned mode) const {
    const std::string p = file(relative);
    make_parents(std::filesystem::path(p).parent_path());
    const int fd =
        ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) return p;
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::fchmod(fd, static_cast<mode_t>(mode));
    ::close(fd);
    return p;
}

std::string ScratchDir::mkdir(std::string_view relative) const {
    const std::string p = file(relative);
    make_parents(p);
    return p;
}

std::string ScratchDir::read(std::string_view relative) const {
    return read_file(file(relative));
}

std::string read_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::string out;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

std::set<std::string> names_in(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

}  // namespace tarnwick::test
