// Loading every JSON screen template of one folder.

#include "template/screen/screen_template.h"

#include "core/read_file.h"
#include "core/text.h"

#include <cerrno>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick::tmpl {
namespace {

ScreenTemplateError io_error(int errnum) {
    return ScreenTemplateError{ScreenTemplateError::Kind::Io, system_error_text(errnum)};
}

// "x.json" has the extension json; ".json" and "json" have none.
bool has_json_extension(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot != std::string_view::npos && dot != 0 && name.substr(dot + 1) == "json";
}

Result<std::string, ScreenTemplateError> read_template_file(const std::string& path) {
    auto text = read_text_file(path, kMaxConfigFileBytes);
    if (!text) {
        return fail(ScreenTemplateError{ScreenTemplateError::Kind::Io,
                                        display_read_file_error(text.error())});
    }
    return std::move(*text);
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

Result<std::vector<ScreenTemplate>, ScreenTemplateError> load_screen_dir(
    const std::string& folder) {
    std::vector<ScreenTemplate> screens;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return screens;

    const int dir_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd < 0) return fail(io_error(errno));
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(dir_fd));
    if (!dir) {
        const int err = errno;
        ::close(dir_fd);
        return fail(io_error(err));
    }
    // Directory order, as the listing returns it: no sorting.
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0) return fail(io_error(errno));
            break;
        }
        const std::string_view name = entry->d_name;
        if (name == "." || name == ".." || !has_json_extension(name)) continue;
        auto text = read_template_file(join_path(folder, name));
        if (!text) return fail(text.error());
        auto screen = parse_screen_template(*text);
        if (!screen) return fail(screen.error());
        if (auto valid = validate_screen(*screen); !valid) return fail(valid.error());
        screens.push_back(std::move(*screen));
    }
    return screens;
}

}  // namespace tarnwick::tmpl
