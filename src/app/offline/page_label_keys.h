#pragma once
// The message keys a page file names, found by a plain text scan.

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::app {

// Values of title-key="…", then label-key="…", then help-key="…", each group in
// text order, every key once where first found, empty values skipped. The XML
// is not parsed: comments, text and longer attribute names (subtitle-key)
// count, single quotes and blanks around "=" do not.
std::vector<std::string> page_label_keys(std::string_view text);

}  // namespace tarnwick::app
