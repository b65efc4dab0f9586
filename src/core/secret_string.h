#pragma once
// A password buffer that never reallocates (so no stale copies are left on the
// heap) and is zeroed when cleared and when destroyed.

#include <cstddef>
#include <memory>
#include <string_view>

namespace tarnwick {

class SecretString {
public:
    static constexpr std::size_t kCapacity = 1024;  // bytes of UTF-8

    SecretString();
    explicit SecretString(std::string_view text);  // truncated at a character boundary
    ~SecretString();

    SecretString(const SecretString&) = delete;
    SecretString& operator=(const SecretString&) = delete;
    SecretString(SecretString&& other) noexcept;
    SecretString& operator=(SecretString&& other) noexcept;

    // Appends the UTF-8 text when it fits whole; returns false otherwise.
    bool append(std::string_view text);
    // Removes the last character (a whole UTF-8 sequence).
    void pop_char();
    void clear();

    std::string_view view() const { return {buf_.get(), len_}; }
    std::size_t size() const { return len_; }
    std::size_t char_count() const;
    bool empty() const { return len_ == 0; }

    // A deliberate, explicit copy (the credentials slot keeps its own).
    SecretString clone() const { return SecretString(view()); }

private:
    void wipe();
    std::unique_ptr<char[]> buf_;
    std::size_t len_ = 0;
};

// Zeroes memory in a way the optimiser may not remove.
void secure_zero(void* data, std::size_t size);

}  // namespace tarnwick
