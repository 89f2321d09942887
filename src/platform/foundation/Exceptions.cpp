#include "platform/foundation/Exceptions.h"

#include <cstdarg>
#include <cstdio>

namespace foundation {

std::string exceptionReason(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string reason(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(reason.data(), reason.size() + 1, format, again);
    va_end(again);
    return reason;
}

}  // namespace foundation
