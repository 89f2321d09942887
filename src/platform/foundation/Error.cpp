#include "platform/foundation/Error.h"

#include <cstring>

namespace foundation {

Error Error::posix(int errnoValue, const std::string& context) {
    std::string text = std::strerror(errnoValue);
    return Error(kPOSIXErrorDomain, errnoValue, context.empty() ? text : context + ": " + text);
}

}  // namespace foundation
