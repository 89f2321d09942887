#pragma once

// Console lines of the Google API client (refused fetches, internal
// failures nobody can act on): written to standard error and handed to an
// observer, so tests can read what was said.

#include <functional>
#include <string>

namespace google {

void GTMLog(const std::string& text);

// Receives every line after it is written; an empty function removes it.
using GTMLogObserver = std::function<void(const std::string&)>;
void setGTMLogObserver(GTMLogObserver observer);

}  // namespace google
