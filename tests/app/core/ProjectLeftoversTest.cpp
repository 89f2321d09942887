// The sweep that follows the opening of a project: it takes the files that
// no frame names and no writer holds, and never a picture in use, however
// the clocks stand.

#include "ProjectModelFixture.h"
#include "app/core/KWImageProducer.h"
#include "support/Pictures.h"
#include "support/WallClockScope.h"

#include <algorithm>
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

}  // namespace
