#include "app/audio/KWAudioImporter.h"
#include "app/core/ShowErrorNotification.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/TestSounds.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace fs = std::filesystem;

TEST(SharedAudioInbox, FileURLIsMovedInUnderItsOwnNameEscapesDecoded) {
    testsupport::TempAppFolders folders;
    fs::path source = fs::path(folders.temporary()) / "Voice memo 1.m4a";
    testsupport::writeFileBytes(source, "sound bytes");
    // No inbox yet: the import creates it.
    KWAudioImporter::importAudioFromFileURL("file://" + fs::path(folders.temporary()).string() +
                                            "/Voice%20memo%201.m4a");
    fs::path moved = fs::path(folders.documents()) / "shared-audio" / "Voice memo 1.m4a";
    EXPECT_EQ(testsupport::readFileBytes(moved), "sound bytes");
    EXPECT_FALSE(fs::exists(source));
}

namespace {

// Files the importer is handed: ffmpeg-made sounds and plain files.
struct ImportFixture : ::testing::Test {
    testsupport::TempAppFolders folders;
    ProjectModelPtr project = ProjectModel::create();
    KWAudioImporter importer{project};
    std::vector<foundation::Error> shownErrors;
    foundation::ObserverToken observer = foundation::NotificationCenter::defaultCenter().addObserver(
        kShowErrorNotification, nullptr, [this](const foundation::Notification& notification) {
            EXPECT_EQ(notification.object, &importer);
            const auto* error = notification.userInfo.get(kShowErrorNotificationErrorKey).objectAs<foundation::Error>();
            ASSERT_NE(error, nullptr);
            shownErrors.push_back(*error);
        });

    // A file named `name` in a folder of its own with the bytes of `from`.
    std::string named(const std::string& name, const std::string& from) {
        fs::path path = fs::path(folders.temporary()) / ("from-" + std::to_string(++count)) / name;
        testsupport::writeFileBytes(path, testsupport::readFileBytes(from));
        return path.string();
    }
    std::string projectFolder() const { return *project->getProjectPath(); }
    int count = 0;
};

std::string recording() {
    // 75.4 s, a whole number of samples, so the file's length is exact.
    return testsupport::testSound({"0.1*sin(2*PI*300*t)", 75.4, 44100, "m4a", {"-c:a", "aac"}});
}

}  // namespace

TEST_F(ImportFixture, ClipsTakeTheWholeSoundNamedByNameTypeOrLength) {
    const std::string take = named("record-2015-06-01-14-03-59.m4a", recording());
    struct Case {
        std::optional<std::string> name;
        int32_t type;
        const char* expectedName;
    } cases[] = {
        {std::nullopt, 1, "01:15"},
        {std::nullopt, 0, "record-2015-06-01-14-03-59"},
        {std::nullopt, 2, "record-2015-06-01-14-03-59"},
        {"record-of-my-voice", 1, "01:15"},  // the name, given or not, is what counts
        {"Morning", 1, "Morning"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedName);
        auto clip = importer.prepareAudioClipWithFile(take, c.name, c.type);
        ASSERT_TRUE(clip);
        EXPECT_EQ(clip->name(), c.expectedName);
        EXPECT_EQ(clip->fileName(), "record-2015-06-01-14-03-59.m4a");
        EXPECT_EQ(clip->start(), 0);
        EXPECT_EQ(clip->stop(), 75400);
        EXPECT_EQ(clip->duration(), 75400);
        EXPECT_EQ(clip->volume(), 1.0f);
        EXPECT_EQ(clip->timeIndexInAudioTrack(), 0);
    }
    // The project had no folder: the first import made it; every later one
    // found the same sound there and wrote nothing.
    EXPECT_EQ(testsupport::readFileBytes(fs::path(projectFolder()) / "record-2015-06-01-14-03-59.m4a"),
              testsupport::readFileBytes(take));
    EXPECT_TRUE(shownErrors.empty());
}

TEST_F(ImportFixture, ANameTakenByAnotherSoundGivesANumberedFileNeverTheWrongSound) {
    const std::string low = testsupport::testSound({"0.3*sin(2*PI*220*t)", 1, 44100, "wav"});
    const std::string high = testsupport::testSound({"0.3*sin(2*PI*880*t)", 2, 44100, "wav"});
    auto first = importer.prepareAudioClipWithFile(named("tune.wav", low), std::nullopt, 0);
    auto second = importer.prepareAudioClipWithFile(named("tune.wav", high), std::nullopt, 0);
    auto again = importer.prepareAudioClipWithFile(named("tune.wav", high), std::nullopt, 0);
    ASSERT_TRUE(first && second && again);
    EXPECT_EQ(first->fileName(), "tune.wav");
    EXPECT_EQ(second->fileName(), "tune-2.wav");
    EXPECT_EQ(again->fileName(), "tune-2.wav");
    EXPECT_EQ(second->name(), "tune");
    EXPECT_EQ(first->duration(), 1000);
    EXPECT_EQ(second->duration(), 2000);
    EXPECT_EQ(testsupport::readFileBytes(fs::path(projectFolder()) / "tune.wav"), testsupport::readFileBytes(low));
    EXPECT_EQ(testsupport::readFileBytes(fs::path(projectFolder()) / "tune-2.wav"), testsupport::readFileBytes(high));

    // A file already in the project (as a conversion's output is) is used in place.
    auto inPlace = importer.prepareAudioClipWithFile("file://" + projectFolder() + "/tune-2.wav", "Mine", 2);
    ASSERT_TRUE(inPlace);
    EXPECT_EQ(inPlace->fileName(), "tune-2.wav");
    EXPECT_EQ(fs::path(projectFolder()).filename().string().rfind(".kelbrin", 0), 0u);
    EXPECT_EQ(std::count_if(fs::directory_iterator(projectFolder()), fs::directory_iterator(),
                            [](const auto& entry) { return entry.path().extension() == ".wav"; }),
              2);
}

TEST_F(ImportFixture, UnreadableSoundsAreClipsOfNoLengthAndUncopiableFilesShowAnError) {
    testsupport::writeFileBytes(fs::path(folders.temporary()) / "text.mp3", "not a sound at all");
    auto empty = importer.prepareAudioClipWithFile(named("empty.m4a", "/dev/null"), std::nullopt, 1);
    auto text = importer.prepareAudioClipWithFile((fs::path(folders.temporary()) / "text.mp3").string(), {}, 0);
    ASSERT_TRUE(empty && text);
    for (const auto& clip : {empty, text}) {
        EXPECT_EQ(clip->duration(), 0);
        EXPECT_EQ(clip->stop(), 0);
        EXPECT_EQ(clip->volume(), 1.0f);
    }
    EXPECT_EQ(text->name(), "text");
    EXPECT_TRUE(shownErrors.empty());

    auto missing = importer.prepareAudioClipWithFile(folders.temporary() + "/gone.m4a", std::nullopt, 0);
    EXPECT_EQ(missing, nullptr);
    ASSERT_EQ(shownErrors.size(), 1u);
    EXPECT_EQ(shownErrors[0].domain, foundation::kCocoaErrorDomain);
    EXPECT_EQ(shownErrors[0].code, foundation::kFileReadNoSuchFileError);
}

// The project folder on a full device: an error is shown, no clip is made
// and no partial file stays in the project.
TEST_F(ImportFixture, AFullDeviceShowsAnErrorAndLeavesNoFile) {
    ASSERT_TRUE(project->createFilePathForProject());
    const std::string folder = projectFolder();
    const std::string source = named("long.wav", testsupport::testSound({"0.2*sin(2*PI*500*t)", 10, 44100, "wav"}));
    auto before = testsupport::namesInFolder(folder);
    // The project's files go onto the small device that takes the folder's place.
    std::map<std::string, std::string> files;
    for (const std::string& name : before) files[name] = testsupport::readFileBytes(fs::path(folder) / name);
    int code = testsupport::onPrivateDevice(folder, 256, false, [&] {
        for (const auto& [name, contents] : files) testsupport::writeFileBytes(fs::path(folder) / name, contents);
        auto clip = importer.prepareAudioClipWithFile(source, std::nullopt, 0);
        if (clip) return 10;
        if (shownErrors.size() != 1 || !foundation::isOutOfSpaceError(shownErrors[0])) return 11;
        return testsupport::namesInFolder(folder) == before ? 0 : 12;
    });
    if (code == testsupport::kNoPrivateDevice) GTEST_SKIP() << "cannot mount a private file system here";
    EXPECT_EQ(code, 0) << "child check failed with code " << code;
}

TEST(SharedAudioInbox, ArrivalsNeverReplaceAnotherSoundAndTheSameSoundIsKeptOnce) {
    testsupport::TempAppFolders folders;
    const fs::path inbox = fs::path(folders.documents()) / "shared-audio";
    testsupport::writeFileBytes(inbox / "clip.wav", "first");
    struct Case {
        const char* contents;
        std::optional<std::string> landsAs;  // none: the inbox had it
    } cases[] = {
        {"second", "clip-2.wav"},
        {"first", std::nullopt},
        {"second", std::nullopt},
        {"third", "clip-3.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contents);
        fs::path source = fs::path(folders.temporary()) / "clip.wav";
        testsupport::writeFileBytes(source, c.contents);
        auto kept = KWAudioImporter::importAudioFromFileURL("file://" + source.string());
        ASSERT_TRUE(kept);
        EXPECT_EQ(testsupport::readFileBytes(*kept), c.contents);
        EXPECT_EQ(fs::exists(source), !c.landsAs);
        if (c.landsAs) {
            EXPECT_EQ(*kept, (inbox / *c.landsAs).string());
        }
    }
    EXPECT_EQ(testsupport::namesInFolder(inbox), (std::vector<std::string>{"clip-2.wav", "clip-3.wav", "clip.wav"}));
    EXPECT_EQ(testsupport::readFileBytes(inbox / "clip.wav"), "first");
}
