#pragma once

// The pieces of a user agent that identify this application and machine.

#include "platform/foundation/Bundle.h"

#include <optional>
#include <string>

namespace google {

// A copy safe inside a user agent: " " and "," become "_", and whitespace,
// control characters and the separators ()<>@;:/[]?={}\" are removed.
// nullopt stays nullopt.
std::optional<std::string> GTMCleanUserAgentToken(const std::optional<std::string>& token);

// "<system>/<release> hw/<machine>", built once from the kernel's
// identification ("Linux/6.1.0 hw/x86_64"); never the host's name.
std::string GTMDeviceUserAgentString();

// The bundle's identifier for user agents: its "GTMUserAgentID", else its
// identifier, else "proc_<process name>"; cleaned, with "/<version>" when
// it has one. Remembered per bundle identifier. The main bundle when null.
std::string GTMApplicationUserAgentID(const foundation::Bundle* bundle = nullptr);

}  // namespace google
