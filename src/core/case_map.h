#pragma once
// Full Unicode case mapping of whole texts (not the one-code-point mapping):
// "İ" lower-cases to "i̇" and a word-final "Σ" to "ς"; "ß" upper-cases to "SS".

#include <string>
#include <string_view>

namespace tarnwick {

// Lower-cases valid UTF-8; invalid bytes are copied unchanged.
std::string lowercase_full(std::string_view text);

// Upper-cases valid UTF-8; invalid bytes are copied unchanged.
std::string uppercase_full(std::string_view text);

}  // namespace tarnwick
