#include "template/twml/imports.h"

#include "core/read_file.h"
#include "core/text.h"
#include "core/unique_fd.h"
#include "template/twml/page.h"
#include "template/twml/xml.h"

#include <fmt/format.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace tarnwick::tmpl {
namespace {

std::vector<std::string_view> path_components(std::string_view path) {
    std::vector<std::string_view> components;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t slash = path.find('/', pos);
        std::string_view piece = path.substr(
            pos, slash == std::string_view::npos ? std::string_view::npos : slash - pos);
        if (!piece.empty()) {
            components.push_back(piece);
        }
        if (slash == std::string_view::npos) {
            break;
        }
        pos = slash + 1;
    }
    return components;
}

std::optional<std::string> canonical_path(const std::string& path, int& error) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        error = errno;
        return std::nullopt;
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

bool is_regular_file(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string parent_folder(std::string_view path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : std::string(path.substr(0, slash));
}

// Reads `file` (canonical, inside the canonical `folder`) by walking down from
// the folder one component at a time without following any symbolic link, so
// a link swapped in after the containment check cannot lead outside.
Result<std::string, std::string> read_inside(const std::string& folder, std::string_view file) {
    std::vector<std::string_view> below = path_components(file);
    below.erase(below.begin(),
                below.begin() + static_cast<std::ptrdiff_t>(path_components(folder).size()));
    if (below.empty()) {
        return fail(system_error_text(EISDIR));
    }
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        return fail(system_error_text(errno));
    }
    for (std::size_t i = 0; i + 1 < below.size(); ++i) {
        std::string name(below[i]);
        int next =
            ::openat(dir.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            return fail(system_error_text(errno));
        }
        dir.reset(next);
    }
    auto text = require_utf8(read_regular_file_at(dir.get(), std::string(below.back()),
                                                  kMaxConfigFileBytes, FinalLink::Refuse));
    if (!text) {
        return fail(display_read_file_error(text.error()));
    }
    return std::move(*text);
}

TwmlError io_error(std::string text) {
    return TwmlError::make(TwmlError::Kind::Io, std::move(text));
}

TwmlError escape_error(const std::string& href) {
    return TwmlError::make(TwmlError::Kind::ImportPathEscape, href);
}

Result<void, TwmlError> register_definitions(const XmlNode& element, ComponentMap& map) {
    for (XmlNode child : element.children()) {
        if (child.is_element() && local_name(child) == "define-component") {
            auto registered = parse_define_component(child, map);
            if (!registered) {
                return registered;
            }
        }
    }
    return {};
}

Result<void, TwmlError> follow_import(const XmlNode& import, const std::string& template_dir,
                                      const std::string& base_dir, ComponentMap& map,
                                      std::size_t depth) {
    auto href_value = unprefixed_attribute(import, "href");
    if (!href_value) {
        return fail(TwmlError::message("import missing href"));
    }
    const std::string& href = *href_value;
    if (href.find("..") != std::string::npos || href.starts_with('/')) {
        return fail(escape_error(href));
    }
    int error = 0;
    std::string canonical_root = canonical_path(template_dir, error).value_or(template_dir);

    std::string candidate = join_path(base_dir, href);
    if (!is_regular_file(candidate)) {
        candidate = join_path(template_dir, href);
        if (!is_regular_file(candidate)) {
            return fail(io_error(fmt::format("import not found: {}", href)));
        }
    }
    auto canonical = canonical_path(candidate, error);
    if (!canonical) {
        return fail(io_error(system_error_text(error)));
    }
    if (!path_within(*canonical, canonical_root) || *canonical == canonical_root) {
        return fail(escape_error(href));
    }
    auto text = read_inside(canonical_root, *canonical);
    if (!text) {
        return fail(io_error(std::move(text.error())));
    }
    auto document = parse_xml(*text);
    if (!document) {
        return fail(std::move(document.error()));
    }
    XmlNode root = root_element(**document);
    if (local_name(root) == "define-component") {
        return parse_define_component(root, map);
    }
    auto resolved = resolve_imports(root, template_dir, parent_folder(*canonical), map, depth + 1);
    if (!resolved) {
        return resolved;
    }
    // The file's own definitions win over those of the files it imports.
    return register_definitions(root, map);
}

}  // namespace

bool path_within(std::string_view path, std::string_view folder) {
    std::vector<std::string_view> inner = path_components(path);
    std::vector<std::string_view> outer = path_components(folder);
    if (inner.size() < outer.size()) {
        return false;
    }
    for (std::size_t i = 0; i < outer.size(); ++i) {
        if (inner[i] != outer[i]) {
            return false;
        }
    }
    return true;
}

Result<void, TwmlError> resolve_imports(const XmlNode& element, const std::string& template_dir,
                                        const std::string& base_dir, ComponentMap& map,
                                        std::size_t depth) {
    if (depth > MAX_TWML_DEPTH) {
        return fail(
            TwmlError::message(fmt::format("import nesting exceeds max depth {}", MAX_TWML_DEPTH)));
    }
    for (XmlNode child : element.children()) {
        if (!child.is_element()) {
            continue;
        }
        std::string_view name = local_name(child);
        Result<void, TwmlError> step;
        if (name == "define-component") {
            step = parse_define_component(child, map);
        } else if (name == "import") {
            step = follow_import(child, template_dir, base_dir, map, depth);
        }
        if (!step) {
            return step;
        }
    }
    return {};
}

}  // namespace tarnwick::tmpl
