// The temporary folder when another user holds its name, with the real
// executable: each run makes one folder of its own and takes it along when it
// quits, a start takes away what killed runs left (never an earlier release's
// folder), and later launches reach the running copy.

#include "AppProcess.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace startuptest;

// What a test that hides /tmp still needs from it when the checkout or the
// tests' temporary folder lies there: the sources, the application with its
// resources, and the folder the test makes its own folders in.
std::vector<std::string> foldersTheTestReads() {
    return {TOLLIVAR_SOURCE_DIR, fs::path(TOLLIVAR_APPLICATION_BINARY).parent_path(), TOLLIVAR_BUILD_RESOURCES,
            fs::temp_directory_path()};
}

// A hidden folder that holds what its test reads: the kept folders (and
// what lies below them) are there, readable and writable as before, and
// nothing else is; the new file system is read-only when asked.
TEST(PrivateDeviceTest, KeepsReachableOnlyTheFoldersKept) {
    testsupport::TempAppFolders folders;
    const std::string hidden = folders.root() + "/hidden", outside = folders.root() + "/outside";
    const std::vector<std::string> marked = {"build/bin", "build/resources", "sources", "other", outside};
    const auto at = [&](const std::string& folder) { return folder.starts_with("/") ? folder : hidden + "/" + folder; };
    for (const std::string& folder : marked) testsupport::writeFileBytes(at(folder) + "/marker", folder);
    struct Case {
        std::vector<std::string> keep;
        bool readOnly;
        std::set<std::string> reachable;  // of the marked folders below `hidden`
    };
    const Case cases[] = {
        {{"build/bin", "sources"}, false, {"build/bin", "sources"}},
        {{"build/resources", "build", "sources/"}, true, {"build/bin", "build/resources", "sources"}},
        {{".", outside}, false, {}},
        {{}, true, {}},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << number);
        std::vector<std::string> keep;
        for (const std::string& folder : c.keep) keep.push_back(at(folder));
        const std::string written = "written-" + std::to_string(++number);
        // Exit 1 + the index of the first marked folder seen wrongly; 10 for
        // the new file system's own writability.
        const int status = testsupport::onPrivateDevice(
            hidden, 64, c.readOnly,
            [&] {
                for (size_t i = 0; i < marked.size(); ++i) {
                    const bool expected = marked[i] == outside || c.reachable.contains(marked[i]);
                    if ((testsupport::readFileBytes(at(marked[i]) + "/marker") == marked[i]) != expected)
                        return 1 + static_cast<int>(i);
                    if (expected) testsupport::writeFileBytes(at(marked[i]) + "/" + written, written);
                }
                testsupport::writeFileBytes(hidden + "/" + written, written);
                return fs::exists(hidden + "/" + written) == c.readOnly ? 10 : 0;
            },
            keep);
        if (status == testsupport::kNoPrivateDevice) GTEST_SKIP() << "cannot mount a private file system here";
        EXPECT_EQ(status, 0);
        // What was written into a kept folder is in the real one.
        for (const std::string& folder : c.reachable)
            EXPECT_EQ(testsupport::readFileBytes(at(folder) + "/" + written), written) << folder;
        EXPECT_FALSE(fs::exists(hidden + "/" + written));
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
    const int status = testsupport::onPrivateDevice(
        "/tmp", 1 << 20, false,
        [] {
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
        },
        foldersTheTestReads());
    if (status == testsupport::kNoPrivateDevice) GTEST_SKIP() << "needs root to mount a /tmp of its own";
    EXPECT_EQ(status, 0) << "2: no start, 3: the later launch did not hand its file over";
}

}  // namespace
