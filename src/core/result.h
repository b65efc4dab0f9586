#pragma once
// The error vocabulary of every layer. Only the std::expected subset of
// tl::expected is used, so switching to std::expected touches this file alone.

#include <tl/expected.hpp>

#include <type_traits>
#include <utility>

namespace tarnwick {

template <class T, class E>
using Result = tl::expected<T, E>;

template <class E>
using Unexpected = tl::unexpected<E>;

// Shorthand for returning an error value: `return fail(ConfigError{...});`
template <class E>
[[nodiscard]] Unexpected<std::decay_t<E>> fail(E&& error) {
    return Unexpected<std::decay_t<E>>(std::forward<E>(error));
}

}  // namespace tarnwick
