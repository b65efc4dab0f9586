#include "app/pam/pam_error.h"

#include <fmt/format.h>

namespace tarnwick::app {

std::string display_pam_error(const PamError& error) {
    switch (error.kind) {
        case PamErrorKind::Start:
            return fmt::format("PAM start failed: {}", error.text);
        case PamErrorKind::Authenticate:
            return fmt::format("PAM authenticate failed: {}", error.text);
        case PamErrorKind::AccountManagement:
            return fmt::format("PAM account management failed: {}", error.text);
        case PamErrorKind::Setcred:
            return fmt::format("PAM setcred failed: {}", error.text);
        case PamErrorKind::OpenSession:
            return fmt::format("PAM open_session failed: {}", error.text);
        case PamErrorKind::End:
            return fmt::format("PAM end failed: {}", error.text);
        case PamErrorKind::InvalidCString:
            return fmt::format("invalid C string: {}", error.text);
    }
    return error.text;
}

std::string open_session_error_text(const PamError& error) {
    return "pam_open_session: " + display_pam_error(error);
}

std::optional<PamError> nul_byte_error(std::string_view text) {
    const std::size_t at = text.find('\0');
    if (at == std::string_view::npos) return std::nullopt;
    return PamError{PamErrorKind::InvalidCString,
                    fmt::format("nul byte found in provided data at position: {}", at)};
}

}  // namespace tarnwick::app
