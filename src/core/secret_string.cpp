#include "core/secret_string.h"

#include <string.h>  // explicit_bzero

#include <algorithm>

#include "core/text.h"

namespace tarnwick {

void secure_zero(void* data, std::size_t size) {
    if (data != nullptr && size > 0) explicit_bzero(data, size);
}

SecretString::SecretString() : buf_(new char[kCapacity]()) {}

SecretString::SecretString(std::string_view text) : SecretString() {
    std::string_view cut = text.substr(0, std::min(text.size(), kCapacity));
    // Cut on a character boundary when the whole text does not fit.
    while (cut.size() < text.size() && !cut.empty() &&
           (static_cast<unsigned char>(text[cut.size()]) & 0xC0) == 0x80) {
        cut.remove_suffix(1);
    }
    append(cut);
}

SecretString::~SecretString() {
    wipe();
}

SecretString::SecretString(SecretString&& other) noexcept
    : buf_(std::move(other.buf_)), len_(other.len_) {
    other.buf_.reset(new char[kCapacity]());
    other.len_ = 0;
}

SecretString& SecretString::operator=(SecretString&& other) noexcept {
    if (this != &other) {
        wipe();
        buf_ = std::move(other.buf_);
        len_ = other.len_;
        other.buf_.reset(new char[kCapacity]());
        other.len_ = 0;
    }
    return *this;
}

bool SecretString::append(std::string_view text) {
    if (text.size() > kCapacity - len_) return false;
    memcpy(buf_.get() + len_, text.data(), text.size());
    len_ += text.size();
    return true;
}

void SecretString::pop_char() {
    while (len_ > 0) {
        --len_;
        const auto byte = static_cast<unsigned char>(buf_[len_]);
        buf_[len_] = 0;
        if ((byte & 0xC0) != 0x80) break;
    }
}

void SecretString::clear() {
    secure_zero(buf_.get(), len_);
    len_ = 0;
}

std::size_t SecretString::char_count() const {
    return tarnwick::char_count(view());
}

void SecretString::wipe() {
    if (buf_) secure_zero(buf_.get(), kCapacity);
    len_ = 0;
}

}  // namespace tarnwick
