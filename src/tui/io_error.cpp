#include "tui/io_error.h"

#include "core/text.h"

namespace tarnwick::tui {

std::string display_io_error(const IoError& error) {
    return system_error_text(error.code);
}

}  // namespace tarnwick::tui
