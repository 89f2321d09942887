// Build-time generator of the pictures the application ships:
//
//   make-sample sample <archive.zip>   the introduction project, stored through
//                                      the project store and packed as an archive
//   make-sample launch <folder>        the launch pictures, tablet and phone
//
// Exits with 1 and a message when anything cannot be made, so the build stops
// instead of shipping a broken resource.

#include "SunriseScene.h"
#include "app/core/Frame.h"
#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/core/SSZipArchive.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/GuiApplication.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kFrameCount = 36;
constexpr int64_t kFramesPerSecond = 12;
constexpr graphics::Size kFrameSize{960, 540};

int fail(const std::string& message) {
    std::fprintf(stderr, "make-sample: %s\n", message.c_str());
    return 1;
}

// A scratch application folder tree, removed again at the end.
class ScratchFolders {
public:
    ScratchFolders() {
        std::string pattern = (fs::temp_directory_path() / "make-sample-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
        root_ = pattern;
        foundation::Paths::setRootOverride(root_);
        foundation::UserDefaults::resetStandardUserDefaults();
    }
    ~ScratchFolders() {
        foundation::Paths::setRootOverride(std::nullopt);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    const std::string& root() const { return root_; }

private:
    std::string root_;
};

int makeSample(const fs::path& archive) {
    ScratchFolders scratch;
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    auto list = project->getFrameList();
    FramePtr cover;
    for (int i = 0; i < kFrameCount; ++i) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        graphics::Image picture = sample::drawSunrise(kFrameSize, double(i) / (kFrameCount - 1));
        if (!producer.storeImage(picture, frame->frameID())) return fail("cannot store frame " + std::to_string(i));
        list->insertFrame(frame, list->getCaptureIndex());
        if (i == kFrameCount * 2 / 3) cover = frame;
    }
    list->setFrameAtPlayhead(cover);
    project->setName("Sunrise");
    project->setFPS(kFramesPerSecond);
    auto meta = project->getMetaData();
    if (!meta) return fail("the project has no metadata");
    meta->set("META_RECORD_THUMB_FRAME_ID", foundation::Value(cover->frameID()));
    meta->set("CurrentFrameIndex", foundation::Value(list->getIndexForFrame(cover)));
    meta->set("RecordNeedsRendering", foundation::Value(true));
    project->saveAllDataToDisk();
    if (auto error = project->error()) return fail("cannot save the project: " + error->description);
    auto folder = project->getProjectPath();
    if (!folder) return fail("the project has no folder");

    fs::create_directories(archive.parent_path());
    fs::path partial = archive.string() + ".partial";
    if (!SSZipArchive::createZipFileAtPath(partial.string(), *folder, nullptr)) return fail("cannot pack " + *folder);
    std::error_code error;
    fs::rename(partial, archive, error);
    if (error) return fail("cannot move the archive into place: " + error.message());
    return 0;
}

int makeLaunchPictures(const fs::path& folder) {
    fs::create_directories(folder);
    struct Picture {
        const char* name;
        graphics::Size size;
    };
    // Every picture shows the landscape screen. The phone files stand upright
    // (the scene turned a quarter to the left) because the root screen turns
    // them a quarter to the right onto its landscape view.
    const Picture pictures[] = {
        {"IpadLaunchImage-LandscapeLeft.png", {1024, 768}},
        {"default-568h.png", {320, 568}},
        {"default.png", {320, 480}},
    };
    for (const Picture& picture : pictures) {
        graphics::Image image = picture.size.width >= picture.size.height
                                    ? sample::drawLaunchPicture(picture.size, "Tollivar")
                                    : sample::turnedUpright(sample::drawLaunchPicture(
                                          {picture.size.height, picture.size.width}, "Tollivar"));
        auto png = image.pngData();
        if (!png) return fail(std::string("cannot encode ") + picture.name);
        fs::path target = folder / picture.name;
        fs::path partial = target.string() + ".partial";
        {
            std::FILE* file = std::fopen(partial.c_str(), "wb");
            if (!file) return fail("cannot write " + partial.string());
            bool written = std::fwrite(png->data(), 1, png->size(), file) == png->size();
            written = std::fclose(file) == 0 && written;
            if (!written) return fail("cannot write " + partial.string());
        }
        std::error_code error;
        fs::rename(partial, target, error);
        if (error) return fail("cannot move " + target.string() + " into place");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return fail("usage: make-sample sample <archive.zip> | make-sample launch <folder>");
    graphics::ensureGuiApplication();
    std::string command = argv[1];
    try {
        if (command == "sample") return makeSample(argv[2]);
        if (command == "launch") return makeLaunchPictures(argv[2]);
    } catch (const std::exception& exception) {
        return fail(exception.what());
    }
    return fail("unknown command " + command);
}
