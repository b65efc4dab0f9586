#pragma once
// A scratch template folder for page tests: pages are written below it and
// loaded with it as the template folder.

#include "support/scratch_dir.h"
#include "template/twml/twml.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick::tmpl {

class TemplateFolder {
public:
    const std::string& path() const { return dir_.path(); }
    std::string write(std::string_view relative, std::string_view content) const {
        return dir_.write(relative, content);
    }
    std::string mkdir(std::string_view relative) const { return dir_.mkdir(relative); }

    // Writes pages/page.twml and loads it.
    Result<TwmlPage, TwmlError> load(std::string_view text) const {
        return load_page(write("pages/page.twml", text), path());
    }

private:
    test::ScratchDir dir_;
};

// Three scratch template folders, searched in order like template_dirs.
class SearchFolders {
public:
    const std::array<std::string, 3>& paths() const { return paths_; }
    // Writes a file below folder 0, 1 or 2.
    std::string put(std::size_t folder, std::string_view relative, std::string_view content) const {
        return dir_.write(std::string(kNames[folder]) + "/" + std::string(relative), content);
    }
    std::string mkdir(std::size_t folder, std::string_view relative) const {
        return dir_.mkdir(std::string(kNames[folder]) + "/" + std::string(relative));
    }
    // The path of a file below folder 0, 1 or 2 (whether it exists or not).
    std::string file(std::size_t folder, std::string_view relative) const {
        return dir_.file(std::string(kNames[folder]) + "/" + std::string(relative));
    }

private:
    static constexpr std::array<std::string_view, 3> kNames = {"one", "two", "three"};
    test::ScratchDir dir_;
    std::array<std::string, 3> paths_{dir_.mkdir("one"), dir_.mkdir("two"), dir_.mkdir("three")};
};

// "OK" for a page, else the error's display text.
template <class T>
std::string outcome(const Result<T, TwmlError>& result) {
    return result ? std::string("OK") : display_twml_error(result.error());
}

// A page whose main holds `body`.
inline std::string page_with(std::string_view body, std::string_view before_main = "") {
    return std::string("<screen id=\"p\">") + std::string(before_main) + "<main>" +
           std::string(body) + "</main></screen>";
}

}  // namespace tarnwick::tmpl
