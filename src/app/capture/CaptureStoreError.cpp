#include "app/capture/CaptureStoreError.h"

#include "app/core/KWImageProducer.h"
#include "platform/foundation/FileManager.h"

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
