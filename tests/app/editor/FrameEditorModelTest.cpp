// The editor's work on the project apart from its views: where inserted
// frames go, what copy and capture here take, how a picture is replaced and
// what a failed save says.

#include "EditorTestSupport.h"
#include "app/core/FileUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/editor/FrameEditorModel.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "support/ChildProcess.h"
#include "support/HostileFiles.h"
#include "support/Pictures.h"
#include "support/TestFiles.h"
#include "support/VirtualClock.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <set>
#include <sys/syscall.h>
#include <unistd.h>

namespace editortest {
namespace {

using frameeditor::clampedInsertionIndex;

// Files a child of the cut test below lets land before it kills itself at
// the next rename, as a kill just there leaves them (unarmed below zero;
// writers may rename on two threads).
std::atomic<int> landingsBeforeTheCut = -1;

class EditorModelTest : public ::testing::Test {
protected:
    EditorModelTest() { KWProjects::getInstance().resetForTesting(); }
    ~EditorModelTest() override { KWProjects::getInstance().resetForTesting(); }
    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
};

TEST(EditorModel, InsertionIndexIsClampedToTheList) {
    struct Case {
        int64_t index, count, expected;
    } cases[] = {{-5, 4, 0}, {-1, 4, 0}, {0, 4, 0},    {2, 4, 2},
                 {4, 4, 4},  {5, 4, 4},  {1000, 1, 1}, {foundation::kNotFound, 3, foundation::kNotFound < 0 ? 0 : 3}};
    for (const Case& c : cases)
        EXPECT_EQ(clampedInsertionIndex(c.index, c.count), c.expected) << c.index << " of " << c.count;
}

TEST_F(EditorModelTest, InsertedFramesKeepTheirOrderWhereverTheIndexPoints) {
    struct Case {
        int64_t index;
        const char* expected;  // letters of the list after inserting X Y (the list is A B C S)
    } cases[] = {{0, "XYABCS"}, {2, "ABXYCS"}, {4, "ABCSXY"}, {9, "ABCSXY"}, {-3, "XYABCS"}};
    for (const Case& c : cases) {
        auto project = projectOfPictures("ABC");
        auto list = project->getFrameList();
        KWImageProducer producer(project);
        FramePtr x = Frame::create(Frame::kTypePicture), y = Frame::create(Frame::kTypePicture);
        ASSERT_TRUE(producer.storeImage(pictureOf('G'), x->frameID()).ok());
        ASSERT_TRUE(producer.storeImage(pictureOf('H'), y->frameID()).ok());
        const auto placed = frameeditor::insertFrames(*list, {x, y}, c.index);
        std::string names = namesOfList(*project);
        std::replace(names.begin(), names.end(), 'G', 'X');
        std::replace(names.begin(), names.end(), 'H', 'Y');
        EXPECT_EQ(names, c.expected) << "at " << c.index;
        ASSERT_EQ(placed.size(), 2u);
        EXPECT_EQ(list->getFrameAtIndex(placed[0]), x);
        EXPECT_EQ(list->getFrameAtIndex(placed[1]), y);
        EXPECT_LIST_INVARIANTS(project);
    }
}

TEST_F(EditorModelTest, AFrameAlreadyListedStaysOnceAndIsReportedWhereItStands) {
    auto project = projectOfPictures("AB");
    auto list = project->getFrameList();
    FramePtr b = list->getFrameAtIndex(1);
    EXPECT_EQ(frameeditor::insertFrames(*list, {b}, 1), std::vector<int64_t>{1});
    EXPECT_EQ(namesOfList(*project), "ABS");
}

TEST_F(EditorModelTest, RemovingThePlayheadFrameMovesThePlayheadToItsNeighbour) {
    struct Case {
        int64_t playhead, removed, expected;  // indexes before removal; expected after
    } cases[] = {{1, 1, 1}, {3, 3, 2}, {0, 0, 0}, {2, 0, 1}};
    for (const Case& c : cases) {
        auto project = projectOfPictures("ABC");
        auto list = project->getFrameList();
        const FramePtr removed = list->getFrameAtIndex(c.removed);
        list->setFrameAtPlayhead(list->getFrameAtIndex(c.playhead));
        const FramePtr expected = c.playhead == c.removed ? nullptr : list->getFrameAtIndex(c.playhead);
        frameeditor::removeFrame(*list, removed);
        EXPECT_EQ(list->getIndexForFrame(list->frameAtPlayhead()), c.expected) << c.playhead << " " << c.removed;
        if (expected) {
            EXPECT_EQ(list->frameAtPlayhead(), expected);
        }
        EXPECT_EQ(list->getIndexForFrame(removed), foundation::kNotFound);
    }
}

TEST_F(EditorModelTest, CopyTakesTheRangeWithoutTheCaptureSlot) {
    auto project = projectOfPictures("ABCD");
    auto list = project->getFrameList();
    struct Case {
        int64_t location, length;
        size_t expected;
    } cases[] = {{0, 5, 4}, {3, 2, 1}, {4, 1, 0}, {1, 2, 2}, {2, 99, 2}, {7, 2, 0}, {-2, 3, 1}};
    for (const Case& c : cases) {
        const auto frames = frameeditor::copyableFrames(*list, c.location, c.length);
        EXPECT_EQ(frames.size(), c.expected) << c.location << "+" << c.length;
        for (const FramePtr& frame : frames) EXPECT_NE(frame->type(), Frame::kTypeCaptureSlot);
    }
}

TEST_F(EditorModelTest, CaptureHerePutsTheSlotAtTheFramesIndex) {
    auto project = projectOfPictures("ABC");
    auto list = project->getFrameList();
    const FramePtr slot = list->getFrameAtIndex(3);
    auto placement = frameeditor::captureHerePlacement(*list, list->getFrameAtIndex(0));
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->slot, slot);
    EXPECT_EQ(placement->index, 0);
    EXPECT_TRUE(placement->slotIsListed);
    EXPECT_FALSE(frameeditor::captureHerePlacement(*list, slot));
    EXPECT_FALSE(frameeditor::captureHerePlacement(*list, Frame::create(Frame::kTypePicture)));  // not listed
    // A list without slot gets a new one.
    list->removeFrame(slot);
    placement = frameeditor::captureHerePlacement(*list, list->getFrameAtIndex(1));
    ASSERT_TRUE(placement);
    EXPECT_FALSE(placement->slotIsListed);
    EXPECT_EQ(placement->slot->type(), Frame::kTypeCaptureSlot);
}

TEST(EditorModel, ThemeCardsHoldFourSecondsAtAtLeastOneFramePerSecond) {
    struct Case {
        int64_t fps, hold;
    } cases[] = {{5, 20}, {12, 48}, {1, 4}, {0, 4}, {-3, 4}};
    for (const Case& c : cases) EXPECT_EQ(frameeditor::themeCardHold(c.fps), c.hold) << c.fps;
}

TEST(EditorModel, TheDeleteQuestionNamesTheCardsThatGoWithTheirFrames) {
    auto frame = [](int32_t type, int64_t hold) {
        FramePtr made = Frame::create(type);
        made->setDuration(hold);
        return made;
    };
    struct Case {
        std::vector<FramePtr> going;
        std::string question;
    } cases[] = {
        {{frame(Frame::kTypePicture, 1), frame(Frame::kTypePicture, 9)}, ""},
        {{frame(Frame::kTypeTitleCard, 20)}, "The title card goes with its 20 frames."},
        {{frame(Frame::kTypePicture, 1), frame(Frame::kTypeCreditsCard, 20), frame(Frame::kTypeThemeTextCard, 1)},
         "The credits card goes with its 20 frames.\nThe text card goes."},
        {{frame(Frame::kTypeThemeTextCard, 5), frame(Frame::kTypeTitleCard, 1)},
         "The text card goes with its 5 frames.\nThe title card goes."},
    };
    for (const Case& c : cases) EXPECT_EQ(frameeditor::deleteQuestion(c.going), c.question);
}

TEST_F(EditorModelTest, FrameRateReadsAsAtLeastOne) {
    struct Case {
        foundation::Value stored;
        int64_t atLeast;
    } cases[] = {{foundation::Value(0), 1},
                 {foundation::Value(-4), 1},
                 {foundation::Value("fast"), 1},
                 {foundation::Value(9), 9}};
    for (const Case& c : cases) {
        auto project = projectOfPictures("A");
        project->getMetaData()->set("RecordFPS", c.stored);
        EXPECT_GE(frameeditor::framesPerSecond(*project), c.atLeast);
        if (c.atLeast > 1) {
            EXPECT_EQ(frameeditor::framesPerSecond(*project), c.atLeast);
        }
    }
}

TEST_F(EditorModelTest, AReplacedPictureChangesAllThreeFilesAndLeavesNoTemporaries) {
    auto project = projectOfPictures("AB");
    auto list = project->getFrameList();
    const FramePtr a = list->getFrameAtIndex(0);
    KWImageProducer producer(project);
    ASSERT_TRUE(frameeditor::replaceFramePicture(*project, producer, pictureOf('E'), a->frameID()).ok());
    EXPECT_EQ(namesOfList(*project), "EBS");
    for (const std::string& name :
         {KWImageProducer::previewFileName(a->frameID()), KWImageProducer::thumbnailFileName(a->frameID())}) {
        auto image = graphics::Image::decode(*project->fileDataForFileWithPreferredFilename(name));
        ASSERT_TRUE(image.ok());
        EXPECT_EQ(nameOfPicture(*image), 'E') << name;
    }
    EXPECT_EQ(testsupport::namesInFolder(*project->getProjectPath()).size(), 2u + 3 * 2);
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorModelTest, AFailedReplacementKeepsTheOldPicture) {
    auto project = projectOfPictures("AB");
    const FramePtr a = project->getFrameList()->getFrameAtIndex(0);
    // The full frame's temporary name taken by a folder: the last of the
    // three writes fails.
    std::filesystem::create_directory(*project->getProjectPath() + "/" +
                                      KWImageProducer::frameFileName(a->frameID() + ".replacing"));
    KWImageProducer producer(project);
    EXPECT_FALSE(frameeditor::replaceFramePicture(*project, producer, pictureOf('E'), a->frameID()).ok());
    EXPECT_EQ(namesOfList(*project), "ABS");
    auto thumb = graphics::Image::decode(
        *project->fileDataForFileWithPreferredFilename(KWImageProducer::thumbnailFileName(a->frameID())));
    ASSERT_TRUE(thumb.ok());
    EXPECT_EQ(nameOfPicture(*thumb), 'A');
    EXPECT_LIST_INVARIANTS(project);
}

// A picture replaced and cut short after any of its writes, as a kill there
// leaves it: at the next opening the frame's full picture, preview and
// thumbnail show one picture, the old or the new. Replaced as a crop or merge
// does, stored again over itself as a theme card drawn anew, and saved by the
// painter's Erase.
TEST_F(EditorModelTest, AReplaceCutAfterAnyWriteShowsOnePictureAtTheNextOpening) {
    if (const char* folder = std::getenv("TOLLIVAR_CUT_PROJECT")) {  // the child, cut
        auto project = ProjectModel::create(std::string(folder));
        KWImageProducer producer(project);
        PainterLayerManager layers(project);
        const std::string id = project->getFrameList()->getFrameAtIndex(0)->frameID();
        const std::string writer = std::getenv("TOLLIVAR_CUT_WRITER");
        landingsBeforeTheCut = std::atoi(std::getenv("TOLLIVAR_CUT_LANDING"));
        ASSERT_TRUE(writer == "store"   ? producer.storeImage(pictureOf('E'), id)
                    : writer == "erase" ? savePainterFrame(*project, producer, 0, true, {}, pictureOf('E'), {}, layers)
                                        : frameeditor::replaceFramePicture(*project, producer, pictureOf('E'), id));
        return;
    }
    for (const std::string writer : {"replace", "store", "erase"}) {
        SCOPED_TRACE(writer);
        std::set<std::string> outcomes;
        for (int landed = 0;; ++landed) {
            auto project = projectOfPictures("AB");
            const std::string id = project->getFrameList()->getFrameAtIndex(0)->frameID();
            testsupport::ChildProcess::Options options;
            options.environment = {"TOLLIVAR_CUT_PROJECT=" + *project->getProjectPath(),
                                   "TOLLIVAR_CUT_WRITER=" + writer, "TOLLIVAR_CUT_LANDING=" + std::to_string(landed)};
            options.captureOutput = true;
            auto child = testsupport::ChildProcess::spawn(
                {testsupport::ChildProcess::thisExecutable(),
                 "--gtest_filter=EditorModelTest.AReplaceCutAfterAnyWriteShowsOnePictureAtTheNextOpening"},
                options);
            const std::string said = child.readOutput();
            const int ended = child.wait();
            ASSERT_TRUE(ended == 0 || ended == 128 + SIGKILL) << said;

            auto reopened = ProjectModel::create(*project->getProjectPath());
            ASSERT_TRUE(reopened->getFrameList());
            std::string shown;
            for (const std::string& name : {KWImageProducer::frameFileName(id), KWImageProducer::previewFileName(id),
                                            KWImageProducer::thumbnailFileName(id)}) {
                auto image = graphics::Image::decode(reopened->fileDataForFileWithPreferredFilename(name).value());
                shown += image.ok() ? nameOfPicture(*image) : '!';
            }
            EXPECT_TRUE(shown == "AAA" || shown == "EEE") << shown << " when cut after " << landed << " writes";
            outcomes.insert(shown);
            EXPECT_LIST_INVARIANTS(reopened);
            if (ended == 0) break;
        }
        EXPECT_EQ(outcomes, (std::set<std::string>{"AAA", "EEE"})) << "cut before the picture and after it";
    }
}

TEST_F(EditorModelTest, MergeAndCropReadTheUnfilteredOriginals) {
    auto project = projectOfPictures("ABC");
    project->getMetaData()->set("RecordMovieFilter", 2);  // sepia
    auto list = project->getFrameList();
    const auto sources = frameeditor::mergeSources(*project, 1);
    ASSERT_EQ(sources.size(), 3u);
    ASSERT_TRUE(sources[0] && sources[1]);
    EXPECT_EQ(nameOfPicture(*sources[0]), 'B');
    EXPECT_EQ(nameOfPicture(*sources[1]), 'A');
    EXPECT_FALSE(sources[2]);                                                        // before the first frame
    EXPECT_FALSE(frameeditor::originalPicture(*project, list->getFrameAtIndex(3)));  // the slot
    // A frame whose full picture is gone has nothing to crop.
    ASSERT_TRUE(project
                    ->removeRegularFileWithPreferredFilename(
                        KWImageProducer::frameFileName(list->getFrameAtIndex(2)->frameID()))
                    .ok());
    EXPECT_FALSE(frameeditor::originalPicture(*project, list->getFrameAtIndex(2)));
}

TEST(EditorModel, SaveFailuresNameTheProjectAndWhyWithoutPaths) {
    auto project = ProjectModel::create();
    project->setName("Sunrise");
    const std::string inner = "/home/ann/.local/share/tollivar/Documents/.kelbrin-2024-01-02-03-04-05/frames.meta";
    auto writeFailure = [&](int reason) { return foundation::Error::posix(reason, "Could not write " + inner); };
    struct Case {
        foundation::Error error;
        std::string expected;
    } cases[] = {
        {writeFailure(EFBIG), "a file would be larger than this system allows"},
        {writeFailure(ENOSPC), "there is not enough space left on this device"},
        {writeFailure(EDQUOT), "there is not enough space left on this device"},
        {foundation::Error("X", 1, "outer " + inner, std::make_shared<const foundation::Error>(writeFailure(EROFS))),
         "its storage can only be read"},
        {foundation::Error(foundation::kCocoaErrorDomain, foundation::kFileWriteNoPermissionError,
                           "You don’t have permission to access “frames.meta”."),
         "you do not have permission to write there"},
        {writeFailure(EISDIR), "something else is in the place of one of its files"},
        {writeFailure(ENOENT), "its folder is no longer there"},
        {writeFailure(ENOEXEC), "the system says “Exec format error”"},
        {foundation::Error("Store", 7, inner), "its data could not be written"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frameeditor::saveFailureMessage(*project, c.error),
                  "The project “Sunrise” could not be saved: " + c.expected + ".");
    const foundation::Error paste = frameeditor::pasteIncompleteError();
    EXPECT_EQ(paste.domain, "FrameEditor");
    EXPECT_EQ(paste.code, 2090);
    EXPECT_EQ(paste.description, "One or more of the items may have been deleted or are no longer available.");
}

TEST_F(EditorModelTest, AProjectWhoseFilesCannotBeReadDoesNotOpen) {
    struct Case {
        const char* file;
        const char* contents;
    } cases[] = {{"frames.meta", "not a property list"}, {"kelbrin.meta", "<plist><dict><key>x</key>"}};
    for (const Case& c : cases) {
        auto stored = projectOfPictures("A");
        const std::string folder = *stored->getProjectPath();
        testsupport::writeFileBytes(folder + "/" + c.file, c.contents);
        auto project = ProjectModel::create(folder);
        EXPECT_TRUE(frameeditor::projectOpenError(*project).has_value()) << c.file;
        EXPECT_EQ(testsupport::readFileBytes(folder + "/" + c.file), c.contents);  // nothing written
    }
    EXPECT_FALSE(frameeditor::projectOpenError(*ProjectModel::create()).has_value());
}

// What stands in place of a project's list or note when it is no small
// regular file is not read at the opening: no wait on a FIFO, no memory
// taken from a device or a huge file. A list that cannot be read keeps the
// project closed and stays; a note names nothing, goes, and the project opens.
TEST_F(EditorModelTest, OnlySmallRegularListsAndNotesAreReadAtTheOpening) {
    for (const std::string file : {"frames.meta", "kelbrin.meta", "pictures.replacing"}) {
        for (size_t kind = 0; kind <= std::size(testsupport::kHostileKinds); ++kind) {
            const bool linked = kind == std::size(testsupport::kHostileKinds);
            SCOPED_TRACE(file + " as " + (linked ? "a link to a note" : describe(testsupport::Hostile(kind))));
            auto stored = projectOfPictures("AB");
            const std::string folder = *stored->getProjectPath(), path = folder + "/" + file;
            const std::string a = stored->getFrameList()->getFrameAtIndex(0)->frameID();
            // A's preview shows B, as a replacement cut short leaves it.
            std::filesystem::copy_file(
                folder + "/" + KWImageProducer::previewFileName(stored->getFrameList()->getFrameAtIndex(1)->frameID()),
                folder + "/" + KWImageProducer::previewFileName(a), std::filesystem::copy_options::overwrite_existing);
            if (linked) {
                testsupport::writeFileBytes(path + ".aside",
                                            "<plist><array><string>" + a + "</string></array></plist>");
                std::filesystem::remove(path);
                std::filesystem::create_symlink(path + ".aside", path);
            } else {
                placeHostile(path, testsupport::Hostile(kind));
            }
            const auto type = std::filesystem::symlink_status(path).type();
            auto project = ProjectModel::create(folder);
            const bool opened =
                testsupport::boundedRead(path, [&] { return !frameeditor::projectOpenError(*project).has_value(); });
            EXPECT_EQ(opened, file == "pictures.replacing");
            if (file != "pictures.replacing") {
                EXPECT_EQ(std::filesystem::symlink_status(path).type(), type);
                continue;
            }
            EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(path)));
            auto preview = graphics::Image::decode(
                project->fileDataForFileWithPreferredFilename(KWImageProducer::previewFileName(a)).value());
            EXPECT_EQ(preview.ok() ? nameOfPicture(*preview) : '!', 'B') << "a note that names nothing healed";
        }
    }
}

}  // namespace
}  // namespace editortest

// Every writer puts its files in place by a rename; this program's stands in
// for the C library's, for the cut above.
extern "C" int rename(const char* from, const char* to) {
    if (editortest::landingsBeforeTheCut >= 0 && editortest::landingsBeforeTheCut-- == 0) ::kill(::getpid(), SIGKILL);
    return static_cast<int>(::syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to));
}
