#pragma once
// Why a change of the network configuration failed.

#include <cstdint>
#include <string>

namespace tarnwick::app {

struct NetError {
    enum class Kind : std::uint8_t { Io, Message, NotRoot };
    Kind kind = Kind::Message;
    std::string text;  // Io: the error's own description; Message: the message

    static NetError io(std::string description) { return {Kind::Io, std::move(description)}; }
    static NetError message(std::string text) { return {Kind::Message, std::move(text)}; }
    static NetError not_root() { return {Kind::NotRoot, {}}; }

    bool operator==(const NetError&) const = default;
};

// "IO: <description>", the message as it stands, or
// "must be root to change network config".
std::string net_error_text(const NetError& error);

}  // namespace tarnwick::app
