// The real executable in a child process: it launches headless, and SIGTERM
// or SIGINT end it through the terminate path (settings saved) with status 0.

#include "platform/foundation/PropertyList.h"
#include "support/ChildProcess.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The child's user defaults count the launch once the launch sequence has run
// to its end; until then there is no window to close.
bool launchCompleted(const std::string& defaultsFile) {
    auto defaults = foundation::plist::readFile(defaultsFile);
    return defaults && defaults->isDictionary() && !defaults->asDictionary().get("RatingPromptLaunchCount").isNull();
}

// Waits for file events in the folder (not for time) until the condition
// holds or the child ends; false when it never did within the timeout.
bool waitInFolder(const std::string& folder, testsupport::ChildProcess& child, const std::function<bool()>& condition) {
    fs::create_directories(folder);
    foundation::FileDescriptor watch(inotify_init1(IN_CLOEXEC));
    if (!watch) return false;
    inotify_add_watch(watch.get(), folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE);
    bool met = condition();
    for (int rounds = 0; !met && rounds < 600; ++rounds) {
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

// The application as it starts on a desktop without a display.
testsupport::ChildProcess startApplication() {
    testsupport::ChildProcess::Options options;
    options.environment = {"QT_QPA_PLATFORM=offscreen", "ASAN_OPTIONS=detect_leaks=0"};
    return testsupport::ChildProcess::spawn({TOLLIVAR_APPLICATION_BINARY}, options);
}

void expectCleanEndOnSignal(int signal) {
    testsupport::TempAppFolders folders;
    std::string settings = folders.documents() + "/.settings.plist";
    std::string defaults = folders.config() + "/defaults.plist";
    auto child = startApplication();
    ASSERT_TRUE(waitInFolder(folders.config(), child, [&] { return launchCompleted(defaults); }))
        << "the application did not finish launching";
    ASSERT_TRUE(fs::exists(folders.caches() + "/.kelbrin-introduction/kelbrin.meta"));

    // Whatever the launch saved goes; only the terminate path can bring it back.
    fs::remove(settings);
    EXPECT_EQ(child.stop(signal), 0);
    auto saved = testsupport::runPython(
        "import plistlib, sys\nprint(plistlib.load(open(sys.argv[1], 'rb'))['version'])", {settings});
    EXPECT_EQ(saved.exitCode, 0) << saved.output;
    EXPECT_EQ(saved.output, "4.0\n");
}

TEST(ApplicationProcess, SigtermSavesTheSettingsAndExitsCleanly) { expectCleanEndOnSignal(SIGTERM); }

TEST(ApplicationProcess, SigintSavesTheSettingsAndExitsCleanly) { expectCleanEndOnSignal(SIGINT); }

}  // namespace
