#pragma once

// The process entry's hand-over to the application: creates the Qt
// application from `argc` and `argv` (the arguments meant for Qt) and lets
// Qt's event loop drive the main run loop, launches the application with the
// delegate and the first of `urls` (the launch URL; the others are opened once
// the launch is through), shows the key window in a window host, and runs
// until the application terminates (the window closed, SIGTERM or SIGINT).
// Returns the process's exit status.

#include "platform/ui/host/Application.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

int ApplicationMain(int argc, char** argv, const std::vector<std::string>& urls,
                    const std::function<std::shared_ptr<ApplicationDelegate>()>& makeDelegate);

}  // namespace ui
