// Temporaries held by their writers: a sweep takes only those nobody holds,
// whichever process made them.

#include "platform/foundation/FileManager.h"
#include "platform/foundation/StreamedFile.h"
#include "platform/foundation/TemporaryClaim.h"
#include "support/ChildProcess.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace foundation;
namespace fs = std::filesystem;

namespace {

constexpr const char* kUuid = "0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D";

TEST(TemporaryClaim, NamesOfTemporariesGiveTheirTargets) {
    const std::string uuid = kUuid;
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {".film.mov.partial-" + uuid, "film.mov"},
        {".record-3.m4a.partial", "record-3.m4a"},  // as recordings were named before
        {"..partial-" + uuid, std::nullopt},
        {"film.mov.partial-" + uuid, std::nullopt},  // not hidden: no writer of ours
        {".film.mov.partial-" + uuid.substr(1), std::nullopt},
        {".film.mov.tmp-12-3-0a1b2c3d", std::nullopt},
    };
    for (const auto& [name, target] : cases) EXPECT_EQ(temporaryTargetName(name), target) << name;
}

TEST(TemporaryClaim, ASweepTakesWhatNoWriterHoldsAndNothingElse) {
    testsupport::TempAppFolders folders;
    const std::string dir = folders.temporary();
    // Held in this process: a streamed file being written, a claimed folder.
    auto streamed = StreamedFile::create(dir + "/film.mov");
    ASSERT_TRUE(streamed);
    ASSERT_TRUE(streamed->write("frames", 6));
    auto folder = TemporaryClaim::create(dir + "/pictures", TemporaryClaim::Kind::Folder);
    ASSERT_TRUE(folder);
    testsupport::writeFileBytes(folder->path() + "/frame-00000.jpg", "jpeg");
    // Held by another process that is alive, then by one that was killed.
    auto holder = [&](const std::string& target) {
        testsupport::ChildProcess::Options options;
        options.captureOutput = true;
        auto child = testsupport::ChildProcess::forked(
            [target] {
                auto claim = TemporaryClaim::create(target, TemporaryClaim::Kind::File);
                if (!claim) return 1;
                std::fputc('.', stdout);
                std::fflush(stdout);
                ::pause();
                return 0;
            },
            options);
        EXPECT_TRUE(child.readUntil('.'));
        return child;
    };
    auto alive = holder(dir + "/alive.m4a");
    auto killed = holder(dir + "/killed.m4a");
    EXPECT_EQ(killed.stop(SIGKILL), 128 + SIGKILL);
    // Left by writers of older runs, and names that are no temporaries.
    testsupport::writeFileBytes(dir + "/.record-1.m4a.partial", "aac");
    testsupport::writeFileBytes(dir + "/.old.gif.partial-" + std::string(kUuid), "gif");
    fs::create_directory(dir + "/.old.images.partial-" + std::string(kUuid));
    testsupport::writeFileBytes(dir + "/.old.images.partial-" + std::string(kUuid) + "/frame-00000.jpg", "jpeg");
    testsupport::writeFileBytes(dir + "/record-2.m4a", "a finished take");
    testsupport::writeFileBytes(dir + "/.settings.plist", "plist");
    testsupport::writeFileBytes(dir + "/elsewhere", "not ours to sweep");
    fs::create_symlink(dir + "/elsewhere", dir + "/.link.mov.partial-" + std::string(kUuid));

    const std::vector<std::string> before = testsupport::namesInFolder(dir);
    std::vector<std::string> removed = removeAbandonedTemporaries(dir);
    std::sort(removed.begin(), removed.end());
    std::vector<std::string> expected{".old.gif.partial-" + std::string(kUuid),
                                      ".old.images.partial-" + std::string(kUuid), ".record-1.m4a.partial"};
    for (const std::string& name : before)
        if (name.starts_with(".killed.m4a.partial-")) expected.push_back(name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(removed, expected);
    std::vector<std::string> left = before;
    std::erase_if(left, [&](const std::string& name) {
        return std::find(expected.begin(), expected.end(), name) != expected.end();
    });
    EXPECT_EQ(testsupport::namesInFolder(dir), left);
    EXPECT_EQ(testsupport::readFileBytes(dir + "/elsewhere"), "not ours to sweep");

    // What is held is written on and placed as if no sweep had come.
    ASSERT_TRUE(streamed->write(" and more", 9));
    ASSERT_TRUE(streamed->commit());
    EXPECT_EQ(testsupport::readFileBytes(dir + "/film.mov"), "frames and more");
    EXPECT_TRUE(fs::exists(folder->path() + "/frame-00000.jpg"));
    // Once let go, a temporary is a leftover like any other.
    EXPECT_EQ(alive.stop(SIGKILL), 128 + SIGKILL);
    const std::string held = folder->path();
    folder->release();
    removed = removeAbandonedTemporaries(dir);
    EXPECT_EQ(removed.size(), 2u);
    EXPECT_FALSE(fs::exists(held));
}

}  // namespace
