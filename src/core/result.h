#pragma once
// The error vocabulary of every layer. Only the std::expected subset of
// tl::expected is used, so switching to std::expected touches this file alone.

#include <tl/expected.hpp>

#include <type_traits>
#include <utility>

namespace tarnwick {

// A result nobody looks at is a bug, so the type itself is [[nodiscard]]: a
// dropped result fails the -Werror build, and a deliberate drop says (void).
template <class T, class E>
class [[nodiscard]] Result : public tl::expected<T, E> {
public:
    using tl::expected<T, E>::expected;
    using tl::expected<T, E>::operator=;

    Result(const tl::expected<T, E>& other) : tl::expected<T, E>(other) {}
    Result(tl::expected<T, E>&& other) : tl::expected<T, E>(std::move(other)) {}
};

template <class E>
using Unexpected = tl::unexpected<E>;

// Shorthand for returning an error value: `return fail(ConfigError{...});`
template <class E>
[[nodiscard]] Unexpected<std::decay_t<E>> fail(E&& error) {
    return Unexpected<std::decay_t<E>>(std::forward<E>(error));
}

}  // namespace tarnwick
