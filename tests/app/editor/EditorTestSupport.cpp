#include "EditorTestSupport.h"

#include "app/core/DataManager.h"
#include "app/core/FileUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/host/Device.h"
#include "support/Pictures.h"
#include "support/Process.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace editortest {

namespace {

const std::string kLetters = "ABCDEFGH";
const graphics::RGBA kColours[] = {{230, 20, 20, 255},  {20, 200, 20, 255},  {20, 20, 230, 255}, {230, 230, 20, 255},
                                   {20, 220, 220, 255}, {220, 20, 220, 255}, {120, 60, 20, 255}, {250, 250, 250, 255}};

std::map<std::string, char> lettersByUID(ProjectModel& project) {
    std::map<std::string, char> letters;
    const std::string names = namesOfList(project);
    auto list = project.getFrameList();
    for (int64_t i = 0; list && i < list->count(); ++i) letters[list->getFrameAtIndex(i)->UID()] = names[size_t(i)];
    return letters;
}

}  // namespace

std::string listInvariantFaults(ProjectModel& project) {
    std::ostringstream faults;
    auto list = project.getFrameList();
    if (!list) return "the frame list cannot be read\n";
    int slotCount = 0;
    for (const FramePtr& frame : *list) slotCount += frame->type() == Frame::kTypeCaptureSlot ? 1 : 0;
    if (slotCount != 1) faults << slotCount << " capture slotCount\n";
    if (list->getIndexForFrame(list->frameAtPlayhead()) == foundation::kNotFound)
        faults << "the playhead is on no listed frame\n";
    if (auto folder = project.getProjectPath()) {
        for (const FramePtr& frame : *list) {
            if (frame->type() != Frame::kTypePicture) continue;
            for (const std::string& name :
                 {KWImageProducer::frameFileName(frame->frameID()), KWImageProducer::previewFileName(frame->frameID()),
                  KWImageProducer::thumbnailFileName(frame->frameID())})
                if (!std::filesystem::exists(*folder + "/" + name)) faults << "missing " << name << "\n";
        }
    }
    return faults.str();
}

graphics::RGBA colourOf(char name) { return kColours[kLetters.find(name) % kLetters.size()]; }

graphics::Image pictureOf(char name, int width, int height) {
    return graphics::Image::filled(width, height, colourOf(name));
}

char nameOfPicture(const graphics::Image& picture) {
    const graphics::RGBA centre = picture.pixelAt(picture.pixelWidth() / 2, picture.pixelHeight() / 2);
    for (char letter : kLetters)
        if (testsupport::pixelNear(centre, colourOf(letter), 12)) return letter;
    return '?';
}

ProjectModelPtr projectOfPictures(const std::string& names) {
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    auto list = project->getFrameList();
    for (char name : names) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        EXPECT_TRUE(producer.storeImage(pictureOf(name), frame->frameID()).ok());
        list->insertFrame(frame, list->getCaptureIndex());
    }
    list->setFrameAtPlayhead(list->getFrameAtIndex(0));
    EXPECT_TRUE(project->saveAllDataToDisk().ok());
    return project;
}

std::string namesOfList(ProjectModel& project) {
    std::string names;
    auto list = project.getFrameList();
    if (!list) return "<unreadable>";
    for (const FramePtr& frame : *list) {
        switch (frame->type()) {
            case Frame::kTypeCaptureSlot:
                names += 'S';
                break;
            case Frame::kTypeTitleCard:
                names += 'T';
                break;
            case Frame::kTypeCreditsCard:
                names += 'C';
                break;
            case Frame::kTypeThemeTextCard:
                names += 'X';
                break;
            default: {
                const auto data =
                    project.fileDataForFileWithPreferredFilename(KWImageProducer::frameFileName(frame->frameID()));
                auto image = data ? graphics::Image::decode(*data)
                                  : foundation::Result<graphics::Image>(foundation::Error("test", 0, "missing"));
                names += image.ok() ? nameOfPicture(*image) : '?';
            }
        }
    }
    return names;
}

std::string namesOfSavedList(ProjectModel& project) {
    const auto path = project.pathForFile("frames.meta");
    if (!path) return "<no folder>";
    const auto result = testsupport::runPython(
        "import plistlib, sys\n"
        "with open(sys.argv[1], 'rb') as f:\n"
        "    for entry in plistlib.load(f)['FRAMELIST_DATA']:\n"
        "        print(entry['UID'])\n",
        {*path});
    if (result.exitCode != 0) return "<plistlib: " + result.output + ">";
    const auto letters = lettersByUID(project);
    std::istringstream lines(result.output);
    std::string uid;
    std::string names;
    while (std::getline(lines, uid)) {
        auto found = letters.find(uid);
        names += found == letters.end() ? '?' : found->second;
    }
    return names;
}

SavedListStamp savedListStamp(ProjectModel& project) {
    const auto path = project.pathForFile("frames.meta");
    struct stat info {};
    if (!path || ::stat(path->c_str(), &info) != 0) return {0, 0};
    return {info.st_ino, int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

EditorTest::EditorTest(bool phone)
    : WindowFixture(phone ? graphics::Rect(0, 0, 568, 320) : graphics::Rect(0, 0, 1024, 768)), phone_(phone) {}

void EditorTest::SetUp() {
    DataManager::resetForTesting();
    KWProjects::getInstance().resetForTesting();
    FileUtil::setFreeDiskspaceOverride(uint64_t{1} << 34);
    media::AudioOutput::setShared(audio);
    if (phone_) {
        ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
        ui::Device::current().setScreenBounds(graphics::Rect(0, 0, 568, 320));
    }
}

void EditorTest::TearDown() {
    editor.reset();
    WindowFixture::TearDown();
    media::AudioOutput::setShared(nullptr);
    FileUtil::setFreeDiskspaceOverride(std::nullopt);
    KWProjects::getInstance().resetForTesting();
    DataManager::resetForTesting();
}

void MicrophoneEditorTest::SetUp() {
    EditorTest::SetUp();
    devices = std::make_unique<testsupport::AudioDevicesScope>(media::SyntheticAudioInput::squareWave(0.1f));
}

void MicrophoneEditorTest::TearDown() {
    EditorTest::TearDown();
    devices.reset();
}

FrameEditorViewController& EditorTest::open(const ProjectModelPtr& project) {
    editor = FrameEditorViewController::create(project);
    window->setRootViewController(editor);
    window->layoutIfNeeded();
    settle();
    return *editor;
}

void EditorTest::settle() { foundation::RunLoop::main().runUntilIdle(); }

}  // namespace editortest
