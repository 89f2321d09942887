#include "ExportTestSupport.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectImportProcessor.h"
#include "app/render/ProjectExportRenderer.h"
#include "app/render/RenderImageProducer.h"
#include "support/Process.h"

#include <fstream>
#include <future>

namespace {

using namespace rendertest;

class ProjectExportRendererTest : public RenderProjectTest {
protected:
    std::shared_ptr<ProjectExportRenderer> renderer() { return std::make_shared<ProjectExportRenderer>(project); }

    // Frames with holds, an audio clip on its track with its sound file, and
    // a foreground, all saved.
    void buildFullProject() {
        addPicture(numberedPicture(1));
        addPicture(numberedPicture(2), 4);
        addPicture(numberedPicture(3), 2);
        auto track = std::make_shared<ProjectTrackModel>(ProjectTrackModel::kTypeAudio);
        auto clip = std::make_shared<ProjectTrackItemModel>(ProjectTrackModel::kTypeAudio);
        clip->setName("voice-1.m4a");
        clip->setStart(1);
        clip->setDuration(5);
        track->addItem(clip);
        project->addTrack(track);
        ASSERT_TRUE(project->updateRegularFileWithContents(foundation::Bytes(3000, 0x5a), "voice-1.m4a"));
        auto foreground = numberedPicture(9, 64, 36).pngData();
        ASSERT_TRUE(foreground.ok());
        ASSERT_TRUE(project->updateRegularFileWithContents(*foreground, RenderImageProducer::kForegroundFile));
        setMeta(RenderImageProducer::kForegroundKey, foundation::Value(int64_t(1)));
        setMeta(projectkeys::kName, foundation::Value("Archive me"));
        ASSERT_TRUE(project->saveAllDataToDisk());
    }
};

// Holds the zip at its first entry until released, so that a cancel lands
// while the zip is under way however fast this machine zips.
class HeldArchiveRenderer : public ProjectExportRenderer {
public:
    using ProjectExportRenderer::ProjectExportRenderer;
    std::promise<void> reached, released;

    void zipArchiveProgressEvent(uint64_t loaded, uint64_t total) override {
        ProjectExportRenderer::zipArchiveProgressEvent(loaded, total);
        if (held_.exchange(true)) return;
        reached.set_value();
        released.get_future().wait();
    }

private:
    std::atomic<bool> held_ = false;
};

std::vector<std::pair<std::string, int64_t>> framesAndHolds(const ProjectModelPtr& project) {
    std::vector<std::pair<std::string, int64_t>> out;
    auto list = project->getFrameList();
    for (int64_t i = 0; list && i < list->count(); ++i)
        out.emplace_back(list->getFrameAtIndex(i)->frameID(), list->getFrameAtIndex(i)->getDuration());
    return out;
}

TEST_F(ProjectExportRendererTest, ArchivePassesUnzipAndImportsAsAnEqualProject) {
    buildFullProject();
    ExportOutcome outcome = runExport(renderer());
    ASSERT_EQ(outcome.status, MovieRenderer::kStatusFinished) << (outcome.error ? outcome.error->description : "");
    EXPECT_EQ(outcome.completions, 1);
    ASSERT_TRUE(outcome.exportURL);
    EXPECT_EQ(std::filesystem::path(*outcome.exportURL).filename(), "Archive_me.tollivarmobile");

    auto tested = testsupport::runProcess({"unzip", "-t", *outcome.exportURL});
    EXPECT_EQ(tested.exitCode, 0) << tested.output;
    EXPECT_NE(tested.output.find("No errors detected"), std::string::npos) << tested.output;

    // The importer consumes what it imports; it gets a copy.
    const std::string copy = folders.temporary() + "/shared.tollivarmobile";
    std::filesystem::copy_file(*outcome.exportURL, copy);
    foundation::Error importError;
    ASSERT_TRUE(ProjectImportProcessor().importProjectAtPath(copy, &importError)) << importError.description;
    foundation::RunLoop::main().runUntilIdle();
    auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_GE(projects.size(), 2u);
    ProjectModelPtr imported = projects[1];
    ASSERT_NE(imported, project);
    ASSERT_TRUE(imported->getProjectPath());
    ASSERT_NE(*imported->getProjectPath(), *project->getProjectPath());

    EXPECT_EQ(framesAndHolds(imported), framesAndHolds(project));
    auto tracks = imported->getTracksOfType(ProjectTrackModel::kTypeAudio);
    ASSERT_TRUE(tracks && tracks->size() == 1u);
    ASSERT_EQ(tracks->front()->getItems().size(), 1u);
    EXPECT_EQ(tracks->front()->getItems()[0]->name(), "voice-1.m4a");
    EXPECT_EQ(tracks->front()->getItems()[0]->duration(), 5);
    // Every file of the project, byte for byte: pictures, lists, metadata,
    // the sound and "foreground.png".
    auto original = filesBelow(*project->getProjectPath());
    auto copied = filesBelow(*imported->getProjectPath());
    EXPECT_TRUE(original.count("foreground.png") && original.count("voice-1.m4a"));
    ASSERT_EQ(copied.size(), original.size());
    for (const auto& [name, bytes] : original) EXPECT_EQ(copied[name], bytes) << name;
    EXPECT_TRUE(RenderImageProducer(imported).imageForeground().has_value());
}

TEST_F(ProjectExportRendererTest, FailuresAndCancelsLeaveNoArchive) {
    struct Case {
        const char* what;
        bool blockCache;  // a file where the archive's folder belongs
        bool cancelInZip;
        int64_t status;
    };
    for (const Case& c :
         {Case{"output folder blocked", true, false, 4}, Case{"cancel during the zip", false, true, 5}}) {
        SCOPED_TRACE(c.what);
        project = ProjectModel::create();
        for (int i = 0; i < 30; ++i) addPicture(numberedPicture(i));
        ASSERT_TRUE(project->saveAllDataToDisk());
        const std::string cache = *MovieRenderer::renderCachePathForProject(*project);
        if (c.blockCache) {
            std::filesystem::create_directories(std::filesystem::path(cache).parent_path());
            std::ofstream(cache) << "not a folder";
        }
        auto archive = std::make_shared<HeldArchiveRenderer>(project);
        if (!c.cancelInZip) archive->released.set_value();
        ExportOutcome outcome = runExport(archive, [&] {
            if (!c.cancelInZip) return;
            archive->reached.get_future().wait();
            archive->cancelExport();
            archive->released.set_value();
        });
        EXPECT_EQ(outcome.completions, 1);
        EXPECT_EQ(outcome.status, c.status);
        if (c.status == 4) {
            ASSERT_TRUE(outcome.error);
            EXPECT_EQ(outcome.error->domain, "ProjectExportZipRenderer");
            EXPECT_EQ(outcome.error->code, 45);
            EXPECT_EQ(outcome.error->description, "Error archiving files.");
            EXPECT_EQ(readFile(cache), "not a folder");
        } else {
            EXPECT_TRUE(namesIn(cache).empty()) << "no archive, no temporary file";
        }
    }
}

TEST_F(ProjectExportRendererTest, ADeviceWithoutRoomForTheFilesIsToldBeforeAnythingIsWritten) {
    addPicture(numberedPicture(1));
    ASSERT_TRUE(project->saveAllDataToDisk());
    // A sparse file far larger than any free space here, taking none of it.
    const std::string big = *project->getProjectPath() + "/sound-1.m4a";
    std::ofstream(big).put('x');
    std::error_code error;
    std::filesystem::resize_file(big, uint64_t(8) << 40, error);
    if (error) GTEST_SKIP() << "no sparse files of 8 TB here: " << error.message();
    const std::string hidden = *project->getProjectPath() + "/.hidden-but-huge";
    std::ofstream(hidden).put('x');
    std::filesystem::resize_file(hidden, uint64_t(8) << 40);

    const ExportOutcome outcome = runExport(renderer());
    std::filesystem::remove(big);
    EXPECT_EQ(outcome.status, 4);
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->domain, "ProjectExportZipRenderer");
    EXPECT_EQ(outcome.error->code, 45);
    EXPECT_TRUE(outcome.error->description.starts_with("There is not enough space for ")) << outcome.error->description;
    const std::string cache = *MovieRenderer::renderCachePathForProject(*project);
    EXPECT_TRUE(namesIn(cache).empty()) << "no archive, no temporary file";

    // What the archive packs leaves the hidden file out.
    EXPECT_LT(ProjectExportRenderer::packedFiles(*project->getProjectPath()).bytes, uint64_t(1) << 30);
    std::filesystem::remove(hidden);
}

TEST_F(ProjectExportRendererTest, ProjectOfOnlyTheCaptureSlotStillExports) {
    FramePtr only = addPicture(numberedPicture(1));
    ASSERT_TRUE(project->saveAllDataToDisk());
    project->getFrameList()->removeFrame(only);
    ASSERT_TRUE(project->saveAllDataToDisk());
    ExportOutcome outcome = runExport(renderer());
    ASSERT_EQ(outcome.status, MovieRenderer::kStatusFinished);
    auto listed = testsupport::runProcess({"unzip", "-Z1", *outcome.exportURL});
    EXPECT_NE(listed.output.find("frames.meta"), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find("kelbrin.meta"), std::string::npos) << listed.output;
}

}  // namespace
