#include "app/render/RenderSnapshot.h"

#include "app/core/FileUtil.h"

namespace {

thread_local uint64_t tSnapshotsTaken = 0;

}  // namespace

uint64_t RenderSnapshot::takenOnThisThread() { return tSnapshotsTaken; }

RenderSnapshot RenderSnapshot::ofProject(ProjectModel& project) {
    ++tSnapshotsTaken;
    std::optional<foundation::Error> unreadable = project.frameListOpenError();
    RenderSnapshot snapshot{unreadable ? ExpandedFrames() : framesOf(project),
                            KWImageProducer::PictureSettings::ofProject(project),
                            outputNameOf(project),
                            {},
                            std::move(unreadable)};
    for (const ExpandedFrames::Run& run : snapshot.frames.runs())
        if (std::optional<ThemeCard> card = ThemeCard::ofFrame(project, *run.frame))
            snapshot.cards.emplace(run.frame.get(), std::move(*card));
    return snapshot;
}

ExpandedFrames RenderSnapshot::framesOf(ProjectModel& project) {
    std::shared_ptr<FrameList> list = project.getFrameList();
    return list ? list->getExpandedFrameList() : ExpandedFrames();
}

std::string RenderSnapshot::outputNameOf(ProjectModel& project) {
    std::string name;
    if (auto meta = project.getMetaData())
        if (auto stored = meta->get(projectkeys::kName).stringValue()) name = FileUtil::sanitizeFileNameString(*stored);
    // A name of punctuation only, or an empty one, would leave nothing but
    // the extension ("mov"), a hidden file no one finds.
    if (name.empty()) name = FileUtil::sanitizeFileNameString(ProjectDataWrapper::getDefaultName());
    return name;
}
