// Frame operations that must keep the listed frames and their pictures in
// step however a write fails: a capture on a nearly full file system, a
// frame-list save that fails while frames are removed, and the clean-up of
// what killed writers left behind.

#include "ProjectModelFixture.h"
#include "app/core/FileUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/StorageFullError.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/PropertyList.h"
#include "support/ChildProcess.h"
#include "support/Pictures.h"

#include <QImage>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;
namespace fs = std::filesystem;

namespace {

// A process id that no process has now: a child that has ended and been reaped.
int64_t deadProcessID() {
    auto child = testsupport::ChildProcess::forked([] { return 0; });
    int64_t pid = child.pid();
    child.wait();
    return pid;
}

// A picture of noise, whose JPEG is large: about 3 bytes a pixel.
graphics::Image noiseImage(int width, int height) {
    QImage bitmap(width, height, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap.setPixel(x, y, random() | 0xff000000u);
    return graphics::Image(bitmap);
}

// Lowers the size of the largest file this process may write, so that a
// write beyond it fails (EFBIG, with SIGXFSZ ignored) as on a full device.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower{std::min(bytes, saved_.rlim_max), saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
};

class FrameOperationsTest : public ProjectModelFixture {
protected:
    // A saved project of `pictures` frames whose three files exist.
    ProjectModelPtr projectWithPictures(int pictures) {
        auto project = ProjectModel::create();
        KWImageProducer producer(project);
        for (int i = 0; i < pictures; ++i) {
            auto stored = project->storeCapturedPicture(testsupport::quadrantsImage(64, 36), producer);
            EXPECT_TRUE(stored.frame && !stored.error);
        }
        return project;
    }
    static std::string folderOf(const ProjectModelPtr& project) { return *project->getProjectPath(); }
    // Puts a folder where a project file belongs, so that writing it fails.
    static void blockFile(const ProjectModelPtr& project, const std::string& name) {
        fs::remove(folderOf(project) + "/" + name);
        fs::create_directory(folderOf(project) + "/" + name);
    }
};

TEST_F(FrameOperationsTest, CaptureGoesInFrontOfTheSlotAndIsThereAfterAReload) {
    auto project = projectWithPictures(1);
    auto list = project->getFrameList();
    list->removeFrameWithFrameType(Frame::kTypeCaptureSlot);
    KWImageProducer producer(project);
    auto stored = project->storeCapturedPicture(testsupport::quadrantsImage(64, 36), producer);
    ASSERT_TRUE(stored.frame);
    EXPECT_FALSE(stored.error);
    // A list without a slot gains one at its end; the picture goes just before it.
    EXPECT_EQ(list->getIndexForFrame(stored.frame), 1);
    EXPECT_EQ(list->getCaptureIndex(), 2);
    EXPECT_TRUE(project->getMetaData()->get("RecordNeedsRendering").asBool());

    auto reopened = ProjectModel::create(project->getProjectPath());
    EXPECT_EQ(reopened->getFrameList()->getFrameAtIndex(1)->frameID(), stored.frame->frameID());
    EXPECT_EQ(folderFiles(folderOf(project)), filesOfList(*reopened->getFrameList()));
}

TEST_F(FrameOperationsTest, ACaptureNamesTheSlotAndTheNewPictureUntilThePlayheadMoves) {
    auto project = projectWithPictures(2);  // A, B, slot
    auto list = project->getFrameList();
    const FramePtr a = list->getFrameAtIndex(0), b = list->getFrameAtIndex(1);
    // The user looks at A while the picture is taken (the tablet's camera
    // shoots whatever the strip shows).
    list->setFrameAtPlayhead(a);
    KWImageProducer producer(project);
    auto stored = project->storeCapturedPicture(testsupport::quadrantsImage(64, 36), producer);
    ASSERT_TRUE(stored.frame && !stored.error);
    auto recorded = [&](const char* when) {
        auto onDisk = ProjectModel::create(project->getProjectPath())->getMetaData();
        EXPECT_EQ(*onDisk, *project->getMetaData()) << when;
        return std::pair{onDisk->get("CurrentFrameIndex").asInt(),
                         onDisk->get("META_RECORD_THUMB_FRAME_ID").stringValue().value_or("")};
    };
    const std::pair<int64_t, std::string> captured{3, stored.frame->frameID()};
    EXPECT_EQ(recorded("after the capture"), captured);
    // The editor saves the list as soon as it shows the new frame.
    ASSERT_TRUE(project->saveAllDataToDisk());
    EXPECT_EQ(recorded("after the editor's save"), captured);
    EXPECT_EQ(ProjectModel::create(project->getProjectPath())->getFrameList()->frameAtPlayhead()->type(),
              Frame::kTypeCaptureSlot);
    // Once the playhead moves, the metadata follow it again.
    list->setFrameAtPlayhead(b);
    ASSERT_TRUE(project->saveAllDataToDisk());
    EXPECT_EQ(recorded("after the playhead moved"), (std::pair<int64_t, std::string>{1, b->frameID()}));
}

TEST_F(FrameOperationsTest, AFailedFirstPictureLeavesNoFolderAndNoListedProject) {
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    const graphics::Image picture = noiseImage(320, 180);
    {
        // Room for the project files and the project list, not for the picture.
        FileSizeLimit limit(32 * 1024);
        auto stored = project->storeCapturedPicture(picture, producer);
        EXPECT_FALSE(stored.frame);
        ASSERT_TRUE(stored.error);
        EXPECT_EQ(stored.error->underlying->code, EFBIG);
    }
    EXPECT_FALSE(project->getProjectPath());
    EXPECT_TRUE(projectFolders().empty());
    EXPECT_EQ(KWProjects::getInstance().getProjects().size(), 1u);
    KWProjects::getInstance().resetForTesting();
    EXPECT_EQ(KWProjects::getInstance().getProjects().size(), 1u) << "the stored list names no project";

    // The project is new again: the next picture gives it one folder and one entry.
    auto stored = project->storeCapturedPicture(picture, producer);
    ASSERT_TRUE(stored.frame && !stored.error);
    EXPECT_EQ(projectFolders().size(), 1u);
    const auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_EQ(projects.size(), 2u);
    EXPECT_EQ(projects[1], project);
    EXPECT_EQ(folderFiles(folderOf(project)), filesOfList(*project->getFrameList()));
}

TEST_F(FrameOperationsTest, FailedSavesDecideWhetherACaptureIsStoredAndWhichErrorItReports) {
    struct Case {
        const char* blocked;  // the project file whose write fails
        uint64_t freeBytes;
        bool stored;
        int64_t code;
        std::string text;
    };
    const std::string unknown = "Ups. An unknown error occured. (CaptureViewController-636)";
    const std::string full =
        "There is almost no space left on this device. You cannot record new media until you free some space.";
    const Case cases[] = {
        {"frames.meta", 200ull << 20, false, 636, unknown},
        {"frames.meta", (100ull << 20) - 1, false, 623, full},
        // Listed on disk already when the metadata fail: stored, and still reported.
        {"kelbrin.meta", 200ull << 20, true, 636, unknown},
    };
    for (const Case& c : cases) {
        auto project = projectWithPictures(2);
        std::vector<FramePtr> before(project->getFrameList()->begin(), project->getFrameList()->end());
        blockFile(project, c.blocked);
        FileUtil::setFreeDiskspaceOverride(c.freeBytes);
        KWImageProducer producer(project);
        auto stored = project->storeCapturedPicture(testsupport::quadrantsImage(64, 36), producer);
        FileUtil::setFreeDiskspaceOverride(std::nullopt);

        ASSERT_TRUE(stored.error) << c.blocked;
        EXPECT_EQ(stored.error->domain, "CaptureViewController");
        EXPECT_EQ(stored.error->code, c.code) << c.blocked;
        EXPECT_EQ(stored.error->description, c.text);
        ASSERT_TRUE(stored.error->underlying);
        EXPECT_EQ(stored.error->underlying->code, EISDIR);
        EXPECT_EQ(bool(stored.frame), c.stored) << c.blocked;
        auto list = project->getFrameList();
        if (c.stored) {
            EXPECT_EQ(list->getIndexForFrame(stored.frame), 2);
        } else {
            EXPECT_EQ(std::vector<FramePtr>(list->begin(), list->end()), before);
        }
        fs::remove(folderOf(project) + "/" + c.blocked);
        // The folder holds exactly the pictures of what is listed.
        std::set<std::string> files = filesOfList(*list);
        files.erase(c.blocked);
        EXPECT_EQ(folderFiles(folderOf(project)), files) << c.blocked;
    }
}

constexpr const char* kFullDeviceVariable = "TOLLIVAR_TEST_TMPFS_DOCUMENTS";

// Runs only as the child that the full-device test starts in a private mount
// namespace: the documents folder becomes a small tmpfs, filled up to leave
// a little more room for each capture, so that every write of a capture
// fails in one round or another.
TEST(FrameOperationsChild, DISABLED_CapturesOnANearlyFullFileSystem) {
    const char* documents = std::getenv(kFullDeviceVariable);
    if (!documents) GTEST_SKIP() << "runs only as the child of the full-device test";
    fs::create_directories(documents);
    if (::mount("tmpfs", documents, "tmpfs", 0, "size=8m") != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
    KWProjects::getInstance().resetForTesting();
    // A long project, as in the field: its frame list is a large file.
    auto project = ProjectModel::create();
    auto list = project->getFrameList();
    for (int i = 0; i < 2000; ++i) list->insertFrame(Frame::create(Frame::kTypePicture), list->getCaptureIndex());
    ASSERT_TRUE(project->saveAllDataToDisk());
    const std::string folder = *project->getProjectPath();
    const std::string filler = std::string(documents) + "/filler";
    KWImageProducer producer(project);
    int storedCount = 0, refusedCount = 0;
    std::set<std::string> expected{"kelbrin.meta", "frames.meta"};
    for (uint64_t room = 0; room <= 720 * 1024; room += 16 * 1024) {
        struct statvfs space {};
        ASSERT_EQ(::statvfs(documents, &space), 0);
        uint64_t available = uint64_t(space.f_bavail) * space.f_frsize;
        if (available > room) {
            int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::posix_fallocate(fd, 0, off_t(available - room)), 0);
            ::close(fd);
        }
        auto stored = project->storeCapturedPicture(testsupport::quadrantsImage(640, 360), producer);
        fs::remove(filler);
        if (stored.frame) {
            ++storedCount;
            expected.merge(picturesOf(stored.frame->frameID()));
        } else {
            ++refusedCount;
            ASSERT_TRUE(stored.error) << room;
            EXPECT_EQ(stored.error->code, kCaptureErrorStorageFull) << room;
        }
        // Before a reload (which clears leftovers): the folder holds the
        // pictures of the stored captures and nothing of the refused ones.
        EXPECT_EQ(folderFiles(folder), expected) << room;
        auto onDisk = ProjectModel::create(folder)->getFrameList();
        ASSERT_NE(onDisk, nullptr) << room;
        EXPECT_EQ(onDisk->count(), list->count()) << room;
        if (stored.frame) {
            EXPECT_TRUE(onDisk->containsFrameWithFrameID(stored.frame->frameID())) << room;
        }
    }
    // The sweep crossed the limit: some captures did not fit, later ones did.
    EXPECT_GT(storedCount, 0);
    EXPECT_GT(refusedCount, 0);
}

TEST_F(FrameOperationsTest, OnANearlyFullFileSystemAReportedCaptureSurvivesAndARefusedOneLeavesNothing) {
    testsupport::ChildProcess::Options options;
    options.captureOutput = true;
    options.environment = {std::string(kFullDeviceVariable) + "=" + folders_.documents()};
    auto child = testsupport::ChildProcess::spawn(
        {"unshare", "--mount", "--propagation", "private", testsupport::ChildProcess::thisExecutable(),
         "--gtest_filter=FrameOperationsChild.DISABLED_CapturesOnANearlyFullFileSystem",
         "--gtest_also_run_disabled_tests"},
        options);
    std::string output = child.readOutput();
    int code = child.wait();
    if (output.starts_with("unshare:") || output.find("[  SKIPPED ]") != std::string::npos)
        GTEST_SKIP() << "no private mount namespace with a tmpfs here: " << output.substr(0, 200);
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

TEST_F(FrameOperationsTest, RemovingFramesSavesTheListFirstAndKeepsFilesStillInUse) {
    struct Case {
        int64_t location, length;
        bool saveFails;
        std::vector<int> kept;  // indexes of the original list that stay
    };
    // Original list: A, B, slot, C, D where D repeats A's pictures (as
    // entries of older projects do) and carries a clip whose file B's clip
    // plays too.
    const Case cases[] = {
        {0, 2, false, {2, 3, 4}},      {1, 3, false, {0, 2, 4}},    {0, 5, false, {2}},
        {0, 5, true, {0, 1, 2, 3, 4}}, {4, 9, false, {0, 1, 2, 3}}, {-1, 2, false, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        auto project = projectWithPictures(3);
        auto list = project->getFrameList();
        FramePtr a = list->getFrameAtIndex(0), c3 = list->getFrameAtIndex(2);
        list->removeFrame(c3);  // A, B, slot
        list->addFrame(c3);     // A, B, slot, C
        FramePtr d = Frame::create(Frame::kTypePicture, a->frameID());
        // A clip file named after B, as a recording at B would be.
        const std::string voice = "voice-" + list->getFrameAtIndex(1)->frameID() + ".m4a";
        d->setAudio(std::make_shared<KWAudioClip>("Voice", voice));
        list->getFrameAtIndex(1)->setAudio(std::make_shared<KWAudioClip>("Voice", voice));
        list->addFrame(d);
        ASSERT_TRUE(project->saveAllDataToDisk());
        std::ofstream(folderOf(project) + "/" + voice) << "sound";
        std::vector<FramePtr> original(list->begin(), list->end());
        std::set<std::string> filesBefore = folderFiles(folderOf(project));
        if (c.saveFails) blockFile(project, "frames.meta");

        auto removed = project->removeFramesInRange(c.location, c.length);
        EXPECT_EQ(removed.ok(), !c.saveFails) << c.location << "+" << c.length;
        std::vector<FramePtr> expected;
        for (int i : c.kept) expected.push_back(original[size_t(i)]);
        EXPECT_EQ(std::vector<FramePtr>(list->begin(), list->end()), expected) << c.location << "+" << c.length;
        if (c.saveFails) {
            EXPECT_EQ(folderFiles(folderOf(project)), filesBefore);
            continue;
        }
        // The files are those of the remaining frames; the clip's file stays
        // while a listed clip plays it.
        std::set<std::string> files = filesOfList(*list);
        bool clipListed =
            std::any_of(list->begin(), list->end(), [](const FramePtr& f) { return bool(f->getAudio()); });
        if (clipListed) files.insert(voice);
        EXPECT_EQ(folderFiles(folderOf(project)), files) << c.location << "+" << c.length;
        EXPECT_EQ(ProjectModel::create(project->getProjectPath())->getFrameList()->count(), list->count());
    }
}

TEST_F(FrameOperationsTest, OpeningRemovesWhatKilledWritersLeftAndNothingElse) {
    auto project = projectWithPictures(1);
    const std::string folder = folderOf(project);
    const std::string listed = project->getFrameList()->getFrameAtIndex(0)->frameID();
    const std::string dead = std::to_string(deadProcessID()), alive = std::to_string(::getpid());
    struct Entry {
        std::string name;
        bool leftover;
    };
    const Entry entries[] = {
        {"frame-UNLISTED.jpg", true},
        {"preview-UNLISTED.jpg", true},
        {"thumb-UNLISTED.jpg", true},
        {".frames.meta.tmp-" + dead + "-3-0a1b2c3d", true},
        {".frame-NEW.jpg.tmp-" + dead + "-0-ffffffff", true},
        {".kelbrin.meta.tmp-" + alive + "-1-0a1b2c3d", false},  // a write of this process may be under way
        {".voice.m4a.tmp-" + dead + "-1-0a1b2c3d", true},       // every file is written through the store
        {".canvas-" + listed + ".cnv.tmp-" + dead + "-2-0a1b2c3d", true},
        {".voice.m4a.partial-0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D", true},  // a streamed file no writer holds
        {".frames.meta.tmp-" + dead + "-x-0a1b2c3d", false},                // not the writer's name
        {"voice.m4a", false},
        {"notes.txt", false},
        {"frame-.jpg", false},
        {"frame-UNLISTED.png", false},
        {"meta-UNLISTED.meta", false},
        {"paint-UNLISTED.png", false},
    };
    for (const Entry& entry : entries) std::ofstream(folder + "/" + entry.name) << "x";
    fs::create_directory(folder + "/frame-FOLDER.jpg");
    fs::create_symlink(folder + "/notes.txt", folder + "/thumb-LINK.jpg");

    // A damaged or missing list says nothing about which pictures are unused.
    std::string listFile = folder + "/frames.meta";
    auto listBytes = foundation::readFile(listFile);
    ASSERT_TRUE(foundation::writeFileAtomically(listFile, std::string_view("damaged")));
    auto damaged = ProjectModel::create(folder);
    EXPECT_EQ(damaged->getFrameList(), nullptr);
    EXPECT_TRUE(damaged->removeLeftoverFiles().empty());
    fs::remove(listFile);
    auto withoutList = ProjectModel::create(folder);
    EXPECT_EQ(withoutList->getFrameList()->count(), 1);
    EXPECT_TRUE(fs::exists(folder + "/frame-UNLISTED.jpg"));
    ASSERT_TRUE(foundation::writeFileAtomically(listFile, *listBytes));

    // Opening does not wait for the sweep: the folder is as it was until
    // the sweep's delay has passed.
    const std::set<std::string> before = folderFiles(folder);
    auto reopened = ProjectModel::create(folder);
    ASSERT_NE(reopened->getFrameList(), nullptr);
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(folderFiles(folder), before);
    runLeftoverSweep();
    std::set<std::string> expected = picturesOf(listed);
    expected.insert({"kelbrin.meta", "frames.meta", "frame-FOLDER.jpg", "thumb-LINK.jpg"});
    for (const Entry& entry : entries)
        if (!entry.leftover) expected.insert(entry.name);
    EXPECT_EQ(folderFiles(folder), expected);
}

TEST_F(FrameOperationsTest, TheSweepRemovesPaintFilesThatNeitherListNorLayerStackName) {
    auto project = projectWithPictures(2);
    const std::string folder = folderOf(project);
    auto list = project->getFrameList();
    // A stack that lists one layer, a damaged stack, and the slot without one.
    const std::string stacked = list->getFrameAtIndex(0)->frameID(), damaged = list->getFrameAtIndex(1)->frameID(),
                      bare = list->getFrameAtIndex(2)->frameID();
    auto stack = foundation::KeyedArchiver::archivedData(
        Value(Dictionary{{"layers", Array{Dictionary{{"UUID", "KEPT"}, {"name", "Layer"}}}}}));
    ASSERT_TRUE(stack);
    ASSERT_TRUE(foundation::writeFileAtomically(folder + "/canvas-" + stacked + ".layers", *stack));
    struct Entry {
        std::string name;
        bool leftover;
    };
    const Entry entries[] = {
        {"canvas-" + stacked + ".cnv", false},
        {"canvas-" + stacked + ".jpg", false},
        {"canvas-" + stacked + "-KEPT.png", false},
        {"canvas-" + stacked + "-KEPT.cnv", false},
        {"canvas-" + stacked + "-GONE.png", true},  // a layer deleted, or never listed
        {"canvas-" + stacked + "-GONE.cnv", true},
        {"canvas-" + stacked + ".cnv.damaged", false},
        {"canvas-" + damaged + ".layers", false},
        {"canvas-" + damaged + "-ANY.png", false},  // which layers it has cannot be told
        {"canvas-" + bare + "-ORPHAN.png", true},   // no stack lists it
        {"canvas-UNLISTED.cnv", true},
        {"canvas-UNLISTED.jpg", true},
        {"canvas-UNLISTED.layers", true},
        {"canvas-UNLISTED-LAYER.png", true},
        {"canvas-UNLISTED.txt", false},
        {"canvas.cnv", false},
    };
    for (const Entry& entry : entries)
        if (!fs::exists(folder + "/" + entry.name)) std::ofstream(folder + "/" + entry.name) << "x";
    std::vector<std::string> expected;
    for (const Entry& entry : entries)
        if (entry.leftover) expected.push_back(entry.name);
    std::sort(expected.begin(), expected.end());
    auto reopened = ProjectModel::create(folder);
    ASSERT_NE(reopened->getFrameList(), nullptr);
    EXPECT_EQ(reopened->removeLeftoverFiles(), expected);
    for (const Entry& entry : entries) EXPECT_EQ(fs::exists(folder + "/" + entry.name), !entry.leftover) << entry.name;
}

TEST_F(FrameOperationsTest, ProjectFilesThatCouldNeverBeSavedAgainAreRefusedWithAClearError) {
    struct Case {
        std::string file;
        Value content;
        foundation::plist::Format format;
        std::string error;
    };
    Dictionary badList{{"FRAMELIST_DATA", Array{Dictionary{{"FRAME_ID", "F"}, {"DURATION", Value(4294967296LL)}}}}};
    const Case cases[] = {
        {"kelbrin.meta", Dictionary{{"RecordName", "bell\x07"}}, foundation::plist::Format::Binary,
         "cannot be used: it could not be saved again."},
        {"frames.meta", badList, foundation::plist::Format::Xml,
         "cannot be used: The frame list is damaged: frame F has the hold count 4294967296, beyond the largest, "
         "2147483647."},
    };
    for (const Case& c : cases) {
        auto project = projectWithPictures(2);
        std::string path = folderOf(project) + "/" + c.file;
        ASSERT_TRUE(foundation::plist::writeFile(c.content, path, c.format));
        auto before = foundation::readFile(path);
        auto reopened = ProjectModel::create(folderOf(project));
        bool loaded = c.file == "kelbrin.meta" ? bool(reopened->getMetaData()) : bool(reopened->getFrameList());
        EXPECT_FALSE(loaded) << c.file;
        auto error = c.file == "kelbrin.meta" ? reopened->metaDataLoadError() : reopened->frameListLoadError();
        ASSERT_TRUE(error) << c.file;
        EXPECT_NE(error->description.find(c.error), std::string::npos) << error->description;
        // Saving reports the damage and leaves the file as it was.
        EXPECT_FALSE(reopened->saveAllDataToDisk()) << c.file;
        EXPECT_EQ(*foundation::readFile(path), *before);
    }

    // A name typed with control characters is saved without them.
    auto project = projectWithPictures(2);
    project->setName("Tab\tand\x01 bell\x07");
    ASSERT_TRUE(project->saveMetaDataToDisk());
    EXPECT_EQ(ProjectModel::create(project->getProjectPath())->getName(), "Tab\tand bell");
}

}  // namespace
