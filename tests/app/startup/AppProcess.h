#pragma once

// The real executable in child processes, headless, in the application
// folders of the test (testsupport::TempAppFolders sets the XDG variables the
// children inherit). Waiting is for file events in a folder, never for time.

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "support/ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

namespace startuptest {

// The application with arguments, started from `workingFolder` (the test's
// own when empty), with extra NAME=value environment entries. Its temporary
// folder (and with it the runtime folder of its socket) is in the test's, so
// nothing of it outlives the test. With `captureErrors`, standard error is
// read with the output.
inline testsupport::ChildProcess startApplication(const std::vector<std::string>& arguments = {},
                                                  const std::string& workingFolder = {},
                                                  std::vector<std::string> environment = {}, bool captureOutput = false,
                                                  bool captureErrors = false) {
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    environment.push_back("ASAN_OPTIONS=detect_leaks=0");
    if (std::none_of(environment.begin(), environment.end(),
                     [](const std::string& entry) { return entry.starts_with("TMPDIR="); }))
        environment.push_back("TMPDIR=" + foundation::Paths::temporaryDirectory());
    testsupport::ChildProcess::Options options;
    options.environment = std::move(environment);
    options.captureOutput = captureOutput || captureErrors;
    options.captureErrors = captureErrors;
    std::vector<std::string> argv{TOLLIVAR_APPLICATION_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    if (workingFolder.empty()) return testsupport::ChildProcess::spawn(argv, options);
    // The shell only changes the folder; the application replaces it.
    std::vector<std::string> shell{"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"", workingFolder};
    shell.insert(shell.end(), argv.begin(), argv.end());
    return testsupport::ChildProcess::spawn(shell, options);
}

// The child's user defaults count the launch once the launch sequence has run
// to its end; until then there is no window to close.
inline int64_t launchCount(const std::string& configFolder) {
    auto defaults = foundation::plist::readFile(configFolder + "/defaults.plist");
    return defaults && defaults->isDictionary() ? defaults->asDictionary().get("RatingPromptLaunchCount").asInt(0) : 0;
}
inline bool launchCompleted(const std::string& configFolder) { return launchCount(configFolder) > 0; }

// Waits for file events in the folder until the condition holds or the child
// ends; false when it never did within two minutes (the bound is real time,
// not a count of wake-ups: a child busy writing files would use those up
// early).
inline bool waitInFolder(const std::string& folder, testsupport::ChildProcess& child,
                         const std::function<bool()>& condition) {
    std::filesystem::create_directories(folder);
    foundation::FileDescriptor watch(inotify_init1(IN_CLOEXEC));
    if (!watch) return false;
    inotify_add_watch(watch.get(), folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    bool met = condition();
    while (!met && std::chrono::steady_clock::now() < deadline) {
        pollfd descriptor{watch.get(), POLLIN, 0};
        if (::poll(&descriptor, 1, 100) > 0) {
            char buffer[4096];
            (void)::read(watch.get(), buffer, sizeof buffer);
        }
        if (child.poll()) break;
        met = condition();
    }
    return met;
}

}  // namespace startuptest
