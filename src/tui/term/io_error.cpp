#include "tui/term/io_error.h"

#include "core/text.h"

#include <cerrno>

namespace tarnwick::tui {

std::string display_io_error(const IoError& error) { return system_error_text(error.errnum); }

Unexpected<IoError> last_io_error() { return fail(IoError{errno}); }

}  // namespace tarnwick::tui
