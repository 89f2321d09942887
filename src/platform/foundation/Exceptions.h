#pragma once

// The platform's named exceptions, for misuse that the system raises rather
// than reports: each derives from the standard exception of the same spirit,
// so callers may catch either. Reasons are printf-formatted.

#include <stdexcept>
#include <string>

namespace foundation {

// printf-style text of an exception's reason.
std::string exceptionReason(const char* format, ...) __attribute__((format(printf, 1, 2)));

// An argument the operation cannot take.
struct NSInvalidArgumentException : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
    static constexpr const char* kName = "NSInvalidArgumentException";
};

// An index or range outside a collection.
struct NSRangeException : std::out_of_range {
    using std::out_of_range::out_of_range;
    static constexpr const char* kName = "NSRangeException";
};

// An operation the object's state forbids, such as changing an immutable collection.
struct NSInternalInconsistencyException : std::logic_error {
    using std::logic_error::logic_error;
    static constexpr const char* kName = "NSInternalInconsistencyException";
};

// Memory that could not be had.
struct NSMallocException : std::runtime_error {
    using std::runtime_error::runtime_error;
    static constexpr const char* kName = "NSMallocException";
};

}  // namespace foundation
