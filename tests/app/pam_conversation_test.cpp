#include "app/pam/pam_conversation.h"

#include <malloc.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/pam/pam_credentials.h"
#include "app/pam/pam_error.h"
#include "app/pam/pam_session.h"

// The replacements below pair malloc with free on purpose; GCC sees only
// the new/free halves once inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// Every delete passes through here so a test can look at a buffer just before
// it is released. new/delete are routed to malloc/free together so the pairs
// stay consistent under the sanitizers.
namespace {
struct ReleaseWatch {
    const void* buffer = nullptr;  // this buffer's first `size` bytes...
    std::size_t size = 0;
    std::optional<bool> buffer_was_zero;  // ...were all zero when released
    const char* secret = nullptr;         // any released block holding this text
    std::size_t released_with_secret = 0;
    std::size_t scanned = 0;
};
ReleaseWatch g_watch;

void inspect_before_release(void* p) {
    if (p == nullptr) return;
    if (p == g_watch.buffer) {
        const auto* bytes = static_cast<const unsigned char*>(p);
        bool zero = true;
        for (std::size_t i = 0; i < g_watch.size; ++i) zero = zero && bytes[i] == 0;
        g_watch.buffer_was_zero = zero;
        g_watch.buffer = nullptr;
    }
    if (g_watch.secret != nullptr) {
        ++g_watch.scanned;
        if (memmem(p, malloc_usable_size(p), g_watch.secret, std::strlen(g_watch.secret)) !=
            nullptr) {
            ++g_watch.released_with_secret;
        }
    }
}
}  // namespace

void* operator new[](std::size_t size) {
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size) {
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    inspect_before_release(p);
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    inspect_before_release(p);
    std::free(p);
}
void operator delete[](void* p) noexcept {
    inspect_before_release(p);
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    inspect_before_release(p);
    std::free(p);
}
void operator delete(void* p) noexcept {
    inspect_before_release(p);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    inspect_before_release(p);
    std::free(p);
}

namespace tarnwick::app {
namespace {

// A crafted message array and what the conversation answered.
struct Exchange {
    int status = 0;
    std::vector<std::optional<std::string>> texts;  // nullopt: null response
    std::vector<int> retcodes;
};

Exchange converse(const std::vector<int>& styles) {
    std::vector<::pam_message> messages(styles.size());
    std::vector<const ::pam_message*> pointers;
    for (std::size_t i = 0; i < styles.size(); ++i) {
        messages[i].msg_style = styles[i];
        messages[i].msg = "prompt";
        pointers.push_back(&messages[i]);
    }
    auto* sentinel = reinterpret_cast<pam_response*>(0x1);
    pam_response* responses = sentinel;
    Exchange ex;
    ex.status =
        pam_conversation(static_cast<int>(styles.size()), pointers.data(), &responses, nullptr);
    if (ex.status == PAM_SUCCESS) {
        for (std::size_t i = 0; i < styles.size(); ++i) {
            ex.texts.push_back(responses[i].resp ? std::optional<std::string>(responses[i].resp)
                                                 : std::nullopt);
            ex.retcodes.push_back(responses[i].resp_retcode);
            std::free(responses[i].resp);
        }
        std::free(responses);
    } else {
        EXPECT_EQ(responses, sentinel) << "no response array may be handed out on failure";
    }
    return ex;
}

class PamConversation : public ::testing::Test {
protected:
    void TearDown() override { scrub_credentials(); }
};

TEST_F(PamConversation, AnswersEachPromptInItsPlace) {
    pam_credentials().store("alice", SecretString("p\xC3\xA4ss"));
    using Texts = std::vector<std::optional<std::string>>;
    struct Case {
        std::vector<int> styles;
        Texts texts;
    };
    const Case cases[] = {
        {{PAM_PROMPT_ECHO_OFF, PAM_PROMPT_ECHO_ON}, {"p\xC3\xA4ss", "alice"}},
        {{PAM_PROMPT_ECHO_ON, PAM_PROMPT_ECHO_OFF}, {"alice", "p\xC3\xA4ss"}},
        {{PAM_TEXT_INFO}, {std::nullopt}},
        {{PAM_ERROR_MSG}, {std::nullopt}},
        // a password change asks twice: both get the password already given
        {{PAM_TEXT_INFO, PAM_PROMPT_ECHO_OFF, PAM_PROMPT_ECHO_OFF},
         {std::nullopt, "p\xC3\xA4ss", "p\xC3\xA4ss"}},
    };
    for (const Case& c : cases) {
        const Exchange ex = converse(c.styles);
        EXPECT_EQ(ex.status, PAM_SUCCESS);
        EXPECT_EQ(ex.texts, c.texts);
        EXPECT_EQ(ex.retcodes, std::vector<int>(c.styles.size(), 0));
    }
}

TEST_F(PamConversation, RefusesWhatItCannotAnswer) {
    pam_credentials().store("alice", SecretString("pw"));
    struct Case {
        const char* name;
        std::vector<int> styles;
    };
    const Case cases[] = {
        {"no messages", {}},
        {"unknown style alone", {5}},
        {"unknown style after a prompt already answered", {PAM_PROMPT_ECHO_OFF, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(converse(c.styles).status, PAM_CONV_ERR);
    }
    pam_response* responses = nullptr;
    EXPECT_EQ(pam_conversation(1, nullptr, &responses, nullptr), PAM_CONV_ERR);
    ::pam_message message{PAM_PROMPT_ECHO_OFF, "Password:"};
    const ::pam_message* pointer = &message;
    EXPECT_EQ(pam_conversation(1, &pointer, nullptr, nullptr), PAM_CONV_ERR);
    EXPECT_EQ(pam_conversation(-1, &pointer, &responses, nullptr), PAM_CONV_ERR);
}

TEST_F(PamConversation, NulBytesAreNeverHandedToPam) {
    pam_credentials().store(std::string("al\0ice", 6), SecretString(std::string_view("pw", 2)));
    EXPECT_EQ(converse({PAM_PROMPT_ECHO_ON}).status, PAM_CONV_ERR);
    EXPECT_EQ(converse({PAM_PROMPT_ECHO_OFF}).status, PAM_SUCCESS);
    pam_credentials().store("alice", SecretString(std::string_view("p\0w", 3)));
    EXPECT_EQ(converse({PAM_PROMPT_ECHO_OFF}).status, PAM_CONV_ERR);
}

TEST_F(PamConversation, EmptySlotAnswersEmptyTexts) {
    scrub_credentials();
    const Exchange ex = converse({PAM_PROMPT_ECHO_OFF, PAM_PROMPT_ECHO_ON});
    EXPECT_EQ(ex.status, PAM_SUCCESS);
    EXPECT_EQ(ex.texts, (std::vector<std::optional<std::string>>{"", ""}));
}

TEST(PamCredentialSlot, ScrubZeroesThePasswordBeforeReleasingIt) {
    SecretString password("hunter2");
    const char* buffer = password.view().data();
    pam_credentials().store("alice", std::move(password));
    ASSERT_TRUE(pam_credentials().holds_credentials());

    g_watch = ReleaseWatch{};
    g_watch.buffer = buffer;
    g_watch.size = 7;
    scrub_credentials();
    ASSERT_TRUE(g_watch.buffer_was_zero.has_value()) << "the slot's buffer was not released";
    EXPECT_TRUE(*g_watch.buffer_was_zero);
    EXPECT_FALSE(pam_credentials().holds_credentials());
    scrub_credentials();  // nothing left: does nothing
    EXPECT_FALSE(pam_credentials().holds_credentials());
}

// The conversation's own copy taken from the slot is wiped too, not only the
// slot's, on success and when the call fails half-way.
TEST(PamCredentialSlot, NoCopyOfThePasswordIsReleasedUnwiped) {
    for (const std::vector<int>& styles :
         {std::vector<int>{PAM_PROMPT_ECHO_OFF}, std::vector<int>{PAM_PROMPT_ECHO_OFF, 5}}) {
        pam_credentials().store("alice", SecretString("hunter2"));
        g_watch = ReleaseWatch{};
        g_watch.secret = "hunter2";
        // Called directly: the test keeps no copy of its own in a released block.
        std::vector<::pam_message> messages;
        for (int style : styles) messages.push_back({style, "prompt"});
        std::vector<const ::pam_message*> pointers;
        for (const auto& m : messages) pointers.push_back(&m);
        pam_response* responses = nullptr;
        if (pam_conversation(static_cast<int>(styles.size()), pointers.data(), &responses,
                             nullptr) == PAM_SUCCESS) {
            for (std::size_t i = 0; i < styles.size(); ++i) {
                if (responses[i].resp)
                    explicit_bzero(responses[i].resp, std::strlen(responses[i].resp));
                std::free(responses[i].resp);
            }
            std::free(responses);
        }
        scrub_credentials();
        const ReleaseWatch seen = g_watch;
        g_watch = ReleaseWatch{};
        EXPECT_GT(seen.scanned, 0u);
        EXPECT_EQ(seen.released_with_secret, 0u) << "with " << styles.size() << " messages";
    }
}

TEST(PamError, DisplaysFixedTexts) {
    struct Case {
        PamErrorKind kind;
        const char* display;
    };
    const Case cases[] = {
        {PamErrorKind::Start, "PAM start failed: T"},
        {PamErrorKind::Authenticate, "PAM authenticate failed: T"},
        {PamErrorKind::AccountManagement, "PAM account management failed: T"},
        {PamErrorKind::Setcred, "PAM setcred failed: T"},
        {PamErrorKind::OpenSession, "PAM open_session failed: T"},
        {PamErrorKind::End, "PAM end failed: T"},
        {PamErrorKind::InvalidCString, "invalid C string: T"},
    };
    for (const Case& c : cases) EXPECT_EQ(display_pam_error({c.kind, "T"}), c.display);
    EXPECT_EQ(open_session_error_text({PamErrorKind::OpenSession, "x"}),
              "pam_open_session: PAM open_session failed: x");
    EXPECT_FALSE(nul_byte_error("ttyv0").has_value());
    const auto nul = nul_byte_error(std::string_view("tty\0v0", 6));
    ASSERT_TRUE(nul.has_value());
    EXPECT_EQ(display_pam_error(*nul),
              "invalid C string: nul byte found in provided data at position: 3");
}

TEST(PamMessage, FallsBackToTheStatusNumber) {
    EXPECT_EQ(pam_message_text(nullptr, 42), "pam error 42");
    EXPECT_EQ(pam_message_text("Authentication failure", 7), "Authentication failure");
    EXPECT_EQ(pam_message_text("bad \xFF", 7), "bad \xEF\xBF\xBD");
    EXPECT_FALSE(pam_message(nullptr, PAM_AUTH_ERR).empty());
}

TEST(PamStart, RefusesNulBytesBeforeCallingPam) {
    auto started = start_pam(std::string_view("ro\0ot", 5));
    ASSERT_FALSE(started.has_value());
    EXPECT_EQ(display_pam_error(started.error()),
              "invalid C string: nul byte found in provided data at position: 2");
}

}  // namespace
}  // namespace tarnwick::app
