// Pasting 2,000 copied frames into a project of 2,000 (the files copied
// under new identifiers, the frames inserted in the list, the list saved)
// against cp copying the same files in one call, and the same paste of 500
// frames into a project of 500 against it: a paste must take time in
// proportion to the frames it copies, not to their square.

#include "BenchPictures.h"
#include "BenchSupport.h"
#include "LinkedProject.h"
#include "app/core/KWPasteboardHandler.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "platform/graphics/Image.h"
#include "platform/library/Pasteboard.h"
#include "support/RunFolder.h"

#include <QImage>
#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <future>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 5;
constexpr int kFrames = 2000;
constexpr int kFewerFrames = 500;
constexpr double kTarget = 3;
constexpr double kGrowthTarget = 5;

graphics::Image makePicture() {
    QImage picture(1280, 720, QImage::Format_RGB32);
    QPainter painter(&picture);
    bench::paintBackdrop(painter, 1280, 720);
    painter.end();
    return graphics::Image(picture);
}

// The pictures' files of every frame of a project's folder.
std::vector<std::string> pictureFiles(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".jpg") && name != "thumb.jpg") files.push_back(entry.path().string());
    }
    return files;
}

// Writes out what earlier runs left to write, so that no run pays for the
// one before it: the kernel holds back a writer while much is left.
void settle() { ::sync(); }

// One paste of `frames` frames copied from `source` into a project of as
// many: made untimed, then the paste timed as the editor makes it.
struct PasteRun {
    const graphics::Image& picture;
    int frames;
    ProjectModelPtr source;
    std::vector<FramePtr> copied;
    ProjectModelPtr target;

    PasteRun(const graphics::Image& picture, int frames)
        : picture(picture), frames(frames), source(ProjectModel::create(bench::makeLinkedProject(picture, frames, 0))) {
        for (const FramePtr& frame : *source->getFrameList())
            if (frame->type() == Frame::kTypePicture) copied.push_back(frame);
    }

    void prepare() {
        if (target && target->getProjectPath()) fs::remove_all(*target->getProjectPath());
        target = ProjectModel::create(bench::makeLinkedProject(picture, frames, 0));
        (void)target->getFrameList();
        KWPasteboardHandler(source).setFramesInPasteboard(copied);
        settle();
    }

    bool paste() {
        std::promise<KWPasteboardHandler::PasteOutcome> done;
        auto outcome = done.get_future();
        KWPasteboardHandler(target).getFramesInPasterboardWithOutcome(
            [&done](KWPasteboardHandler::PasteOutcome pasted) { done.set_value(std::move(pasted)); });
        const auto pasted = outcome.get();
        auto list = target->getFrameList();
        // The copies hold the pictures' bytes.
        const auto sizeOf = [](const ProjectModelPtr& project, const FramePtr& frame) {
            return fs::file_size(*project->pathForFile(KWImageProducer::frameFileName(frame->frameID())));
        };
        return pasted.frames.size() == copied.size() && list &&
               sizeOf(target, pasted.frames.back()) == sizeOf(source, copied.back()) &&
               list->insertFrames(pasted.frames, list->getCaptureIndex()) == frames &&
               target->saveAllDataToDisk().ok();
    }
};

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("paste-bench");
    const fs::path root = scratch.path();
    bench::useApplicationFoldersBelow(root);
    const graphics::Image picture = makePicture();

    PasteRun many(picture, kFrames), fewer(picture, kFewerFrames);
    const std::vector<std::string> files = pictureFiles(*many.source->getProjectPath());
    const fs::path copies = root / "cp";
    std::vector<std::string> cp{"cp"};
    cp.insert(cp.end(), files.begin(), files.end());
    cp.push_back(copies.string());

    const auto times = bench::compareAll(
        kRuns, bench::timed([&] { return many.paste(); }, [&] { many.prepare(); }),
        {bench::program([&] { return cp; }, [&] {
                            bench::freshFolder(copies);
                            settle();
                        }),
         bench::timed([&] { return fewer.paste(); }, [&] { fewer.prepare(); })});
    uintmax_t bytes = 0;
    for (const std::string& file : files) bytes += fs::file_size(file);
    std::printf("paste of %d frames into a project of %d (%zu files, %.0f MB) against cp of the same files; "
                "of %d into %d\n",
                kFrames, kFrames, files.size(), double(bytes) / 1e6, kFewerFrames, kFewerFrames);
    bool met = bench::printResult("paste", bench::medianOf(times[0].ours), bench::medianOf(times[0].reference),
                                  bench::Target::atMost(kTarget));
    met &= bench::printResult("paste_growth", bench::medianOf(times[1].ours), bench::medianOf(times[1].reference),
                              bench::Target::atMost(kGrowthTarget));
    library::Pasteboard::general().clear();
    KWProjects::getInstance().resetForTesting();
    return met ? 0 : 1;
}
