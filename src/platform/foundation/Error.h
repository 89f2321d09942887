#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace foundation {

class Dictionary;

// A failure as the system reports it: a domain text, an integer code and a
// user-readable description, optionally wrapping the failure that caused it.
struct Error {
    std::string domain;
    int64_t code = 0;
    std::string description;
    std::shared_ptr<const Error> underlying;
    // Further facts for callers that know the domain (the structured reply of
    // a service, the body of a failed request); null for most errors.
    std::shared_ptr<const Dictionary> userInfo;

    Error() = default;
    Error(std::string domain, int64_t code, std::string description, std::shared_ptr<const Error> underlying = nullptr)
        : domain(std::move(domain)),
          code(code),
          description(std::move(description)),
          underlying(std::move(underlying)) {}

    const std::string& localizedDescription() const { return description; }

    // Error codes of the POSIX domain come from errno.
    static Error posix(int errnoValue, const std::string& context);
};

inline constexpr const char* kPOSIXErrorDomain = "NSPOSIXErrorDomain";
inline constexpr const char* kCocoaErrorDomain = "NSCocoaErrorDomain";

// Stores an error into an optional out-parameter, as the platform's "error:" arguments do.
inline void setError(Error* out, Error error) {
    if (out) *out = std::move(error);
}

// The value of a successful operation or the error of a failed one.
template <class T>
class Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T valueOr(T fallback) const { return ok() ? std::get<0>(state_) : std::move(fallback); }
    const Error& error() const { return std::get<1>(state_); }

    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

private:
    std::variant<T, Error> state_;
};

template <>
class Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}
    static Result success() { return {}; }

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *error_; }

private:
    std::optional<Error> error_;
};

using Status = Result<void>;

}  // namespace foundation
