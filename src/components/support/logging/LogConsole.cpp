#include "components/support/logging/LogConsole.h"

#include "platform/foundation/FileDescriptor.h"

#include <unistd.h>

namespace logging {

void reportToConsole(const std::string& text) {
    const std::string line = text + "\n";
    foundation::writeAll(STDERR_FILENO, line.data(), line.size());
}

}  // namespace logging
