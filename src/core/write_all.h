#pragma once
// Writing a whole buffer to a descriptor, however the system splits it.

#include "core/result.h"

#include <string_view>

namespace tarnwick {

// Writes every byte, repeating short and interrupted writes. On failure the
// errno of the write that failed (EIO for a write that took nothing); an
// unknown part of the data may have been written by then.
Result<void, int> write_all(int fd, std::string_view data);

}  // namespace tarnwick
