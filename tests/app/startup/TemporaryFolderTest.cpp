// The temporary folder when another user holds its name, with the real
// executable and no runtime folder: each run makes one folder of its own and
// takes it along when it quits; a start takes away what killed runs left, and
// nothing that is someone else's or that a running copy holds.

#include "AppProcess.h"
#include "platform/foundation/PrivateFolder.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace startuptest;

class SquattedTemporaryFolderTest : public ::testing::Test {
protected:
    SquattedTemporaryFolderTest() {
        fs::create_directories(shared());
        ::chmod(shared().c_str(), 01777);
        // Another user's: a name this user cannot have as a folder of its own.
        testsupport::writeFileBytes(shared() + "/" + userFolder(), "someone else's");
    }

    std::string shared() const { return folders.root() + "/shared-tmp"; }
    static std::string userFolder() { return "tollivar-" + std::to_string(::getuid()); }
    std::vector<std::string> environment() const { return {"TMPDIR=" + shared(), "XDG_RUNTIME_DIR="}; }

    // The folders of runs' kind in the shared temporary folder.
    std::set<std::string> runFolders() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(shared()))
            if (entry.path().filename().string().starts_with(userFolder() + "-"))
                names.insert(entry.path().filename().string());
        return names;
    }
    std::set<std::string> madeSince(const std::set<std::string>& before) const {
        std::set<std::string> made;
        const auto now = runFolders();
        std::set_difference(now.begin(), now.end(), before.begin(), before.end(), std::inserter(made, made.end()));
        return made;
    }

    void waitForLaunch(testsupport::ChildProcess& child, int64_t count) {
        ASSERT_TRUE(waitInFolder(folders.config(), child, [&] { return launchCount(folders.config()) >= count; }))
            << "the application did not finish launching";
    }

    testsupport::TempAppFolders folders;
};

TEST_F(SquattedTemporaryFolderTest, EachRunHasOneFolderAndTakesItAlongWhenItQuits) {
    // Not a run's to sweep: one a running copy holds, one others may enter,
    // a link to a folder of ours.
    const std::string prefix = userFolder() + "-";
    std::optional<foundation::RunFolder> held = foundation::RunFolder::create(shared(), prefix);
    ASSERT_TRUE(held);
    testsupport::writeFileBytes(held->path() + "/recording.m4a", "x");
    fs::create_directory(shared() + "/" + prefix + "Open01");
    ::chmod((shared() + "/" + prefix + "Open01").c_str(), 0755);
    fs::create_directory(folders.root() + "/elsewhere");
    ::chmod((folders.root() + "/elsewhere").c_str(), 0700);
    fs::create_directory_symlink(folders.root() + "/elsewhere", shared() + "/" + prefix + "Link02");
    const std::set<std::string> kept = runFolders();

    auto killed = startApplication({}, {}, environment());
    waitForLaunch(killed, 1);
    const std::set<std::string> left = madeSince(kept);
    EXPECT_EQ(left.size(), 1u) << "one folder per run";
    killed.stop(SIGKILL);
    ASSERT_EQ(madeSince(kept), left);

    auto running = startApplication({}, {}, environment());
    waitForLaunch(running, 2);
    EXPECT_TRUE(waitInFolder(shared(), running, [&] {
        return madeSince(kept).size() == 1 && !madeSince(left).empty();
    })) << "the killed run's folder was not taken away";
    const std::set<std::string> own = madeSince(kept);
    ASSERT_EQ(own.size(), 1u);
    struct stat status {};
    ASSERT_EQ(::lstat((shared() + "/" + *own.begin()).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);

    // A later launch reaches the running copy through the socket in that
    // folder, and makes none of its own.
    const std::string archive = folders.root() + "/Film.tollivarmobile";
    fs::copy_file(TOLLIVAR_BUILD_RESOURCES "/sample/sample.zip", archive);
    auto later = startApplication({archive}, {}, environment());
    EXPECT_EQ(later.wait(), 0);
    EXPECT_EQ(madeSince(kept), own);
    // The import ends before the quit: the archive was taken.
    EXPECT_TRUE(waitInFolder(folders.documents(), running, [&] {
        auto list = foundation::plist::readFile(folders.documents() + "/.projects.plist");
        return list && list->isArray() && list->asArray().size() == 2;
    })) << "the running copy did not take the archive";

    EXPECT_EQ(running.stop(SIGTERM), 0);
    EXPECT_EQ(runFolders(), kept);
    EXPECT_TRUE(fs::exists(held->path() + "/recording.m4a"));
    EXPECT_TRUE(fs::is_regular_file(shared() + "/" + userFolder())) << "someone else's is left alone";
}

}  // namespace
