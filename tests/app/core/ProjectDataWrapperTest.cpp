#include "ProjectModelFixture.h"
#include "app/core/KWImageProducer.h"
#include "app/core/SaveFailure.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <regex>

using foundation::Bytes;
using foundation::Dictionary;
using foundation::Value;
namespace fs = std::filesystem;

namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

Dictionary readPlist(const std::string& path) {
    auto value = foundation::plist::readFile(path);
    return value && value->isDictionary() ? value->asDictionary() : Dictionary{};
}

class ProjectStoreTest : public ProjectModelFixture {};

TEST_F(ProjectStoreTest, NewProjectWithOnlyTheCaptureSlotWritesNothing) {
    auto project = ProjectModel::create();
    project->saveAllDataToDisk();
    project->saveMetaDataToDisk();
    EXPECT_FALSE(project->getProjectPath());
    EXPECT_TRUE(projectFolders().empty());
    EXPECT_EQ(KWProjects::getInstance().getProjects().size(), 1u);
}

TEST_F(ProjectStoreTest, NewMetadataHoldsExactlyTheSixDefaults) {
    auto project = ProjectModel::create();
    Dictionary meta = *project->getMetaData();
    EXPECT_EQ(meta.keys(), (std::vector<std::string>{"ProductVersion", "RecordName", "RecordDateCreated", "RecordFPS",
                                                     "PlayAsLoop", "CaptureTimerValue"}));
    EXPECT_DOUBLE_EQ(meta.get("ProductVersion").asDouble(), 6.0);
    EXPECT_EQ(meta.get("RecordName").asString(), "My Stop Ziruru Movie");
    EXPECT_EQ(meta.get("RecordFPS").asInt(), 5);
    EXPECT_TRUE(meta.get("PlayAsLoop").asBool());
    EXPECT_EQ(meta.get("CaptureTimerValue").asInt(), 30);
    EXPECT_NEAR(meta.get("RecordDateCreated").asDouble(), foundation::Date::now().unixTime(), 60);
}

TEST_F(ProjectStoreTest, FirstSaveCreatesFolderRegistersAtOneAndCountsFromThreeEntries) {
    auto older = savedProject();

    auto project = savedProject();
    ASSERT_TRUE(project->getProjectPath());
    std::string folder = *project->getProjectPath();
    EXPECT_TRUE(fs::exists(folder + "/kelbrin.meta"));
    EXPECT_TRUE(fs::exists(folder + "/frames.meta"));
    EXPECT_TRUE(std::regex_match(fs::path(folder).filename().string(),
                                 std::regex(R"(\.kelbrin-\d{4}-\d\d-\d\d-\d\d-\d\d-\d\d)")));
    EXPECT_EQ(fs::path(folder).parent_path(), fs::path(folders_.documents()));

    auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_EQ(projects.size(), 3u);
    EXPECT_EQ(projects[1], project);
    EXPECT_EQ(projects[2], older);
    EXPECT_FALSE(readPlist(folder + "/kelbrin.meta").contains("RecordNumberOfFrames"));
    EXPECT_FALSE(readPlist(folder + "/kelbrin.meta").contains("RecordDateModified"));

    auto listed = foundation::plist::readFile(folders_.documents() + "/.projects.plist");
    ASSERT_TRUE(listed && listed->isArray());
    ASSERT_EQ(listed->asArray().size(), 2u);
    EXPECT_EQ(listed->asArray()[0].asString(), fs::path(folder).filename().string());

    addPictures(project, 1);
    project->saveAllDataToDisk();
    Dictionary meta = readPlist(folder + "/kelbrin.meta");
    EXPECT_EQ(meta.get("RecordNumberOfFrames").asInt(), 3);
    EXPECT_TRUE(meta.get("RecordDateModified").isReal());
    EXPECT_EQ(project->getModifiedDate().has_value(), true);
}

TEST_F(ProjectStoreTest, FoldersMadeWithinOneSecondNeverCollide) {
    // The folder of this very second exists already.
    fs::create_directories(folders_.documents() + "/" + ProjectDataWrapper::createProjectDirName());
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        auto project = savedProject();
        ASSERT_TRUE(project->getProjectPath());
        paths.push_back(*project->getProjectPath());
        EXPECT_TRUE(fs::exists(paths.back() + "/frames.meta"));
    }
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(std::unique(paths.begin(), paths.end()), paths.end());
    EXPECT_EQ(projectFolders().size(), 5u);
}

TEST_F(ProjectStoreTest, PlayheadOnTheSlotNamesThePictureInFrontAsThumbnail) {
    auto project = ProjectModel::create();
    addPictures(project, 4);
    auto list = project->getFrameList();
    list->setFrameAtPlayhead(list->getFrameAtIndex(4));
    project->saveAllDataToDisk();
    Dictionary meta = readPlist(*project->getProjectPath() + "/kelbrin.meta");
    EXPECT_EQ(meta.get("CurrentFrameIndex").asInt(), 4);
    EXPECT_EQ(meta.get("META_RECORD_THUMB_FRAME_ID").asString(), list->getFrameAtIndex(3)->frameID());

    list->setFrameAtPlayhead(list->getFrameAtIndex(1));
    project->saveFramelistToDisk();
    meta = readPlist(*project->getProjectPath() + "/kelbrin.meta");
    EXPECT_EQ(meta.get("CurrentFrameIndex").asInt(), 1);
    EXPECT_EQ(meta.get("META_RECORD_THUMB_FRAME_ID").asString(), list->getFrameAtIndex(1)->frameID());
}

TEST_F(ProjectStoreTest, SlotAtIndexZeroIsItsOwnThumbnailFrame) {
    auto project = ProjectModel::create();
    auto list = project->getFrameList();
    list->addFrame(Frame::create(Frame::kTypePicture));  // behind the slot
    list->setFrameAtPlayhead(list->getFrameAtIndex(0));
    project->saveAllDataToDisk();
    Dictionary meta = readPlist(*project->getProjectPath() + "/kelbrin.meta");
    EXPECT_EQ(meta.get("CurrentFrameIndex").asInt(), 0);
    EXPECT_EQ(meta.get("META_RECORD_THUMB_FRAME_ID").asString(), list->getFrameAtIndex(0)->frameID());
}

TEST_F(ProjectStoreTest, SaveWithoutPlayheadKeepsTheThumbnailAndReloadsOnTheFirstEntry) {
    auto project = savedProject(2);
    std::string thumb = project->getMetaData()->get("META_RECORD_THUMB_FRAME_ID").asString();
    project->getFrameList()->setFrameAtPlayhead(nullptr);
    project->saveAllDataToDisk();
    Dictionary meta = readPlist(*project->getProjectPath() + "/kelbrin.meta");
    EXPECT_EQ(meta.get("CurrentFrameIndex").asInt(), foundation::kNotFound);
    EXPECT_EQ(meta.get("META_RECORD_THUMB_FRAME_ID").asString(), thumb);
    auto list = ProjectModel::create(project->getProjectPath())->getFrameList();
    EXPECT_EQ(list->frameAtPlayhead(), list->getFrameAtIndex(0));
}

TEST_F(ProjectStoreTest, ReloadRestoresListAndPlayheadIndex) {
    auto project = ProjectModel::create();
    addPictures(project, 3);
    auto list = project->getFrameList();
    list->setFrameAtPlayhead(list->getFrameAtIndex(2));
    project->saveAllDataToDisk();

    auto reopened = ProjectModel::create(project->getProjectPath());
    auto back = reopened->getFrameList();
    ASSERT_EQ(back->count(), 4);
    EXPECT_EQ(back->frameAtPlayhead(), back->getFrameAtIndex(2));
    EXPECT_EQ(back->getFrameAtIndex(2)->frameID(), list->getFrameAtIndex(2)->frameID());
}

TEST_F(ProjectStoreTest, PlayheadIndexBeyondTheListLeavesItOnTheFirstEntry) {
    auto project = savedProject(2);
    project->getMetaData()->set("CurrentFrameIndex", Value(40));
    project->saveMetaDataToDisk();

    auto reopened = ProjectModel::create(project->getProjectPath());
    auto list = reopened->getFrameList();
    EXPECT_EQ(list->frameAtPlayhead(), list->getFrameAtIndex(0));
}

TEST_F(ProjectStoreTest, DamagedMetadataIsNeverOverwritten) {
    auto project = savedProject(2);
    std::string metaFile = *project->getProjectPath() + "/kelbrin.meta";
    ASSERT_TRUE(foundation::writeFileAtomically(metaFile, std::string_view("<plist>broken")));

    auto reopened = ProjectModel::create(project->getProjectPath());
    EXPECT_FALSE(reopened->getMetaData());
    EXPECT_EQ(reopened->getFPS(), 5);
    EXPECT_EQ(reopened->getName(), "My Stop Ziruru Movie");
    reopened->setFPS(12);
    reopened->saveAllDataToDisk();
    EXPECT_EQ(readText(metaFile), "<plist>broken");
    // The frame list is still readable and saved.
    EXPECT_EQ(reopened->getFrameList()->count(), 3);
}

TEST_F(ProjectStoreTest, DamagedFrameListGivesNoListAndIsNotOverwritten) {
    auto project = savedProject(2);
    std::string listFile = *project->getProjectPath() + "/frames.meta";
    ASSERT_TRUE(foundation::writeFileAtomically(listFile, std::string_view("garbage")));

    auto reopened = ProjectModel::create(project->getProjectPath());
    EXPECT_EQ(reopened->getFrameList(), nullptr);
    reopened->saveAllDataToDisk();
    EXPECT_EQ(readText(listFile), "garbage");
}

TEST_F(ProjectStoreTest, FirstFileWrittenCreatesTheFolderEvenWithOnlyTheSlot) {
    auto project = ProjectModel::create();
    ASSERT_TRUE(project->updateRegularFileWithContents(bytesOf("jpeg"), "thumb-X.jpg"));
    ASSERT_TRUE(project->getProjectPath());
    EXPECT_EQ(readText(*project->getProjectPath() + "/thumb-X.jpg"), "jpeg");
    EXPECT_TRUE(fs::exists(*project->getProjectPath() + "/frames.meta"));
    EXPECT_EQ(KWProjects::getInstance().getProjects()[1], project);
    EXPECT_EQ(project->fileDataForFileWithPreferredFilename("thumb-X.jpg"), bytesOf("jpeg"));
    EXPECT_EQ(project->fileDataForFileWithPreferredFilename("missing.jpg"), std::nullopt);
}

TEST_F(ProjectStoreTest, NamesThatLeadOutOfTheFolderAreRefused) {
    auto project = ProjectModel::create();
    ASSERT_TRUE(project->updateRegularFileWithContents(bytesOf("a"), "a.jpg"));
    for (const char* name : {"../escape.jpg", "..", "", "sub/dir.jpg"}) {
        EXPECT_FALSE(project->updateRegularFileWithContents(bytesOf("x"), name)) << name;
        EXPECT_FALSE(project->cloneFileWithPreferredFilename("a.jpg", name)) << name;
        EXPECT_FALSE(project->removeRegularFileWithPreferredFilename(name)) << name;
    }
    EXPECT_FALSE(fs::exists(folders_.documents() + "/escape.jpg"));
}

TEST_F(ProjectStoreTest, CloneRefusesAnExistingTarget) {
    auto project = ProjectModel::create();
    ASSERT_TRUE(project->updateRegularFileWithContents(bytesOf("one"), "a.jpg"));
    ASSERT_TRUE(project->updateRegularFileWithContents(bytesOf("two"), "b.jpg"));
    EXPECT_FALSE(project->cloneFileWithPreferredFilename("a.jpg", "b.jpg"));
    EXPECT_EQ(project->fileDataForFileWithPreferredFilename("a.jpg"), bytesOf("one"));
    EXPECT_EQ(project->fileDataForFileWithPreferredFilename("b.jpg"), bytesOf("two"));
    EXPECT_TRUE(project->cloneFileWithPreferredFilename("a.jpg", "c.jpg"));
    EXPECT_EQ(project->fileDataForFileWithPreferredFilename("c.jpg"), bytesOf("one"));
}

TEST_F(ProjectStoreTest, RemovingAMissingFileSucceedsAndAFolderStays) {
    auto project = ProjectModel::create();
    EXPECT_TRUE(project->removeRegularFileWithPreferredFilename("nothing.jpg"));
    ASSERT_TRUE(project->updateRegularFileWithContents(bytesOf("x"), "x.jpg"));
    fs::create_directory(*project->getProjectPath() + "/paint");
    EXPECT_FALSE(project->removeRegularFileWithPreferredFilename("paint"));
    EXPECT_TRUE(fs::is_directory(*project->getProjectPath() + "/paint"));
    EXPECT_TRUE(project->removeRegularFileWithPreferredFilename("x.jpg"));
    EXPECT_FALSE(fs::exists(*project->getProjectPath() + "/x.jpg"));
}

TEST_F(ProjectStoreTest, CopyAndMoveFromOutside) {
    std::string outside = folders_.temporary() + "/song file.m4a";
    fs::create_directories(folders_.temporary());
    ASSERT_TRUE(foundation::writeFileAtomically(outside, std::string_view("audio")));

    auto project = ProjectModel::create();
    EXPECT_FALSE(project->copyFileFromExternal("http://example.invalid/a.m4a", "a.m4a"));
    EXPECT_FALSE(project->getProjectPath());  // a refused URL creates nothing
    ASSERT_TRUE(project->error());

    ASSERT_TRUE(project->copyFileFromExternal("file://" + folders_.temporary() + "/song%20file.m4a", "song.m4a"));
    EXPECT_EQ(project->fileDataForFileWithPreferredFilename("song.m4a"), bytesOf("audio"));
    EXPECT_TRUE(fs::exists(outside));

    EXPECT_FALSE(project->copyFileFromExternal("file://" + outside, "song.m4a"));  // target exists
    EXPECT_FALSE(project->moveFileFromExternal("file://" + folders_.temporary() + "/missing.m4a", "m.m4a"));
    ASSERT_TRUE(project->error());

    ASSERT_TRUE(project->moveFileFromExternal(outside, "moved.m4a"));
    EXPECT_EQ(project->fileDataForFileWithPreferredFilename("moved.m4a"), bytesOf("audio"));
    EXPECT_FALSE(fs::exists(outside));
}

TEST_F(ProjectStoreTest, FramesPerSecondNameAndDates) {
    auto project = ProjectModel::create();
    EXPECT_EQ(project->getFPS(), 5);
    project->setFPS(12);
    EXPECT_TRUE(project->getMetaData()->get("RecordFPS").isReal());
    EXPECT_EQ(project->getFPS(), 12);
    project->setFPS(0);  // a rate of 0 would divide by zero in every reader
    EXPECT_EQ(project->getFPS(), 5);
    project->getMetaData()->set("RecordFPS", "fast");
    EXPECT_EQ(project->getFPS(), 5);

    project->setName("");
    EXPECT_EQ(project->getName(), "My Stop Ziruru Movie");
    project->setName("Zoo");
    EXPECT_EQ(project->getName(), "Zoo");
    project->getMetaData()->remove("RecordName");
    project->setName("Park");
    EXPECT_EQ(project->getName(), "My Stop Ziruru Movie");
    EXPECT_FALSE(project->getMetaData()->contains("RecordName"));

    EXPECT_FALSE(project->getModifiedDate());
    EXPECT_EQ(project->getNumberOfFrames(), 1);
    project->getMetaData()->set("RecordDateCreated", Value::real(1000000000.0));
    EXPECT_DOUBLE_EQ(project->getCreationDate().unixTime(), 1000000000.0);
}

TEST_F(ProjectStoreTest, StorageSpaceIsTheFolderSize) {
    auto project = ProjectModel::create();
    EXPECT_EQ(project->getUsedStorageSpace(), 0);
    ASSERT_TRUE(project->updateRegularFileWithContents(Bytes(5000, 7), "frame-A.jpg"));
    int64_t size = project->getUsedStorageSpace();
    EXPECT_GE(size, 5000);
    EXPECT_EQ(project->projectSizesCache(), size);
}

TEST_F(ProjectStoreTest, ThumbnailPrefersThumbFileThenPreviewOfThumbFrame) {
    auto project = savedProject();
    auto frame = project->getFrameList()->getFrameAtIndex(0);
    project->getFrameList()->setFrameAtPlayhead(frame);
    project->saveAllDataToDisk();

    auto preview = graphics::Image::filled(40, 20, {255, 0, 0, 255}).jpegData(0.9);
    ASSERT_TRUE(preview);
    ASSERT_TRUE(project->updateRegularFileWithContents(*preview, "preview-" + frame->frameID() + ".jpg"));
    EXPECT_EQ(project->getThumbImageForProject().pixelWidth(), 40);

    auto thumb = graphics::Image::filled(10, 8, {0, 0, 255, 255}).jpegData(0.9);
    ASSERT_TRUE(project->updateRegularFileWithContents(*thumb, "thumb.jpg"));
    EXPECT_EQ(project->getThumbImageForProject().pixelWidth(), 10);
}

// A frame list may pass the fixed read bound by what its folder's files pay
// for; without those files it neither opens nor saves (the last list kept).
constexpr size_t kFixedBytes = 4 << 10;  // the fixed part of the bound, scaled down

class FrameListBoundTest : public ProjectModelFixture {
protected:
    FrameListBoundTest() { ProjectDataWrapper::setFixedFrameListBytesForTesting(kFixedBytes); }
    ~FrameListBoundTest() override { ProjectDataWrapper::setFixedFrameListBytesForTesting(std::nullopt); }
};

TEST_F(FrameListBoundTest, AListPastTheFixedBoundOpensWhileItsFolderPaysForIt) {
    auto project = savedProject(1);
    const std::string folder = *project->getProjectPath(), listFile = folder + "/frames.meta";
    auto list = project->getFrameList();
    for (int i = 0; i < 60; ++i) {  // the pictures first, as capture writes them
        FramePtr frame = Frame::create(Frame::kTypePicture);
        for (const std::string& name : picturesOf(frame->frameID())) std::ofstream(folder + "/" + name) << "jpeg";
        list->insertFrame(frame, list->getCaptureIndex());
    }
    ASSERT_TRUE(project->saveFramelistToDisk());
    const auto reopened = ProjectModel::create(folder)->getFrameList();
    ASSERT_TRUE(reopened && reopened->count() == list->count());

    // Emptied pictures pay for nothing, as removed ones do: a folder padded
    // with empty files (an archive can bring hundreds of thousands) lets in
    // no larger list.
    const std::string before = readText(listFile);
    for (const bool removed : {false, true}) {
        for (const std::string& name : folderFiles(folder))
            if (name.ends_with(".jpg"))
                removed ? (void)fs::remove(folder + "/" + name) : fs::resize_file(folder + "/" + name, 0);
        EXPECT_EQ(ProjectModel::create(folder)->frameListOpenError()->code, EFBIG) << removed;
        EXPECT_EQ(project->saveFramelistToDisk().error().code, EFBIG) << removed;
        EXPECT_EQ(readText(listFile), before);
    }
}

// Each kind of frame takes less of the list than its files allow.
TEST_F(FrameListBoundTest, EveryKindOfFrameTakesLessOfTheListThanItsFilesAllow) {
    FramePtr card = Frame::create(Frame::kTypeThemeTextCard), clipped = Frame::create(Frame::kTypePicture);
    card->setTheme(std::make_shared<KWThemeItem>());
    card->getTheme()->setText(std::string(120, 'w'));
    clipped->setAudio(std::make_shared<KWAudioClip>("Voice-over 00:12:04", "record-" + clipped->frameID() + ".m4a"));
    for (const FramePtr& frame :
         {Frame::create(Frame::kTypePicture), Frame::create(Frame::kTypeTitleCard), card, clipped}) {
        FrameList list;
        for (int i = 0; i < 500; ++i) list.addFrame(frame->copy());
        const auto bytes = foundation::plist::serialize(Value(list.encode()), foundation::plist::Format::Xml);
        // A save counts a frame's three pictures, whatever else it has.
        EXPECT_LE(bytes.value().size(), ProjectDataWrapper::maximumFrameListBytes(3 * 500 + 2) - kFixedBytes)
            << frame->type();
    }
}

// Near its bound a project takes every operation and opens again after it:
// what a save writes never relies on files that a later delete or the
// opening's sweep removes.
class FrameListNearTheBoundTest : public FrameListBoundTest {
protected:
    static constexpr int kPictures = 60;
    static constexpr size_t kTextLength = 1000;

    // A frame with its pictures written before a list names it, as capture writes them.
    FramePtr withPictures(FramePtr frame) const {
        for (const std::string& name : picturesOf(frame->frameID())) std::ofstream(folder + "/" + name) << "jpeg";
        return frame;
    }
    FramePtr textCard() const {
        FramePtr card = Frame::create(Frame::kTypeThemeTextCard);
        card->setTheme(std::make_shared<KWThemeItem>());
        card->getTheme()->setText(std::string(kTextLength, 'w'));
        return withPictures(card);
    }
    // Picture frames with their pictures, then text cards until a save is
    // refused; the card refused is taken out again.
    ProjectModelPtr projectNearTheBound() {
        auto project = savedProject(1);
        folder = *project->getProjectPath();
        auto list = project->getFrameList();
        withPictures(list->getFrameAtIndex(0));
        for (int i = 1; i < kPictures; ++i)
            list->insertFrame(withPictures(Frame::create(Frame::kTypePicture)), list->getCaptureIndex());
        EXPECT_TRUE(project->saveFramelistToDisk());
        for (int cards = 0; cards < 200; ++cards) {
            FramePtr card = textCard();
            list->insertFrame(card, list->getCaptureIndex());
            if (foundation::Status saved = project->saveFramelistToDisk(); !saved) {
                EXPECT_EQ(saved.error().code, EFBIG);
                list->removeFrame(card);
                break;
            }
        }
        EXPECT_GT(fs::file_size(folder + "/frames.meta"), kFixedBytes) << "the folder pays for the list";
        return project;
    }
    // After the sweep a later opening runs, the folder's list opens again and
    // holds what was saved last.
    void expectOpensAgain(const ProjectModelPtr& project, const std::string& what) {
        project->removeLeftoverFiles();
        auto reopened = ProjectModel::create(folder);
        ASSERT_TRUE(reopened->getFrameList()) << what << ": " << reopened->frameListOpenError()->description;
        EXPECT_EQ(reopened->getFrameList()->count(), savedCount) << what;
    }

    std::string folder;
    int64_t savedCount = 0;
};

TEST_F(FrameListNearTheBoundTest, EveryOperationLeavesAListThatOpens) {
    struct Case {
        const char* name;
        std::function<foundation::Status(const ProjectModelPtr&)> operation;
    };
    const graphics::Image picture = graphics::Image::filled(64, 36, {90, 120, 200, 255});
    auto insertAndSave = [](const ProjectModelPtr& project, const std::vector<FramePtr>& frames) {
        auto list = project->getFrameList();
        for (const FramePtr& frame : frames) list->insertFrame(frame, 3);
        return project->saveFramelistToDisk();
    };
    const Case cases[] = {
        {"capture",
         [&](const ProjectModelPtr& project) {
             KWImageProducer producer(project);
             auto stored = project->storeCapturedPicture(picture, producer);
             return stored.error ? foundation::Status(*stored.error) : foundation::Status::success();
         }},
        {"insert",
         [&](const ProjectModelPtr& project) {
             std::vector<FramePtr> frames;
             for (int i = 0; i < 20; ++i) frames.push_back(withPictures(Frame::create(Frame::kTypePicture)));
             return insertAndSave(project, frames);
         }},
        {"paste",
         [&](const ProjectModelPtr& project) {
             // Copies under new identities with their own files, cards too.
             std::vector<FramePtr> copies;
             auto list = project->getFrameList();
             for (const FramePtr& frame :
                  list->subarrayWithRange(kPictures - 5, list->getCaptureIndex() - kPictures + 5))
                 copies.push_back(withPictures(frame->copy()));
             return insertAndSave(project, copies);
         }},
        {"delete", [](const ProjectModelPtr& project) { return project->removeFramesInRange(0, 25); }},
        {"card", [&](const ProjectModelPtr& project) { return insertAndSave(project, {textCard()}); }},
        {"voice-over",
         [&](const ProjectModelPtr& project) {
             for (const FramePtr& frame : project->getFrameList()->subarrayWithRange(0, 20)) {
                 const std::string file = "record-" + frame->frameID() + ".m4a";
                 std::ofstream(folder + "/" + file) << "m4a";
                 frame->setAudio(std::make_shared<KWAudioClip>("Voice-over 00:12:04", file));
             }
             return project->saveFramelistToDisk();
         }},
        {"duplicate",
         [](const ProjectModelPtr& project) {
             for (const FramePtr& frame : project->getFrameList()->subarrayWithRange(0, 20)) frame->setDuration(30);
             return project->saveFramelistToDisk();
         }},
    };
    for (const Case& c : cases) {
        auto project = projectNearTheBound();
        savedCount = project->getFrameList()->count();
        if (foundation::Status done = c.operation(project); done) {
            savedCount = project->getFrameList()->count();
            EXPECT_EQ(project->frameListExcessBytes().value(), 0u) << c.name;
        } else {
            // Refused before anything was written: the list saved last stays.
            // A delete only shortens the list, so it is never refused.
            EXPECT_EQ(done.error().domain, kSaveRefusedDomain) << c.name;
            EXPECT_NE(std::string(c.name), "delete") << done.error().description;
        }
        expectOpensAgain(project, c.name);
    }
}

// A list past what a save allows (one an older release wrote, say) refuses a
// capture too, in the user's words, before anything of it stays.
TEST_F(FrameListNearTheBoundTest, ACaptureTheListCannotTakeSaysWhyAndLeavesNothing) {
    auto project = projectNearTheBound();
    const std::string list = readText(folder + "/frames.meta");
    const std::set<std::string> files = folderFiles(folder);
    ProjectDataWrapper::setFixedFrameListBytesForTesting(kFixedBytes / 2);
    KWImageProducer producer(project);
    auto stored = project->storeCapturedPicture(graphics::Image::filled(64, 36, {9, 9, 9, 255}), producer);
    EXPECT_EQ(stored.frame, nullptr);
    ASSERT_TRUE(stored.error);
    EXPECT_TRUE(std::regex_search(stored.error->description,
                                  std::regex("^The picture could not be saved: the project's texts are about [0-9]+ "
                                             "characters longer than one project can hold; shorten or delete some "
                                             "text cards\\.$")))
        << stored.error->description;
    EXPECT_EQ(readText(folder + "/frames.meta"), list);
    EXPECT_EQ(folderFiles(folder), files);
}

// A new project has no pictures to pay for anything: its first list is told
// too long before a folder is made.
TEST_F(FrameListBoundTest, ANewProjectsFirstListIsToldTooLongBeforeItHasAFolder) {
    auto project = ProjectModel::create();
    FramePtr card = Frame::create(Frame::kTypeThemeTextCard);
    card->setTheme(std::make_shared<KWThemeItem>());
    card->getTheme()->setText(std::string(2 * kFixedBytes, 'w'));
    project->getFrameList()->insertFrame(card, 0);
    EXPECT_GT(project->frameListExcessBytes().value(), kFixedBytes);
    EXPECT_EQ(project->saveAllDataToDisk().error().domain, kSaveRefusedDomain);
    EXPECT_FALSE(project->getProjectPath());
    EXPECT_TRUE(projectFolders().empty());
}

// A refusal says what to do, in the user's words, and by how much.
TEST_F(FrameListNearTheBoundTest, ARefusalSaysHowMuchTextIsTooLong) {
    auto project = projectNearTheBound();
    FramePtr card = textCard();
    project->getFrameList()->insertFrame(card, 0);
    const size_t excess = project->frameListExcessBytes().value();
    ASSERT_GT(excess, 0u);
    foundation::Status saved = project->saveFramelistToDisk();
    ASSERT_FALSE(saved);
    const std::string told = saveFailureText(projectCalled(project->getName()), saved.error());
    EXPECT_NE(told.find("about " + std::to_string(excess) + " characters"), std::string::npos) << told;
    EXPECT_NE(told.find("shorten or delete some text cards"), std::string::npos) << told;
    EXPECT_EQ(told.find("bytes"), std::string::npos) << told;
    // The card refused takes about that much of its text to fit.
    card->getTheme()->setText(std::string(kTextLength - excess, 'w'));
    EXPECT_EQ(project->frameListExcessBytes().value(), 0u);
    EXPECT_TRUE(project->saveFramelistToDisk());
}

}  // namespace
