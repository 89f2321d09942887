// Every frame list a save writes opens again, however long; a list its
// folder's files do not pay for is refused by the save (the last list kept)
// and by the opening, before it is read.

#include "ProjectModelFixture.h"
#include "platform/foundation/PropertyList.h"
#include "support/TestFiles.h"

#include <cerrno>
#include <fstream>

namespace {

constexpr size_t kFixedBytes = 4 << 10;  // the fixed part of the bound, scaled down

FramePtr textCard(size_t textBytes) {
    FramePtr card = Frame::create(Frame::kTypeThemeTextCard);
    card->setTheme(std::make_shared<KWThemeItem>());
    card->getTheme()->setText(std::string(textBytes, 'w'));
    return card;
}

class FrameListBoundTest : public ProjectModelFixture {
protected:
    FrameListBoundTest() { ProjectDataWrapper::setFixedFrameListBytesForTesting(kFixedBytes); }
    ~FrameListBoundTest() override { ProjectDataWrapper::setFixedFrameListBytesForTesting(std::nullopt); }
};

TEST_F(FrameListBoundTest, EveryListASaveWritesOpensAgainAndNoOtherIsRead) {
    const struct {
        const char* what;
        int pictures;
        bool withFiles;
        size_t cardText;  // 0: no card
        bool written;
    } cases[] = {{"pictures within the fixed bound", 5, true, 0, true},
                 {"pictures far past it", 60, true, 0, true},
                 {"pictures and a text card past it", 40, true, 300, true},
                 {"a card text the folder cannot hold", 5, true, 16 << 10, false},
                 {"pictures whose files are not there", 40, false, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto project = savedProject(1);
        const std::string folder = *project->getProjectPath(), listFile = folder + "/frames.meta";
        const std::string before = testsupport::readFileBytes(listFile);
        auto list = project->getFrameList();
        for (int i = 0; i < c.pictures; ++i) {  // the pictures first, as capture writes them
            FramePtr frame = Frame::create(Frame::kTypePicture);
            for (const std::string& name : c.withFiles ? picturesOf(frame->frameID()) : std::set<std::string>{})
                std::ofstream(folder + "/" + name) << "jpeg";
            list->insertFrame(frame, list->getCaptureIndex());
        }
        if (c.cardText) list->addFrame(textCard(c.cardText));

        const foundation::Status saved = project->saveFramelistToDisk();
        ASSERT_EQ(saved.ok(), c.written);
        if (!saved) {
            EXPECT_EQ(saved.error().code, EFBIG);
            EXPECT_EQ(testsupport::readFileBytes(listFile), before) << "the last list stays";
        }
        auto reopened = ProjectModel::create(folder);
        ASSERT_TRUE(reopened->getFrameList()) << reopened->frameListLoadError()->description;
        EXPECT_EQ(reopened->getFrameList()->count(), c.written ? list->count() : 2);

        // The same list without its pictures, as an archive could bring it.
        if (!c.written || std::filesystem::file_size(listFile) <= kFixedBytes) continue;
        for (const std::string& name : folderFiles(folder))
            if (name.ends_with(".jpg")) std::filesystem::remove(folder + "/" + name);
        auto bare = ProjectModel::create(folder);
        EXPECT_EQ(bare->getFrameList(), nullptr);
        EXPECT_EQ(bare->frameListLoadError()->code, EFBIG);
    }
}

// What a frame of each kind takes of the list stays inside what its files allow.
TEST_F(FrameListBoundTest, EveryKindOfFrameTakesLessOfTheListThanItsFilesAllow) {
    FramePtr clipped = Frame::create(Frame::kTypePicture);
    clipped->setAudio(std::make_shared<KWAudioClip>("Voice-over 00:12:04", "record-" + clipped->frameID() + ".m4a"));
    const std::pair<FramePtr, uint64_t> kinds[] = {
        {Frame::create(Frame::kTypePicture), 3}, {Frame::create(Frame::kTypeTitleCard), 3}, {textCard(120), 3},
        {clipped, 4}};
    for (const auto& [frame, files] : kinds) {
        FrameList list;
        for (int i = 0; i < 500; ++i) list.addFrame(frame->copy());
        const auto bytes = foundation::plist::serialize(foundation::Value(list.encode()), foundation::plist::Format::Xml);
        EXPECT_LE(bytes.value().size(), ProjectDataWrapper::maximumFrameListBytes(files * 500 + 2) - kFixedBytes)
            << frame->type();
    }
}

}  // namespace
