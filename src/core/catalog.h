#pragma once
// The message catalog: the messages of one locale and of its fallback locale,
// through which message keys become visible text. Loading never fails: a
// missing or unreadable message file contributes no messages, and a key found
// nowhere translates to itself.

#include "core/kv_file.h"
#include "core/locale.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct Catalog {
    std::string tag;
    std::string fallback_tag;
    KvMap messages;           // looked up first
    KvMap fallback_messages;  // looked up second
};

// Reads locales_dir/<tag>/tarnwick.ftl and locales_dir/<fallback_tag>/tarnwick.ftl
// (once when the tags are equal). The tags are path components taken as they
// are; an empty tag names the message file directly in locales_dir.
Catalog load_catalog(std::string_view locales_dir, std::string_view tag,
                     std::string_view fallback_tag);

// load_catalog with the fallback of the language's LocaleInfo in `languages`
// when it has a non-empty one, else `config_fallback`.
Catalog select_catalog(std::string_view locales_dir, std::string_view tag,
                       const std::vector<LocaleInfo>& languages, std::string_view config_fallback);

// The message of `key`: the locale's, else the fallback's (an empty message
// counts as found), else the key itself.
std::string translate(const Catalog& catalog, std::string_view key);

// translate, then every "{name}" replaced by `value`, left to right, without
// scanning the inserted value again.
std::string translate_arg(const Catalog& catalog, std::string_view key, std::string_view name,
                          std::string_view value);

}  // namespace tarnwick
