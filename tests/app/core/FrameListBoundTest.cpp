// The frame list's bound grows with its folder: every list a save writes
// opens again, however long; a list its folder's files do not pay for is
// refused by the save (aloud, the last list kept) and by the opening, before
// it is read; and every kind of frame the program writes takes less of the
// list than the files it comes with allow.

#include "ProjectModelFixture.h"
#include "platform/foundation/PropertyList.h"

#include <cerrno>
#include <cstdint>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// The fixed part of the bound, scaled down so that some dozens of frames pass it.
constexpr size_t kFixedBytes = 4 << 10;

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

FramePtr textCard(size_t textBytes) {
    FramePtr card = Frame::create(Frame::kTypeThemeTextCard);
    auto theme = std::make_shared<KWThemeItem>();
    theme->setThemeID(20);
    theme->setText(std::string(textBytes, 'w'));
    card->setTheme(theme);
    return card;
}

class FrameListBoundTest : public ProjectModelFixture {
protected:
    FrameListBoundTest() { ProjectDataWrapper::setFixedFrameListBytesForTesting(kFixedBytes); }
    ~FrameListBoundTest() override { ProjectDataWrapper::setFixedFrameListBytesForTesting(std::nullopt); }

    // Pictures in front of the capture slot of a project that has its
    // folder, each with its three files (stand-ins) written first, as
    // capture writes them.
    static void storePictures(ProjectModel& project, int n, bool withFiles) {
        auto list = project.getFrameList();
        for (int i = 0; i < n; ++i) {
            FramePtr frame = Frame::create(Frame::kTypePicture);
            for (const std::string& name : withFiles ? picturesOf(frame->frameID()) : std::set<std::string>{})
                std::ofstream(*project.pathForFile(name)) << "jpeg";
            list->insertFrame(frame, list->getCaptureIndex());
        }
    }
};

TEST_F(FrameListBoundTest, EveryListASaveWritesOpensAgainAndNoOtherIsRead) {
    const struct Case {
        const char* what;
        int pictures;
        bool withFiles;
        int cards;
        size_t textBytes;
        bool written;
    } cases[] = {
        {"pictures within the fixed bound", 5, true, 0, 0, true},
        {"pictures far past it", 60, true, 0, 0, true},
        {"pictures and text cards past it", 40, true, 10, 300, true},
        {"text cards whose texts the folder cannot hold", 5, true, 2, 16 << 10, false},
        {"pictures whose files are not there", 40, false, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto project = savedProject(1);
        const std::string folder = *project->getProjectPath(), listFile = folder + "/frames.meta";
        const std::string before = readText(listFile);
        storePictures(*project, c.pictures, c.withFiles);
        for (int i = 0; i < c.cards; ++i) project->getFrameList()->addFrame(textCard(c.textBytes));
        const int64_t count = project->getFrameList()->count();

        const foundation::Status saved = project->saveFramelistToDisk();
        ASSERT_EQ(saved.ok(), c.written);
        if (!saved) {
            EXPECT_EQ(saved.error().code, EFBIG);
            EXPECT_EQ(readText(listFile), before) << "the last list stays";
        }
        // Whatever was written opens again, whole.
        auto reopened = ProjectModel::create(folder);
        ASSERT_TRUE(reopened->getFrameList()) << reopened->frameListLoadError()->description;
        EXPECT_EQ(reopened->getFrameList()->count(), c.written ? count : 2);

        // The same list in a folder without its pictures, as an archive
        // could bring it, is refused before it is read.
        if (!c.written || fs::file_size(listFile) <= kFixedBytes) continue;
        for (const std::string& name : folderFiles(folder))
            if (name.ends_with(".jpg")) fs::remove(folder + "/" + name);
        auto bare = ProjectModel::create(folder);
        EXPECT_EQ(bare->getFrameList(), nullptr);
        EXPECT_EQ(bare->frameListLoadError()->code, EFBIG);
    }
}

TEST_F(FrameListBoundTest, EveryKindOfFrameTakesLessOfTheListThanItsFilesAllow) {
    const auto clip = [] {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        auto clip = std::make_shared<KWAudioClip>("Voice-over 00:12:04", "record-" + frame->frameID() + ".m4a");
        clip->setStop(12000);
        clip->setDuration(12000);
        frame->setAudio(clip);
        return frame;
    };
    const struct {
        const char* what;
        std::function<FramePtr()> make;
        uint64_t files;
    } kinds[] = {
        {"picture", [] { return Frame::create(Frame::kTypePicture); }, 3},
        {"title card", [] { return Frame::create(Frame::kTypeTitleCard); }, 3},
        {"text card", [] { return textCard(120); }, 3},
        {"picture with a sound clip", clip, 4},
    };
    constexpr int kFrames = 500;
    for (const auto& kind : kinds) {
        FrameList list;
        for (int i = 0; i < kFrames; ++i) list.addFrame(kind.make());
        const auto bytes = foundation::plist::serialize(foundation::Value(list.encode()), foundation::plist::Format::Xml);
        ASSERT_TRUE(bytes);
        // With the folder's two project files.
        EXPECT_LE(bytes->size(), ProjectDataWrapper::maximumFrameListBytes(kind.files * kFrames + 2) - kFixedBytes)
            << kind.what;
    }
    EXPECT_GE(ProjectDataWrapper::maximumFrameListBytes(UINT64_MAX),
              ProjectDataWrapper::maximumFrameListBytes(uint64_t(1) << 40))
        << "no overflow";
}

}  // namespace
