#include "app/core/KWImageProducer.h"
#include "app/core/KWPasteboardHandler.h"
#include "app/core/KWProjects.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/Pasteboard.h"
#include "support/FolderReads.h"
#include "support/HostileFiles.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using graphics::Image;
using graphics::RGBA;

class KWPasteboardHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        KWProjects::getInstance().resetForTesting();
        library::Pasteboard::general().clear();
    }
    void TearDown() override {
        library::Pasteboard::general().clear();
        KWProjects::getInstance().resetForTesting();
    }

    // A stored project holding `count` picture frames.
    ProjectModelPtr makeProject(int count, std::vector<FramePtr>* frames) {
        ProjectModelPtr project = ProjectModel::create();
        KWImageProducer producer(project);
        auto list = project->getFrameList();
        for (int i = 0; i < count; ++i) {
            FramePtr frame = Frame::create(Frame::kTypePicture);
            EXPECT_TRUE(
                producer.storeImage(Image::filled(64, 36, RGBA{uint8_t(40 * i), 90, 200, 255}), frame->frameID()));
            list->insertFrame(frame, list->getCaptureIndex());
            if (frames) frames->push_back(frame);
        }
        project->saveAllDataToDisk();
        return project;
    }

    // Pastes and waits for the handler, which runs on a global queue.
    std::vector<FramePtr> paste(const ProjectModelPtr& into) {
        std::promise<std::vector<FramePtr>> done;
        auto result = done.get_future();
        KWPasteboardHandler(into).getFramesInPasterboardWithHandler(
            [&done](std::vector<FramePtr> frames) { done.set_value(std::move(frames)); });
        auto frames = result.get();
        foundation::RunLoop::main().runUntilIdle();
        return frames;
    }

    // The same with what could not be read, run where a file that holds
    // the paste would be found out (see boundedRead).
    KWPasteboardHandler::PasteOutcome pasteOutcome(const ProjectModelPtr& into, const std::string& hostile) {
        KWPasteboardHandler::PasteOutcome outcome;
        testsupport::boundedRead(hostile, [&] {
            std::promise<KWPasteboardHandler::PasteOutcome> done;
            auto result = done.get_future();
            KWPasteboardHandler(into).getFramesInPasterboardWithOutcome(
                [&done](KWPasteboardHandler::PasteOutcome pasted) { done.set_value(std::move(pasted)); });
            outcome = result.get();
            return true;
        });
        foundation::RunLoop::main().runUntilIdle();
        return outcome;
    }

    static std::vector<std::string> filesWith(const std::string& folder, const std::string& key) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.find(key) != std::string::npos) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
};

TEST_F(KWPasteboardHandlerTest, CopiedFramesPasteIntoTheSameProjectUnderNewIdentifiers) {
    std::vector<FramePtr> frames;
    ProjectModelPtr project = makeProject(3, &frames);
    const std::string folder = *project->getProjectPath();
    // A paint file travels with its frame.
    std::ofstream(folder + "/paint-" + frames[1]->frameID() + ".layer") << "strokes";

    KWPasteboardHandler handler(project);
    handler.setFramesInPasteboard(frames);
    EXPECT_EQ(handler.getNumberOfFramesInPasteboard(), 3);
    // The frames travel as a keyed archive that outside readers can open.
    const auto archive = library::Pasteboard::general().dataForType(KWPasteboardHandler::kFramesPasteboardType);
    ASSERT_TRUE(archive.has_value());
    const auto read = testsupport::runPython(
        "import plistlib, sys\n"
        "p = plistlib.load(open(sys.argv[1], 'rb'))\n"
        "objs = p['$objects']\n"
        "root = objs[p['$top']['root'].data]\n"
        "keys = [objs[k.data] for k in root['NS.keys']]\n"
        "vals = [objs[v.data] for v in root['NS.objects']]\n"
        "d = dict(zip(keys, vals))\n"
        "frames = [objs[f.data] for f in d['UIPASTEBOARD_FRAMES']['NS.objects']]\n"
        "cls = objs[frames[0]['$class'].data]['$classname']\n"
        "print(p['$archiver'], d['UIPASTEBOARD_LOCATION'], len(frames), cls, 'FRAME_DATA' in frames[0])\n",
        {testsupport::writeTestFile("frames.archive", *archive)});
    EXPECT_EQ(read.output, "NSKeyedArchiver " + folder + " 3 Frame True\n");
    // Other applications get the first frame's picture.
    const auto jpeg = library::Pasteboard::general().image();
    ASSERT_TRUE(jpeg.has_value());
    EXPECT_EQ(jpeg->pixelWidth(), 64);

    const auto pasted = paste(project);
    ASSERT_EQ(pasted.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NE(pasted[i]->frameID(), frames[i]->frameID());
        EXPECT_EQ(pasted[i]->frameID(), pasted[i]->UID());
        EXPECT_EQ(pasted[i]->type(), Frame::kTypePicture);
        EXPECT_EQ(filesWith(folder, pasted[i]->frameID()).size(), i == 1 ? 4u : 3u);
        EXPECT_EQ(filesWith(folder, frames[i]->frameID()).size(), i == 1 ? 4u : 3u);
    }
    KWImageProducer producer(project);
    const auto copy = producer.getImageForFrameWithFrameID(pasted[2]->frameID());
    ASSERT_TRUE(copy.has_value());
    EXPECT_NEAR(copy->pixelAt(10, 10).r, 80, 6);
}

TEST_F(KWPasteboardHandlerTest, AudioFileIsCopiedOnceBetweenProjects) {
    std::vector<FramePtr> frames;
    ProjectModelPtr source = makeProject(1, &frames);
    auto clip = std::make_shared<KWAudioClip>(std::string("Voice"), std::string("voice-1.m4a"));
    frames[0]->setAudio(clip);
    std::ofstream(*source->getProjectPath() + "/voice-1.m4a") << "original audio";

    ProjectModelPtr target = makeProject(1, nullptr);
    const std::string targetFolder = *target->getProjectPath();
    KWPasteboardHandler(source).setFramesInPasteboard(frames);

    const auto first = paste(target);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_NE(first[0]->getAudio(), nullptr);
    EXPECT_EQ(first[0]->getAudio()->fileName(), "voice-1.m4a");
    EXPECT_EQ(filesWith(targetFolder, "voice-1.m4a").size(), 1u);

    // The second paste meets the audio file already there and still pastes.
    std::ofstream(targetFolder + "/voice-1.m4a") << "edited";
    const auto second = paste(target);
    ASSERT_EQ(second.size(), 1u);
    std::ifstream in(targetFolder + "/voice-1.m4a");
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "edited");
    EXPECT_EQ(filesWith(targetFolder, second[0]->frameID()).size(), 3u);
}

TEST_F(KWPasteboardHandlerTest, PastingIntoANewProjectCreatesItsFolder) {
    std::vector<FramePtr> frames;
    ProjectModelPtr source = makeProject(2, &frames);
    KWPasteboardHandler(source).setFramesInPasteboard(frames);

    ProjectModelPtr fresh = ProjectModel::create();
    ASSERT_FALSE(fresh->getProjectPath().has_value());
    const auto pasted = paste(fresh);
    ASSERT_EQ(pasted.size(), 2u);
    ASSERT_TRUE(fresh->getProjectPath().has_value());
    EXPECT_EQ(filesWith(*fresh->getProjectPath(), pasted[0]->frameID()).size(), 3u);
    EXPECT_NE(*fresh->getProjectPath(), *source->getProjectPath());
}

TEST_F(KWPasteboardHandlerTest, DeletedSourceStillCountsButPastesNothing) {
    std::vector<FramePtr> frames;
    ProjectModelPtr source = makeProject(3, &frames);
    ProjectModelPtr target = makeProject(1, nullptr);
    KWPasteboardHandler handler(source);
    handler.setFramesInPasteboard(frames);
    fs::remove_all(*source->getProjectPath());

    EXPECT_EQ(handler.getNumberOfFramesInPasteboard(), 3);
    EXPECT_TRUE(paste(target).empty());
}

TEST_F(KWPasteboardHandlerTest, FrameWhosePicturesAreGoneIsLeftOut) {
    std::vector<FramePtr> frames;
    ProjectModelPtr source = makeProject(2, &frames);
    KWPasteboardHandler(source).setFramesInPasteboard(frames);
    for (const auto& name : filesWith(*source->getProjectPath(), frames[0]->frameID())) {
        fs::remove(*source->getProjectPath() + "/" + name);
    }
    const auto pasted = paste(source);
    ASSERT_EQ(pasted.size(), 1u);
    EXPECT_EQ(filesWith(*source->getProjectPath(), pasted[0]->frameID()).size(), 3u);
}

TEST_F(KWPasteboardHandlerTest, CardsPasteWithoutPicturesAndPictureFramesOnlyWithTheirs) {
    std::vector<FramePtr> pictures;
    ProjectModelPtr source = makeProject(2, &pictures);
    ProjectModelPtr target = makeProject(1, nullptr);
    // Title and text cards not rendered yet have no files; the credits are rendered.
    FramePtr title = Frame::create(Frame::kTypeTitleCard);
    FramePtr credits = Frame::create(Frame::kTypeCreditsCard);
    FramePtr text = Frame::create(Frame::kTypeThemeTextCard);
    auto words = std::make_shared<KWThemeItem>();
    words->setText("The end?");
    words->setThemeID(21);
    text->setTheme(words);
    ASSERT_TRUE(KWImageProducer(source).storeImage(Image::filled(64, 36, RGBA{9, 9, 9, 255}), credits->frameID()));
    for (const auto& name : filesWith(*source->getProjectPath(), pictures[0]->frameID()))
        fs::remove(*source->getProjectPath() + "/" + name);
    KWPasteboardHandler(source).setFramesInPasteboard({title, pictures[0], credits, text, pictures[1]});

    const auto pasted = paste(target);
    struct Expected {
        int32_t type;
        size_t files;
    };
    // The picture frame whose pictures are gone is the only one left out.
    const std::vector<Expected> expected{{Frame::kTypeTitleCard, 0},
                                         {Frame::kTypeCreditsCard, 3},
                                         {Frame::kTypeThemeTextCard, 0},
                                         {Frame::kTypePicture, 3}};
    ASSERT_EQ(pasted.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(pasted[i]->type(), expected[i].type) << i;
        EXPECT_EQ(filesWith(*target->getProjectPath(), pasted[i]->frameID()).size(), expected[i].files) << i;
    }
    ASSERT_TRUE(pasted[2]->getTheme());
    EXPECT_EQ(pasted[2]->getTheme()->text(), std::optional<std::string>("The end?"));
    EXPECT_EQ(pasted[2]->getTheme()->themeID(), 21);
}

TEST_F(KWPasteboardHandlerTest, CopyFromAProjectWithoutFolderPastesNothing) {
    ProjectModelPtr unsaved = ProjectModel::create();
    std::vector<FramePtr> frames{Frame::create(Frame::kTypePicture)};
    KWPasteboardHandler(unsaved).setFramesInPasteboard(frames);
    EXPECT_EQ(KWPasteboardHandler(unsaved).getNumberOfFramesInPasteboard(), 1);
    ProjectModelPtr target = makeProject(1, nullptr);
    EXPECT_TRUE(paste(target).empty());
}

TEST_F(KWPasteboardHandlerTest, FrameWithoutIdentifierDoesNotDragAlongEveryFile) {
    std::vector<FramePtr> frames;
    ProjectModelPtr source = makeProject(1, &frames);
    frames.push_back(Frame::create(Frame::kTypePicture, ""));
    KWPasteboardHandler(source).setFramesInPasteboard(frames);

    ProjectModelPtr target = ProjectModel::create();
    const auto pasted = paste(target);
    ASSERT_EQ(pasted.size(), 1u);
    // Only the real frame's three pictures and the project files arrived.
    EXPECT_FALSE(fs::exists(*target->getProjectPath() + "/frame-" + frames[0]->frameID() + ".jpg"));
    EXPECT_EQ(filesWith(*target->getProjectPath(), ".jpg").size(), 3u);
}

TEST_F(KWPasteboardHandlerTest, PictureFromAnotherApplicationBecomesOneFrame) {
    ProjectModelPtr project = makeProject(1, nullptr);
    const auto jpeg = Image::filled(5000, 2000, RGBA{10, 200, 10, 255}).jpegData(0.9);
    ASSERT_TRUE(jpeg.ok());
    library::Pasteboard::general().setItems({{{library::kPasteboardTypeJPEG, jpeg.value()}}});

    KWPasteboardHandler handler(project);
    EXPECT_EQ(handler.getNumberOfFramesInPasteboard(), 1);
    std::vector<FramePtr> delivered;
    bool called = false;
    handler.getFramesInPasterboardWithHandler([&](std::vector<FramePtr> frames) {
        called = true;
        delivered = std::move(frames);
    });
    // The picture paste runs on the calling thread.
    ASSERT_TRUE(called);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0]->type(), Frame::kTypePicture);
    KWImageProducer producer(project);
    const auto full = producer.getImageForFrameWithFrameID(delivered[0]->frameID());
    ASSERT_TRUE(full.has_value());
    // Capped to the widest movie size.
    EXPECT_EQ(full->pixelWidth(), 3840);
    EXPECT_EQ(full->pixelHeight(), 1536);
    EXPECT_EQ(filesWith(*project->getProjectPath(), delivered[0]->frameID()).size(), 3u);
}

TEST_F(KWPasteboardHandlerTest, PictureThatCannotBeStoredGivesNoFrame) {
    // A project "folder" that is a plain file: nothing can be written into it.
    const std::string notAFolder = folders.documents() + "/plain-file";
    std::ofstream(notAFolder) << "x";
    ProjectModelPtr broken = ProjectModel::create(notAFolder);
    const auto png = Image::filled(30, 20, RGBA{1, 2, 3, 255}).pngData();
    library::Pasteboard::general().setItems({{{library::kPasteboardTypePNG, png.value()}}});

    KWPasteboardHandler handler(broken);
    EXPECT_EQ(handler.getSingleImageFromPasteboard(), nullptr);
    bool called = false;
    std::vector<FramePtr> delivered{nullptr};
    handler.getFramesInPasterboardWithHandler([&](std::vector<FramePtr> frames) {
        called = true;
        delivered = std::move(frames);
    });
    EXPECT_TRUE(called);
    EXPECT_TRUE(delivered.empty());
}

TEST_F(KWPasteboardHandlerTest, EmptyPasteboardCallsNothing) {
    ProjectModelPtr project = makeProject(1, nullptr);
    KWPasteboardHandler handler(project);
    EXPECT_EQ(handler.getNumberOfFramesInPasteboard(), 0);
    EXPECT_EQ(handler.getSingleImageFromPasteboard(), nullptr);
    bool called = false;
    handler.getFramesInPasterboardWithHandler([&](std::vector<FramePtr>) { called = true; });
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(called);
    // Nothing to copy leaves the pasteboard as it was.
    library::Pasteboard::general().setItems({{{"text.plain", foundation::Bytes{'a'}}}});
    handler.setFramesInPasteboard({});
    EXPECT_TRUE(library::Pasteboard::general().containsType("text.plain"));
}

// A paste reads the folder it copies from once, however many frames it
// copies, and the folder it copies into as often for many frames as for few.
TEST_F(KWPasteboardHandlerTest, APasteListsEachFolderAsOftenForManyFramesAsForFew) {
    std::vector<std::pair<int, int>> listings;
    for (int count : {3, 30}) {
        std::vector<FramePtr> frames;
        ProjectModelPtr source = makeProject(count, &frames);
        ProjectModelPtr target = makeProject(1, nullptr);
        KWPasteboardHandler(source).setFramesInPasteboard(frames);
        testsupport::FolderReads fromReads(*source->getProjectPath()), intoReads(*target->getProjectPath());
        ASSERT_EQ(paste(target).size(), size_t(count));
        listings.emplace_back(fromReads.listings(), intoReads.listings());
    }
    EXPECT_EQ(listings[0].first, 1);
    EXPECT_EQ(listings[1], listings[0]);
}

// A file of a painted frame's painting that cannot be read is left as it is
// and named in the outcome; the frame comes with everything else it has,
// and nothing waits on the file.
TEST_F(KWPasteboardHandlerTest, APaintingFileThatCannotBeReadStaysAndTheRestComes) {
    struct Case {
        const char* what;
        std::string (*file)(const std::string& id);
        testsupport::Hostile kind;
    };
    const auto strokes = [](const std::string& id) { return "canvas-" + id + ".cnv"; };
    const auto layer = [](const std::string& id) { return "canvas-" + id + "-L1.png"; };
    const Case cases[] = {{"strokes, a FIFO", strokes, testsupport::Hostile::Fifo},
                          {"strokes, a link to /dev/zero", strokes, testsupport::Hostile::LinkToZero},
                          {"a layer past the read bound", layer, testsupport::Hostile::Huge},
                          {"a layer, a FIFO", layer, testsupport::Hostile::Fifo}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<FramePtr> frames;
        ProjectModelPtr project = makeProject(2, &frames);
        const std::string folder = *project->getProjectPath();
        const std::string id = frames[1]->frameID();
        for (const std::string& name : {"canvas-" + id + ".layers", "canvas-" + id + "-L1.png",
                                        "canvas-" + id + "-L1.cnv", "canvas-" + id + ".cnv"})
            std::ofstream(folder + "/" + name) << name;
        const std::string hostile = folder + "/" + c.file(id);
        testsupport::placeHostile(hostile, c.kind);
        const auto identity = testsupport::identityOf(hostile);
        KWPasteboardHandler(project).setFramesInPasteboard(frames);

        const auto outcome = pasteOutcome(project, hostile);
        ASSERT_EQ(outcome.frames.size(), 2u);
        const std::string copy = outcome.frames[1]->frameID();
        ASSERT_EQ(outcome.unreadable.size(), 1u);
        const auto& named = outcome.unreadable[0];
        EXPECT_EQ(std::tie(named.pasted, named.sourceFolder, named.sourceFrameID, named.fileName),
                  std::make_tuple(outcome.frames[1], folder, id, c.file(id)));
        EXPECT_EQ(testsupport::identityOf(hostile), identity);
        EXPECT_FALSE(fs::exists(fs::symlink_status(folder + "/" + c.file(copy))));
        // Its three pictures and the three painting files that read.
        EXPECT_EQ(filesWith(folder, copy).size(), 6u);
        for (const std::string& name : filesWith(folder, copy)) {
            std::ifstream in(folder + "/" + name);
            std::string text;
            std::getline(in, text);
            if (name.starts_with("canvas-")) {
                EXPECT_EQ(text, "canvas-" + id + name.substr(7 + copy.size())) << name;
            }
        }
        fs::remove(hostile);
    }
}

// A frame whose own picture cannot be read is not pasted, and none of the
// files copied for it stays behind; the others paste.
TEST_F(KWPasteboardHandlerTest, AFrameWhosePictureCannotBeReadLeavesNothingBehind) {
    std::vector<FramePtr> frames;
    ProjectModelPtr project = makeProject(3, &frames);
    const std::string folder = *project->getProjectPath();
    // The thumbnail sorts after the frame's picture and preview, which copy first.
    const std::string hostile = folder + "/" + KWImageProducer::thumbnailFileName(frames[1]->frameID());
    testsupport::placeHostile(hostile, testsupport::Hostile::Fifo);
    KWPasteboardHandler(project).setFramesInPasteboard(frames);
    const size_t before = filesWith(folder, "").size();

    const auto outcome = pasteOutcome(project, hostile);
    ASSERT_EQ(outcome.frames.size(), 2u);
    EXPECT_TRUE(outcome.unreadable.empty());
    EXPECT_EQ(filesWith(folder, "").size(), before + 6);
    EXPECT_EQ(testsupport::identityOf(hostile)[0] & S_IFMT, S_IFIFO);
}

}  // namespace
