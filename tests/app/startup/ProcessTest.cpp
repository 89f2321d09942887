// The real executable in a child process: it launches headless, and SIGTERM
// or SIGINT end it through the terminate path (settings saved) with status 0.

#include "platform/foundation/PropertyList.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

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
bool waitInFolder(const std::string& folder, pid_t child, const std::function<bool()>& condition) {
    fs::create_directories(folder);
    int watch = inotify_init1(IN_CLOEXEC);
    if (watch < 0) return false;
    inotify_add_watch(watch, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE);
    bool met = condition();
    for (int rounds = 0; !met && rounds < 600; ++rounds) {
        pollfd descriptor{watch, POLLIN, 0};
        if (::poll(&descriptor, 1, 100) > 0) {
            char buffer[4096];
            (void)::read(watch, buffer, sizeof buffer);
        }
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) break;
        met = condition();
    }
    ::close(watch);
    return met;
}

int waitForExit(pid_t child) {
    int status = 0;
    if (::waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class ChildProcess {
public:
    ChildProcess() {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
        environment.emplace_back("QT_QPA_PLATFORM=offscreen");
        environment.emplace_back("ASAN_OPTIONS=detect_leaks=0");
        std::vector<char*> envp;
        for (auto& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string binary = TOLLIVAR_APPLICATION_BINARY;
        char* argv[] = {binary.data(), nullptr};
        spawned_ = ::posix_spawn(&pid_, binary.c_str(), nullptr, nullptr, argv, envp.data()) == 0;
    }
    ~ChildProcess() {
        if (spawned_ && !reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool spawned() const { return spawned_; }
    pid_t pid() const { return pid_; }
    int stopWith(int signal) {
        ::kill(pid_, signal);
        reaped_ = true;
        return waitForExit(pid_);
    }

private:
    pid_t pid_ = -1;
    bool spawned_ = false;
    bool reaped_ = false;
};

void expectCleanEndOnSignal(int signal) {
    testsupport::TempAppFolders folders;
    std::string settings = folders.documents() + "/.settings.plist";
    std::string defaults = folders.config() + "/defaults.plist";
    ChildProcess child;
    ASSERT_TRUE(child.spawned());
    ASSERT_TRUE(waitInFolder(folders.config(), child.pid(), [&] { return launchCompleted(defaults); }))
        << "the application did not finish launching";
    ASSERT_TRUE(fs::exists(folders.caches() + "/.kelbrin-introduction/kelbrin.meta"));

    // Whatever the launch saved goes; only the terminate path can bring it back.
    fs::remove(settings);
    EXPECT_EQ(child.stopWith(signal), 0);
    auto saved = testsupport::runPython(
        "import plistlib, sys\nprint(plistlib.load(open(sys.argv[1], 'rb'))['version'])", {settings});
    EXPECT_EQ(saved.exitCode, 0) << saved.output;
    EXPECT_EQ(saved.output, "4.0\n");
}

TEST(ApplicationProcess, SigtermSavesTheSettingsAndExitsCleanly) { expectCleanEndOnSignal(SIGTERM); }

TEST(ApplicationProcess, SigintSavesTheSettingsAndExitsCleanly) { expectCleanEndOnSignal(SIGINT); }

}  // namespace
