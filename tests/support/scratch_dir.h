#pragma once
// A temporary folder removed (with everything in it) when the object goes.

#include <set>
#include <string>
#include <string_view>

namespace tarnwick::test {

class ScratchDir {
public:
    // Under $TMPDIR or /tmp, mode 0700 (chmod it for a child running as another
    // user); aborts the test run when it cannot be made.
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    // The folder joined with a relative name.
    std::string file(std::string_view relative) const;
    // Writes a file (creating missing parent folders); returns its path.
    std::string write(std::string_view relative, std::string_view content,
                      unsigned mode = 0644) const;
    // Creates a folder and its parents; returns its path.
    std::string mkdir(std::string_view relative) const;
    // Whole content of a file below the folder, or "" when it cannot be read.
    std::string read(std::string_view relative) const;

private:
    std::string path_;
};

// Whole content of any file, or "" when it cannot be read.
std::string read_file(const std::string& path);

// The names in a folder (no "." or ".."), to see that no stray file is left.
std::set<std::string> names_in(const std::string& folder);

}  // namespace tarnwick::test
