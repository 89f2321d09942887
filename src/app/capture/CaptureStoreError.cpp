#include "app/capture/CaptureStoreError.h"

#include "app/core/FileUtil.h"
#include "app/core/KWImageProducer.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"

foundation::Error captureStoreErrorForFreeSpace(uint64_t freeBytes) {
    // At least 100 MiB free: the device is not full, something else failed.
    if ((freeBytes >> 22) > 24) {
        return foundation::Error(
            kCaptureViewControllerErrorDomain, kCaptureErrorUnknownStoreFailure,
            foundation::localizedFormat("Ups. An unknown error occured. (%@-%d)",
                                        {kCaptureViewControllerErrorDomain, kCaptureErrorUnknownStoreFailure}));
    }
    return foundation::Error(kCaptureViewControllerErrorDomain, kCaptureErrorStorageFull,
                             foundation::localized("There is almost no space left on this device. You cannot record "
                                                   "new media until you free some space."));
}

foundation::Error captureStoreError() { return captureStoreErrorForFreeSpace(FileUtil::freeDiskspace()); }

void removeStoredFrameFiles(const ProjectModel& project, const std::vector<std::string>& frameIDs) {
    auto folder = project.getProjectPath();
    if (!folder) return;
    auto& files = foundation::FileManager::defaultManager();
    for (const std::string& frameID : frameIDs) {
        for (const std::string& name :
             {KWImageProducer::thumbnailFileName(frameID), KWImageProducer::previewFileName(frameID),
              KWImageProducer::frameFileName(frameID)}) {
            (void)files.removeItem(*folder + "/" + name);
        }
    }
}
