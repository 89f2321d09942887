// A picture that cannot be written, on a small file system of the test's
// own: a child run of this binary in a private mount namespace puts a tmpfs
// over the documents folder, then makes it read-only or fills it.

#include "app/capture/CaptureScreenTestSupport.h"
#include "platform/foundation/FileManager.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "support/ChildProcess.h"
#include "support/Process.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/mount.h>
#include <sys/statvfs.h>

namespace capturetest {
namespace {

constexpr const char* kChildVariable = "TOLLIVAR_CAPTURE_STORE_FAILURE_CHILD";
constexpr uint64_t kHundredMiB = 104857600;
const std::string kUnknownText = "Ups. An unknown error occured. (CaptureViewController-636)";
const std::string kFullText =
    "There is almost no space left on this device. You cannot record new media until you free some space.";

// Every file of the project folder with its contents.
std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

class CaptureStoreFailureChild : public CaptureScreenTest {};

TEST_F(CaptureStoreFailureChild, InPrivateMounts) {
    if (!std::getenv(kChildVariable)) GTEST_SKIP() << "runs as a child of CaptureStoreFailure";
    const std::string documents = folders.documents();
    if (::mount("tmpfs", documents.c_str(), "tmpfs", 0, "size=16m") != 0)
        GTEST_SKIP() << "cannot mount a file system here: " << std::strerror(errno);

    auto project = storedProject();
    const std::string folder = *project->getProjectPath();
    const auto before = snapshot(folder);
    const auto metaBefore = project->getMetaData()->copy();
    openScreen(project);

    struct Row {
        const char* failure;  // how the write fails
        uint64_t freeSpace;
        std::string message;
    };
    const Row rows[] = {
        {"read-only", kHundredMiB, kUnknownText},
        {"read-only", kHundredMiB - 1, kFullText},
        // Room for the three pictures but not for the list that names them.
        {"pictures only", uint64_t{1} << 34, kFullText},
        {"full", uint64_t{1} << 34, kFullText},  // the write itself says the device is full
    };
    const std::string filler = documents + "/filler";
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.failure << " with " << row.freeSpace << " bytes free");
        const std::string failure = row.failure;
        if (failure == "read-only") {
            ASSERT_EQ(::mount(nullptr, documents.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        } else if (failure == "pictures only") {
            struct statvfs fs {};
            ASSERT_EQ(::statvfs(documents.c_str(), &fs), 0);
            const std::string inodes = "nr_inodes=" + std::to_string(fs.f_files - fs.f_ffree + 3);
            ASSERT_EQ(::mount(nullptr, documents.c_str(), nullptr, MS_REMOUNT, inodes.c_str()), 0);
        } else {
            ASSERT_EQ(::mount(nullptr, documents.c_str(), nullptr, MS_REMOUNT, "nr_inodes=100000"), 0);
            std::ofstream fill(filler, std::ios::binary);
            const std::string block(1 << 16, 'x');
            while (fill.write(block.data(), block.size())) {}
        }
        FileUtil::setFreeDiskspaceOverride(row.freeSpace);
        tap(screen->recordBtn());
        EXPECT_EQ(alertMessages(), std::vector<std::string>{row.message});
        for (auto& alert : ui::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
        EXPECT_EQ(project->getFrameList()->count(), 2);
        EXPECT_TRUE(*project->getMetaData() == metaBefore) << "the metadata changed in memory";
        EXPECT_EQ(snapshot(folder), before);
        EXPECT_TRUE(screen->recordBtn()->isEnabled());
        EXPECT_EQ(screen->frameLabel()->text(), "0002 / 0002");
    }

    // Room again: the next picture is stored, and nothing of the failed ones
    // reached the files.
    ASSERT_EQ(std::remove(filler.c_str()), 0);
    screen->actionPauseRecord();
    EXPECT_EQ(project->getFrameList()->count(), 3);
    screen->finishUpAndExit();
    auto reread = ProjectModel::create(folder);
    EXPECT_EQ(reread->getFrameList()->count(), 3);
    EXPECT_EQ(reread->getMetaData()->get("META_RECORD_THUMB_FRAME_ID").asString(),
              project->getFrameList()->getFrameAtIndex(1)->frameID());
    EXPECT_EQ(snapshot(folder).size(), before.size() + 3);  // the new frame's three pictures
}

TEST(CaptureStoreFailure, ReportsByFreeSpaceAndChangesNothing) {
    testsupport::ChildProcess::Options options;
    // The child's exit status is its verdict; leaks are what this binary's
    // own run checks, on the same screen code.
    options.environment = {std::string(kChildVariable) + "=1", "ASAN_OPTIONS=detect_leaks=0"};
    options.captureOutput = true;
    options.captureErrors = true;
    std::optional<testsupport::ChildProcess> child;
    try {
        child.emplace(testsupport::ChildProcess::spawn(
            {"unshare", "--mount", "--propagation", "private", testsupport::ChildProcess::thisExecutable(),
             "--gtest_filter=CaptureStoreFailureChild.*"},
            options));
    } catch (const std::exception& error) {
        GTEST_SKIP() << "no private mounts here: " << error.what();
    }
    const std::string output = child->readOutput();
    const int status = child->wait();
    if (status != 0 && output.find("unshare:") != std::string::npos)
        GTEST_SKIP() << "no private mounts here: " << output.substr(0, 200);
    if (output.find("[  SKIPPED ]") != std::string::npos && output.find("[  PASSED  ] 0 tests") != std::string::npos)
        GTEST_SKIP() << "the child could not mount: " << output;
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

}  // namespace
}  // namespace capturetest
