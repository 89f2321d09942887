#pragma once

// Internal failures of the loggers that no caller can act on go to standard
// error, one line each, and the work carries on.

#include <string>

namespace logging {

void reportToConsole(const std::string& text);

}  // namespace logging
