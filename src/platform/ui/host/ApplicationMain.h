#pragma once

// The process entry's hand-over to the application: creates the Qt
// application and lets Qt's event loop drive the main run loop, launches the
// application with the delegate, shows the key window in a window host, and
// runs until the application terminates (the window closed, SIGTERM or
// SIGINT). Returns the process's exit status.

#include "platform/ui/host/Application.h"

#include <functional>
#include <memory>

namespace ui {

int ApplicationMain(int argc, char** argv, const std::function<std::shared_ptr<ApplicationDelegate>()>& makeDelegate);

}  // namespace ui
