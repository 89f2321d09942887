// The temporary folder when another user holds its name, with the real
// executable: each run makes one folder of its own and takes it along when it
// quits, a start takes away what killed runs left (never an earlier release's
// folder), and later launches reach the running copy.

#include "AppProcess.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace startuptest;

// A hidden folder keeps the folders kept below it (and what lies below
// those), written into as the real ones, and nothing else: the body writes
// into each marked folder there; the new file system is read-only when asked.
TEST(PrivateDeviceTest, KeepsReachableOnlyTheFoldersKept) {
    testsupport::TempAppFolders folders;
    const std::string hidden = folders.root() + "/hidden";
    const std::vector<std::string> marked = {"build/bin", "build/resources", "sources", "other"};
    for (const std::string& folder : marked) fs::create_directories(hidden + "/" + folder);
    struct Case {
        std::vector<std::string> keep;  // below `hidden`
        bool readOnly;
        std::vector<std::string> reachable;
    };
    const Case cases[] = {
        {{"build/bin", "sources"}, false, {"build/bin", "sources"}},
        {{"build/resources", "build", "sources/"}, true, {"build/bin", "build/resources", "sources"}},
    };
    for (const Case& c : cases) {
        const std::string written = "/written-" + std::to_string(&c - cases);
        std::vector<std::string> keep, reached;
        for (const std::string& folder : c.keep) keep.push_back(hidden + "/" + folder);
        const auto body = [&] {
            for (const std::string& folder : marked) std::ofstream(hidden + "/" + folder + written) << "x";
            std::ofstream(hidden + written) << "x";
            return fs::exists(hidden + written) == c.readOnly ? 1 : 0;
        };
        const int status = testsupport::onPrivateDevice(hidden, 64, c.readOnly, body, keep);
        if (status == testsupport::kNoPrivateDevice) GTEST_SKIP() << "cannot mount a private file system here";
        EXPECT_EQ(status, 0) << "the new file system's writability, case " << &c - cases;
        for (const std::string& folder : marked)
            if (fs::exists(hidden + "/" + folder + written)) reached.push_back(folder);
        EXPECT_EQ(reached, c.reachable) << "case " << &c - cases;
    }
}

TEST(SquattedTemporaryFolderTest, EachRunHasOneFolderAndTakesItAlongWhenItQuits) {
    testsupport::TempAppFolders folders;
    const std::string shared = folders.root() + "/shared-tmp", named = "tollivar-" + std::to_string(::getuid());
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    // Another user's: a name this user cannot have as a folder of its own.
    testsupport::writeFileBytes(shared + "/" + named, "someone else's");
    const auto runFolders = [&] {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(shared))
            if (entry.path().filename().string().starts_with(named + "-run-"))
                names.insert(entry.path().filename().string());
        return names;
    };
    // An earlier release's run folder, which it did not hold while in use.
    const std::string earlier = shared + "/" + named + "-Ab12Cd";
    ASSERT_EQ(::mkdir(earlier.c_str(), 0700), 0);
    const std::vector<std::string> environment = {"TMPDIR=" + shared, "XDG_RUNTIME_DIR="};
    const auto launched = [&](testsupport::ChildProcess& child, int64_t count) {
        return waitInFolder(folders.config(), child, [&] { return launchCount(folders.config()) >= count; });
    };

    auto killed = startApplication({}, {}, environment);
    ASSERT_TRUE(launched(killed, 1));
    const std::set<std::string> left = runFolders();
    EXPECT_EQ(left.size(), 1u) << "one folder per run";
    killed.stop(SIGKILL);
    ASSERT_EQ(runFolders(), left);

    auto running = startApplication({}, {}, environment);
    ASSERT_TRUE(launched(running, 2));
    ASSERT_TRUE(waitInFolder(shared, running, [&] { return runFolders().size() == 1 && runFolders() != left; }))
        << "the killed run's folder was not taken away";
    const std::set<std::string> own = runFolders();

    // A later launch reaches the running copy through the socket in that
    // folder, and makes none of its own; the import ends before the quit.
    const std::string archive = folders.root() + "/Film.tollivarmobile";
    fs::copy_file(TOLLIVAR_BUILD_RESOURCES "/sample/sample.zip", archive);
    EXPECT_EQ(startApplication({archive}, {}, environment).wait(), 0);
    EXPECT_EQ(runFolders(), own);
    EXPECT_TRUE(waitInFolder(folders.documents(), running, [&] {
        auto list = foundation::plist::readFile(folders.documents() + "/.projects.plist");
        return list && list->isArray() && list->asArray().size() == 2;
    })) << "the running copy did not take the archive";

    EXPECT_EQ(running.stop(SIGTERM), 0);
    EXPECT_TRUE(runFolders().empty());
    EXPECT_TRUE(fs::is_regular_file(shared + "/" + named)) << "someone else's is left alone";
    EXPECT_TRUE(fs::exists(earlier)) << "an earlier release's folder was swept";
}

TEST(SquattedTemporaryFolderTest, WithALongRuntimeFolderALaterLaunchStillHandsItsFileOver) {
    // A /tmp of this test's own, where another user holds the name of this
    // user's folder; no TMPDIR; a runtime folder too long for a socket.
    const auto body = [] {
        const std::string named = "/tmp/tollivar-" + std::to_string(::getuid());
        if (::mkdir(named.c_str(), 0700) != 0 || ::chown(named.c_str(), 4242, 4242) != 0)
            return testsupport::kNoPrivateDevice;  // only root can give a folder away
        testsupport::TempAppFolders folders;
        const std::string runtime = folders.root() + "/" + std::string(119 - folders.root().size(), 'r');
        if (::mkdir(runtime.c_str(), 0700) != 0) return 2;
        const std::vector<std::string> environment = {"TMPDIR=", "XDG_RUNTIME_DIR=" + runtime};
        auto running = startApplication({}, {}, environment);
        if (!waitInFolder(folders.config(), running, [&] { return launchCompleted(folders.config()); })) return 2;
        const std::string archive = folders.root() + "/Film.tollivarmobile";
        fs::copy_file(TOLLIVAR_BUILD_RESOURCES "/sample/sample.zip", archive);
        // It ends well only once the running copy has taken the archive.
        return startApplication({archive}, {}, environment).wait() == 0 ? 0 : 3;
    };
    // What the test reads (the sanitizers' suppressions too) may lie in the /tmp it hides.
    const std::vector<std::string> keep = {TOLLIVAR_SOURCE_DIR, fs::path(TOLLIVAR_APPLICATION_BINARY).parent_path(),
                                           TOLLIVAR_BUILD_RESOURCES, fs::temp_directory_path()};
    const int status = testsupport::onPrivateDevice("/tmp", 1 << 20, false, body, keep);
    if (status == testsupport::kNoPrivateDevice) GTEST_SKIP() << "needs root to mount a /tmp of its own";
    EXPECT_EQ(status, 0) << "2: no start, 3: the later launch did not hand its file over";
}

}  // namespace
