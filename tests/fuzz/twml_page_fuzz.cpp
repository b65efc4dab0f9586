// Any bytes as a TWML page in a scratch template folder: the loader returns a
// page or an error with a text, and never crashes or runs away. The same bytes
// are also the folder's lib.twml, so a page can import itself.
#include "fuzz/fuzz_target.h"
#include "template/login_page.h"
#include "template/twml/twml.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string folder;

void remove_folder() {
    ::unlink((folder + "/pages/page.twml").c_str());
    ::unlink((folder + "/lib.twml").c_str());
    ::rmdir((folder + "/pages").c_str());
    ::rmdir(folder.c_str());
}

void write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::abort();
    }
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n <= 0) {
            std::abort();
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    ::close(fd);
}

const std::string& scratch_folder() {
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tarnwick-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr ||
            ::mkdir((pattern + "/pages").c_str(), 0700) != 0) {
            std::perror("scratch folder");
            std::abort();
        }
        folder = pattern;
        std::atexit(remove_folder);
    }
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& root = scratch_folder();
    const std::string page_path = root + "/pages/page.twml";
    write_file(page_path, data, size);
    write_file(root + "/lib.twml", data, size);

    auto page = tarnwick::tmpl::load_page(page_path, root);
    if (!page && tarnwick::tmpl::display_twml_error(page.error()).empty()) {
        std::abort();
    }
    auto login = tarnwick::tmpl::load_login_page(page_path, root);
    // The login page model adds checks; it never accepts what the loader refused.
    if (login && !page) {
        std::abort();
    }
    return 0;
}
