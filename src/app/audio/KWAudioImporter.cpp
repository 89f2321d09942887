#include "app/audio/KWAudioImporter.h"

#include "app/audio/AudioFilePlacement.h"
#include "app/core/FormatterUtil.h"
#include "app/core/SaveFailure.h"
#include "app/core/ShowErrorNotification.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/media/Asset.h"

#include <cstdio>

namespace {

// The sound's length in whole milliseconds, cut toward zero; 0 for a file
// that holds no sound that can be read.
int64_t durationMilliseconds(const std::string& file) {
    auto asset = media::Asset::open(file);
    if (!asset) return 0;
    media::MediaTime duration = asset->duration();
    if (!duration.isValid() || duration.isPositiveInfinity || duration.value <= 0) return 0;
    // In whole units, so that 75.4 s is 75400 ms and not 75399.
    return duration.value * 1000 / duration.timescale;
}

}  // namespace

KWAudioImporter::KWAudioImporter(ProjectModelPtr project) : project_(std::move(project)) {}

std::shared_ptr<KWAudioClip> KWAudioImporter::prepareAudioClipWithFile(const std::string& file,
                                                                       const std::optional<std::string>& withName,
                                                                       int32_t withType) {
    const std::string source = localPathOfURL(file);
    const std::string fileName = foundation::path::lastComponent(source);
    if (foundation::Status folder = project_->createFilePathForProject(); !folder) {
        postShowError(saveFailureError(projectCalled(project_->getName()), folder.error()), this);
        return nullptr;
    }
    auto placed = placeAudioFile(source, *project_->getProjectPath(), fileName, PlacementMode::Copy);
    if (!placed) {
        postShowError(saveFailureError(projectCalled(project_->getName()), placed.error()), this);
        return nullptr;
    }

    const int64_t duration = durationMilliseconds(placed->path);
    std::string name = withName.value_or(foundation::path::deletingExtension(fileName));
    if (withType == kClipTypeRecording && name.starts_with("record-"))
        name = FormatterUtil::getFormatedDuration(static_cast<double>(duration) / 1000.0);

    auto clip = std::make_shared<KWAudioClip>(name, foundation::path::lastComponent(placed->path));
    clip->setStart(0);
    clip->setDuration(duration);
    clip->setStop(duration);
    clip->setVolume(1.0f);
    return clip;
}

std::string KWAudioImporter::sharedAudioInboxPath() {
    return foundation::path::appending(foundation::Paths::documentsDirectory(), kSharedAudioInboxFolder);
}

void KWAudioImporter::createSharedAudioInboxFolder() {
    auto& files = foundation::FileManager::defaultManager();
    std::string inbox = sharedAudioInboxPath();
    if (files.fileExists(inbox)) return;
    (void)files.createDirectory(inbox, true);
}

std::optional<std::string> KWAudioImporter::importAudioFromFileURL(const std::string& fileURL) {
    createSharedAudioInboxFolder();
    std::string source = localPathOfURL(fileURL);
    if (source.empty()) return std::nullopt;
    auto placed =
        placeAudioFile(source, sharedAudioInboxPath(), foundation::path::lastComponent(source), PlacementMode::Move);
    if (!placed) {
        std::fprintf(stderr, "KWAudioImporter: %s not moved into the inbox: %s\n", source.c_str(),
                     placed.error().description.c_str());
        return std::nullopt;
    }
    return placed->path;
}
