// The project store end to end: a project built the way capture builds it,
// read back by outside tools, and a writer killed at random moments.

#include "ProjectModelFixture.h"
#include "app/core/KWImageProducer.h"
#include "platform/foundation/PropertyList.h"
#include "support/ChildProcess.h"
#include "support/Process.h"

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <signal.h>
#include <unistd.h>

using foundation::Value;
namespace fs = std::filesystem;

namespace {

constexpr const char* kChildProjectVariable = "TOLLIVAR_STORE_CHILD_PROJECT";

// A capture as the capture screen makes it.
FramePtr capturePicture(const ProjectModelPtr& project, const graphics::Image& picture) {
    KWImageProducer producer(project);
    auto stored = project->storeCapturedPicture(picture, producer);
    return stored.error ? nullptr : stored.frame;
}

graphics::Image testPicture(int width, int height, uint8_t shade) {
    return graphics::Image::filled(width, height, {shade, uint8_t(255 - shade), 90, 255});
}

class StoreEndToEndTest : public ProjectModelFixture {};

TEST_F(StoreEndToEndTest, CapturedProjectOnDiskAsOutsideToolsReadIt) {
    auto project = ProjectModel::create();
    project->saveAllDataToDisk();
    EXPECT_TRUE(projectFolders().empty());

    FramePtr first = capturePicture(project, testPicture(1280, 720, 40));
    ASSERT_TRUE(first);
    first->setAudio(std::make_shared<KWAudioClip>("Voice", "voice.m4a"));
    ASSERT_TRUE(capturePicture(project, testPicture(1280, 720, 200)));
    ASSERT_TRUE(project->getProjectPath());
    std::string folder = *project->getProjectPath();
    EXPECT_TRUE(std::regex_match(fs::path(folder).filename().string(),
                                 std::regex(R"(\.kelbrin-\d{4}-\d\d-\d\d-\d\d-\d\d-\d\d)")));
    EXPECT_EQ(KWProjects::getInstance().getProjects()[1], project);

    const char* script = R"(
import os, plistlib, struct, sys
folder, documents = sys.argv[1], sys.argv[2]
def kinds(d): return ','.join('%s:%s' % (k, type(d[k]).__name__) for k in sorted(d))
def jpeg_size(path):
    data = open(path, 'rb').read()
    assert data[:2] == b'\xff\xd8', path
    i = 2
    while i < len(data):
        marker, length = data[i + 1], struct.unpack('>H', data[i + 2:i + 4])[0]
        if marker in (0xc0, 0xc1, 0xc2):
            h, w = struct.unpack('>HH', data[i + 5:i + 9])
            return '%dx%d' % (w, h)
        i += 2 + length
meta = plistlib.load(open(folder + '/kelbrin.meta', 'rb'))
frames = plistlib.load(open(folder + '/frames.meta', 'rb'))
print(kinds(meta))
print(kinds(frames))
for entry in frames['FRAMELIST_DATA']:
    print(kinds(entry))
    if entry.get('FRAME_TYPE', 0) == 0:
        print(' '.join(jpeg_size('%s/%s-%s.jpg' % (folder, kind, entry['FRAME_ID'])) for kind in ('thumb', 'preview', 'frame')))
print(sorted(os.listdir(folder)) == sorted(['kelbrin.meta', 'frames.meta'] + ['%s-%s.jpg' % (k, e['FRAME_ID']) for e in frames['FRAMELIST_DATA'] if e.get('FRAME_TYPE', 0) == 0 for k in ('frame', 'preview', 'thumb')]))
print(plistlib.load(open(documents + '/.projects.plist', 'rb'))[0] == os.path.basename(folder))
print(meta['META_RECORD_THUMB_FRAME_ID'] == frames['FRAMELIST_DATA'][1]['FRAME_ID'], meta['CurrentFrameIndex'], meta['RecordNumberOfFrames'])
print(kinds(frames['FRAMELIST_DATA'][0]['AUDIO']), frames['FRAMELIST_VERSION'], meta['ProductVersion'])
)";
    auto result = testsupport::runPython(script, {folder, folders_.documents()});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::string picture = "DURATION:int,FRAME_ID:str,IS_FRAME_PAUSED_FOR_AUDIO:bool,UID:str\n";
    EXPECT_EQ(result.output,
              "CaptureTimerValue:int,CurrentFrameIndex:int,META_RECORD_THUMB_FRAME_ID:str,PlayAsLoop:bool,"
              "ProductVersion:float,RecordDateCreated:float,RecordDateModified:float,RecordFPS:int,RecordName:str,"
              "RecordNeedsRendering:bool,RecordNumberOfFrames:int\n"
              "FRAMELIST_DATA:list,FRAMELIST_INFO:str,FRAMELIST_VERSION:float\n"
              "AUDIO:dict," +
                  picture + "272x153 796x448 1280x720\n" + picture + "272x153 796x448 1280x720\n" +
                  "DURATION:int,FRAME_ID:str,FRAME_TYPE:int,IS_FRAME_PAUSED_FOR_AUDIO:bool,UID:str\n"
                  "True\nTrue\nTrue 2 3\n"
                  "DURATION:int,FILE:str,NAME:str,START:int,STOP:int,VOLUME:float 4.0 6.0\n");
}

// Runs this test binary as a child that adds pictures to a project until it
// is killed; its standard output reports each completed save.
class StoreWriterChild {
public:
    explicit StoreWriterChild(const std::string& projectPath) : child_(start(projectPath)) {}

    // Waits for the child's next report of a finished save; false when it ended.
    bool waitForSave() { return child_.readUntil('#'); }
    void kill() { child_.stop(SIGKILL); }

private:
    static testsupport::ChildProcess start(const std::string& projectPath) {
        testsupport::ChildProcess::Options options;
        options.captureOutput = true;
        options.environment = {std::string(kChildProjectVariable) + "=" + projectPath};
        return testsupport::ChildProcess::spawn(
            {testsupport::ChildProcess::thisExecutable(),
             "--gtest_filter=StoreWriterChild.DISABLED_AddsPicturesUntilKilled", "--gtest_also_run_disabled_tests"},
            options);
    }
    testsupport::ChildProcess child_;
};

// Disabled so that it runs only when the crash-safety test starts it.
TEST(StoreWriterChild, DISABLED_AddsPicturesUntilKilled) {
    const char* path = std::getenv(kChildProjectVariable);
    if (!path) GTEST_SKIP() << "runs only as the child of the crash-safety test";
    auto project = ProjectModel::create(std::string(path));
    ASSERT_NE(project->getFrameList(), nullptr);
    for (uint8_t shade = 0;; shade += 37) {
        ASSERT_TRUE(capturePicture(project, testPicture(960, 540, shade)));
        // Every few saves one picture leaves again, as the editor's delete does.
        if (shade % 3 == 0 && project->getFrameList()->count() > 2) {
            ASSERT_TRUE(project->removeFramesInRange(0, 1));
        }
        if (::write(1, "#", 1) != 1) return;
    }
}

class StoreCrashSafetyTest : public ProjectModelFixture {};

TEST_F(StoreCrashSafetyTest, EveryKillLeavesALoadableProjectWhoseFramesHaveTheirFilesAndNothingElse) {
    auto project = ProjectModel::create();
    ASSERT_TRUE(capturePicture(project, testPicture(960, 540, 10)));
    std::string folder = *project->getProjectPath();

    int64_t framesSeen = 0;
    for (int round = 0; round < 8; ++round) {
        {
            StoreWriterChild child(folder);
            // Kill at a different point of the child's work each round.
            for (int saves = 0; saves <= round % 3; ++saves) ASSERT_TRUE(child.waitForSave()) << "round " << round;
            child.kill();
        }
        auto reopened = ProjectModel::create(folder);
        auto list = reopened->getFrameList();
        ASSERT_NE(list, nullptr) << "round " << round;
        ASSERT_TRUE(reopened->getMetaData()) << "round " << round;
        EXPECT_NE(list->getCaptureIndex(), foundation::kNotFound);
        for (const FramePtr& frame : *list) {
            if (frame->type() != Frame::kTypePicture) continue;
            for (const char* kind : {"frame-", "preview-", "thumb-"}) {
                auto data = reopened->fileDataForFileWithPreferredFilename(kind + frame->frameID() + ".jpg");
                ASSERT_TRUE(data) << kind << frame->frameID() << " round " << round;
                EXPECT_TRUE(graphics::Image::decode(*data)) << kind << frame->frameID();
            }
        }
        // Opening cleared what the killed writer left, once its sweep ran:
        // temporaries and pictures that no listed frame uses.
        runLeftoverSweep();
        EXPECT_EQ(folderFiles(folder), filesOfList(*list)) << "round " << round;
        framesSeen = std::max(framesSeen, list->count());
    }
    EXPECT_GT(framesSeen, 2);
}

}  // namespace
