#pragma once
// Small configuration folders for the offline modes, and the binary run on them.

#include "support/process.h"
#include "support/scratch_dir.h"

#include <string>
#include <utility>
#include <vector>

namespace tarnwick::test {

// Relative path and content; a path ending in "/" is made a folder.
using FolderFiles = std::vector<std::pair<std::string, std::string>>;

inline void write_folder(const ScratchDir& dir, const FolderFiles& files) {
    for (const auto& [path, content] : files) {
        if (!path.empty() && path.back() == '/') {
            dir.mkdir(path);
        } else {
            dir.write(path, content);
        }
    }
}

// Every "{dir}" in `text` replaced by the folder's path.
inline std::string with_dir(std::string text, const std::string& dir) {
    for (std::size_t at = text.find("{dir}"); at != std::string::npos;
         at = text.find("{dir}", at + dir.size())) {
        text.replace(at, 5, dir);
    }
    return text;
}

inline ProcessResult run_tarnwick(const std::vector<std::string>& args,
                                  ProcessOptions options = {}) {
    return run_process(TARNWICK_BINARY, args, options);
}

inline constexpr const char* kValidLogin =
    R"(<screen id="login"><main><field id="user"/><field id="password" type="password"/></main></screen>)";

}  // namespace tarnwick::test
