#include "app/pam/pam_conversation.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "app/pam/pam_credentials.h"
#include "core/secret_string.h"

namespace tarnwick::app {
namespace {

// A malloc'd NUL-terminated copy, or nullptr when the text holds a NUL byte
// (it could not be handed over whole) or memory ran out.
char* c_copy(std::string_view text, bool& nul_inside) {
    nul_inside = text.find('\0') != std::string_view::npos;
    if (nul_inside) return nullptr;
    auto* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out == nullptr) return nullptr;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return out;
}

// Response texts may hold the password: zero them before they are freed.
void release_responses(struct pam_response* responses, int count) {
    for (int i = 0; i < count; ++i) {
        char* text = responses[i].resp;
        if (text != nullptr) {
            secure_zero(text, std::strlen(text));
            std::free(text);
        }
    }
    std::free(responses);
}

}  // namespace

int pam_conversation(int count, const struct pam_message** messages,
                     struct pam_response** responses_out, void* /*appdata*/) {
    if (count <= 0 || messages == nullptr || responses_out == nullptr) return PAM_CONV_ERR;
    auto* responses = static_cast<struct pam_response*>(
        std::calloc(static_cast<std::size_t>(count), sizeof(struct pam_response)));
    if (responses == nullptr) return PAM_BUF_ERR;

    // Our own copy, wiped when it goes out of scope.
    const PamCredentials credentials = pam_credentials().copy();

    for (int i = 0; i < count; ++i) {
        const struct pam_message* message = messages[i];
        const int style = message != nullptr ? message->msg_style : -1;
        std::string_view answer;
        switch (style) {
            case PAM_PROMPT_ECHO_OFF:
                answer = credentials.password.view();
                break;
            case PAM_PROMPT_ECHO_ON:
                answer = credentials.user;
                break;
            case PAM_ERROR_MSG:
            case PAM_TEXT_INFO:
                responses[i].resp = nullptr;
                responses[i].resp_retcode = 0;
                continue;
            default:
                release_responses(responses, count);
                return PAM_CONV_ERR;
        }
        bool nul_inside = false;
        char* text = c_copy(answer, nul_inside);
        if (text == nullptr) {
            release_responses(responses, count);
            return nul_inside ? PAM_CONV_ERR : PAM_BUF_ERR;
        }
        responses[i].resp = text;
        responses[i].resp_retcode = 0;
    }
    *responses_out = responses;
    return PAM_SUCCESS;
}

}  // namespace tarnwick::app
