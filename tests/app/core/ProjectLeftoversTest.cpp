// The sweep that follows the opening of a project: it takes the files that
// no frame names and no writer holds, and never a picture in use, however
// the clocks stand.

#include "ProjectModelFixture.h"
#include "app/core/KWImageProducer.h"
#include "app/core/PaintFiles.h"
#include "platform/foundation/KeyedArchive.h"
#include "support/HostileFiles.h"
#include "support/Pictures.h"
#include "support/WallClockScope.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <vector>

namespace {

class ProjectLeftoversTest : public ProjectModelFixture {
protected:
    // Opens the project as the browser does: its list is read, which queues the sweep.
    static ProjectModelPtr open(const std::string& folder) {
        auto project = ProjectModel::create(folder);
        EXPECT_NE(project->getFrameList(), nullptr);
        return project;
    }

    static bool hasPictures(const std::string& folder, const FramePtr& frame) {
        const std::set<std::string> files = folderFiles(folder), pictures = picturesOf(frame->frameID());
        return std::includes(files.begin(), files.end(), pictures.begin(), pictures.end());
    }

    const graphics::Image picture_ = testsupport::quadrantsImage(64, 36);
};

TEST_F(ProjectLeftoversTest, PicturesStoredAsTheProjectOpensAreKeptHoweverTheClockStands) {
    auto project = ProjectModel::create();
    KWImageProducer first(project);
    ASSERT_TRUE(project->storeCapturedPicture(picture_, first).frame);
    const std::string folder = *project->getProjectPath();
    // Imports store pictures on their queue and list the frames later: one
    // begins every tenth round, and all are listed at the end.
    std::vector<FramePtr> imported;
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        if (round % 10 == 0) {
            imported.push_back(Frame::create(Frame::kTypePicture));
            ASSERT_TRUE(KWImageProducer(project).storeImage(picture_, imported.back()->frameID()));
        }
        project = open(folder);
        // Every other round the wall clock has just been set back an hour.
        std::optional<testsupport::WallClockScope> stepped;
        if (round % 2) stepped.emplace(foundation::Date{foundation::Date::now().sinceReferenceDate - 3600});
        KWImageProducer producer(project);
        FramePtr captured = project->storeCapturedPicture(picture_, producer).frame;
        ASSERT_TRUE(captured);

        runLeftoverSweep();
        EXPECT_TRUE(hasPictures(folder, captured));
        for (const FramePtr& frame : imported) ASSERT_TRUE(hasPictures(folder, frame)) << frame->frameID();
    }
    auto list = project->getFrameList();
    for (const FramePtr& frame : imported) list->insertFrame(frame, list->getCaptureIndex());
    ASSERT_TRUE(project->saveAllDataToDisk());
    EXPECT_EQ(list->count(), 112);
    EXPECT_EQ(folderFiles(folder), filesOfList(*list));
}

TEST_F(ProjectLeftoversTest, FilesNoFrameNamesAndNoWriterHoldsGoOnceTheProjectIsOpen) {
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    ASSERT_TRUE(project->storeCapturedPicture(picture_, producer).frame);
    const std::string folder = *project->getProjectPath();
    // A writer that ended without listing its frame or taking its files back.
    ASSERT_TRUE(producer.storeImage(picture_, Frame::create(Frame::kTypePicture)->frameID()));
    const std::set<std::string> stored = folderFiles(folder);
    ASSERT_EQ(stored.size(), 8u);
    KWProjects::getInstance().resetForTesting();
    project.reset();

    // Opened for a moment only (to read its name, say): once the project is
    // gone nothing holds its frames, and nothing of the folder can be judged.
    (void)open(folder);
    runLeftoverSweep();
    EXPECT_EQ(folderFiles(folder), stored);

    project = open(folder);
    runLeftoverSweep();
    EXPECT_EQ(folderFiles(folder), filesOfList(*project->getFrameList()));
    EXPECT_EQ(folderFiles(folder).size(), 5u);
}

// A frame file that cannot be read may hold what no one can tell is of no
// worth (a painting from elsewhere, say): a delete of its frame and the
// sweep leave it as it is.
TEST_F(ProjectLeftoversTest, ADeleteAndTheSweepLeaveWhatTheyCannotRead) {
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    ASSERT_TRUE(project->storeCapturedPicture(picture_, producer).frame);
    const std::string folder = *project->getProjectPath();
    std::vector<std::function<void(const std::string&)>> forms;
    for (const testsupport::Hostile kind : testsupport::kHostileKinds)
        forms.push_back([kind](const std::string& path) { testsupport::placeHostile(path, kind); });
    forms.push_back([](const std::string& path) { testsupport::placeSparse(path, int64_t(200) << 20); });
    // A frame for each form, its strokes in that form.
    std::vector<std::string> going;
    std::map<std::string, std::array<long, 3>> identities;
    for (const auto& form : forms) {
        const FramePtr frame = project->storeCapturedPicture(picture_, producer).frame;
        ASSERT_TRUE(frame);
        going.push_back(frame->frameID());
        const std::string strokes = folder + "/" + paintfiles::strokesFileName(frame->frameID());
        form(strokes);
        identities[strokes] = testsupport::identityOf(strokes);
    }
    const auto unchanged = [&] {
        for (const auto& [path, identity] : identities) EXPECT_EQ(testsupport::identityOf(path), identity) << path;
    };
    ASSERT_TRUE(project->removeFramesInRange(1, int64_t(forms.size())));
    unchanged();
    for (const std::string& id : going)
        EXPECT_FALSE(std::filesystem::exists(folder + "/" + KWImageProducer::frameFileName(id))) << "deleted";
    project = open(folder);
    runLeftoverSweep();
    unchanged();
}

// The sweep keeps a layer file that any list of its frame names: the
// frame's own, a damaged one kept aside, and the one of layers a save could
// not list; with one of those unreadable, every layer file of the frame.
TEST_F(ProjectLeftoversTest, LayerFilesThatAListAsideNamesAreKept) {
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    const std::string id = project->storeCapturedPicture(picture_, producer).frame->frameID();
    const std::string folder = *project->getProjectPath();
    const auto listOf = [](const std::string& layerID) {
        const foundation::Array layers{foundation::Dictionary{{paintfiles::kLayerIDKey, layerID}}};
        return *foundation::KeyedArchiver::archivedData(
            foundation::Value(foundation::Dictionary{{paintfiles::kLayersKey, layers}}));
    };
    const std::string list = paintfiles::layersFileName(id);
    const std::pair<std::string, std::string> lists[] = {
        {list, "A"}, {paintfiles::damagedFileName(list), "B"}, {paintfiles::unlistedLayersFileName(id), "C"}};
    const auto layerFiles = [&](const std::string& layers) {
        std::set<std::string> names;
        for (const char layerID : layers) names.insert(paintfiles::layerStrokesFileName(id, std::string(1, layerID)));
        return names;
    };
    for (const bool unreadableAside : {false, true}) {
        SCOPED_TRACE(unreadableAside ? "the unlisted layers unreadable" : "every list reads");
        for (const auto& [name, layerID] : lists)
            ASSERT_TRUE(project->updateRegularFileWithContents(listOf(layerID), name));
        if (unreadableAside)
            testsupport::placeHostile(folder + "/" + paintfiles::unlistedLayersFileName(id),
                                      testsupport::Hostile::Fifo);
        for (const std::string& name : layerFiles("ABCD"))
            ASSERT_TRUE(project->updateRegularFileWithContents({}, name));
        project = open(folder);
        runLeftoverSweep();
        const std::set<std::string> files = folderFiles(folder);
        for (const std::string& name : layerFiles("ABCD"))
            EXPECT_EQ(files.contains(name), name.find("-D.") == std::string::npos || unreadableAside) << name;
    }
}

}  // namespace
