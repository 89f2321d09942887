// Where an incoming sound lands: its own name, the same sound reused, or
// the first free numbered name; never a replaced file, never a partial one.

#include "app/audio/AudioFilePlacement.h"
#include "platform/foundation/FileManager.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(AudioFilePlacement, NumberedNamesGoBeforeTheExtension) {
    struct Case {
        const char* name;
        int number;
        const char* expected;
    } cases[] = {
        {"song.mp3", 2, "song-2.mp3"}, {"notes", 3, "notes-3"},   {"a.b.wav", 2, "a.b-2.wav"},
        {".hidden", 2, ".hidden-2"},   {"x.m4a", 12, "x-12.m4a"},
    };
    for (const Case& c : cases) EXPECT_EQ(numberedFileName(c.name, c.number), c.expected) << c.name;
}

TEST(AudioFilePlacement, SameBytesAreReusedOtherBytesTakeTheNextFreeName) {
    testsupport::TempAppFolders folders;
    const fs::path folder = fs::path(folders.documents()) / "project";
    const fs::path source = fs::path(folders.temporary()) / "clip.wav";
    testsupport::writeFileBytes(source, "the new sound");
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> before;  // files in the folder
        const char* landsAs;
        bool existed;
    } cases[] = {
        {"free name", {}, "clip.wav", false},
        {"same sound there", {{"clip.wav", "the new sound"}}, "clip.wav", true},
        {"other sound there", {{"clip.wav", "an old sound"}}, "clip-2.wav", false},
        {"same length, other bytes", {{"clip.wav", "the old sound"}}, "clip-2.wav", false},
        {"numbered copy is the same", {{"clip.wav", "old"}, {"clip-2.wav", "the new sound"}}, "clip-2.wav", true},
        {"two names taken", {{"clip.wav", "old"}, {"clip-2.wav", "older"}}, "clip-3.wav", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const auto& [name, contents] : c.before) testsupport::writeFileBytes(folder / name, contents);
        auto placed = placeAudioFile(source, folder.string(), "clip.wav", PlacementMode::Copy);
        ASSERT_TRUE(placed) << placed.error().description;
        EXPECT_EQ(placed->path, (folder / c.landsAs).string());
        EXPECT_EQ(placed->existed, c.existed);
        EXPECT_EQ(testsupport::readFileBytes(folder / c.landsAs), "the new sound");
        // Every earlier file keeps its bytes, and nothing else appeared.
        for (const auto& [name, contents] : c.before)
            EXPECT_EQ(testsupport::readFileBytes(folder / name), contents) << name;
        EXPECT_EQ(testsupport::namesInFolder(folder).size(), c.before.size() + (c.existed ? 0 : 1));
        EXPECT_EQ(testsupport::readFileBytes(source), "the new sound");  // a copy keeps its source
    }
}

TEST(AudioFilePlacement, MovesConsumeTheSourceOnlyWhenTheyWriteAndAFileInPlaceIsItself) {
    testsupport::TempAppFolders folders;
    const fs::path folder = fs::path(folders.documents()) / "inbox";
    testsupport::writeFileBytes(folder / "a.mp3", "same");
    const fs::path twin = fs::path(folders.temporary()) / "a.mp3";
    testsupport::writeFileBytes(twin, "same");
    auto reused = placeAudioFile(twin.string(), folder.string(), "a.mp3", PlacementMode::Move);
    ASSERT_TRUE(reused);
    EXPECT_TRUE(reused->existed);
    EXPECT_TRUE(fs::exists(twin));  // the inbox had it: nothing lost, nothing moved

    testsupport::writeFileBytes(twin, "different");
    auto moved = placeAudioFile(twin.string(), folder.string(), "a.mp3", PlacementMode::Move);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->path, (folder / "a-2.mp3").string());
    EXPECT_FALSE(fs::exists(twin));
    EXPECT_EQ(testsupport::readFileBytes(folder / "a-2.mp3"), "different");

    auto itself = placeAudioFile((folder / "a.mp3").string(), folder.string(), "a.mp3", PlacementMode::Copy);
    ASSERT_TRUE(itself);
    EXPECT_TRUE(itself->existed);
    EXPECT_EQ(testsupport::namesInFolder(folder), (std::vector<std::string>{"a-2.mp3", "a.mp3"}));

    auto missing = placeAudioFile((folder / "gone.mp3").string(), folder.string(), "gone.mp3", PlacementMode::Copy);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, foundation::kFileReadNoSuchFileError);
}

TEST(AudioFilePlacement, AFullDeviceLeavesNoPartialCopy) {
    testsupport::TempAppFolders folders;
    const std::string folder = folders.documents() + "/small";
    fs::create_directories(folder);
    const fs::path source = fs::path(folders.temporary()) / "big.wav";
    testsupport::writeFileBytes(source, std::string(512 * 1024, 'x'));
    int code = testsupport::onPrivateDevice(folder, 128, false, [&] {
        auto placed = placeAudioFile(source.string(), folder, "big.wav", PlacementMode::Copy);
        if (placed) return 10;
        if (!foundation::isOutOfSpaceError(placed.error())) return 11;
        return testsupport::namesInFolder(folder).empty() ? 0 : 12;
    });
    if (code == testsupport::kNoPrivateDevice) GTEST_SKIP() << "cannot mount a private file system here";
    EXPECT_EQ(code, 0) << "child check failed with code " << code;
}
