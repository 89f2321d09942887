#pragma once

// Installs the shared Dropbox session at launch, before any URL is handled,
// so a login callback that starts the application is not lost. Without an
// application key in services.plist no session is installed.

namespace ui {
class Application;
}

void installDropboxSession(ui::Application& application);
