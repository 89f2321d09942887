#include "app/core/StorageFullError.h"

#include "app/core/FileUtil.h"
#include "app/core/SaveFailure.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"

#include <memory>

namespace {

std::shared_ptr<const foundation::Error> underlyingOf(const std::optional<foundation::Error>& cause) {
    return cause ? std::make_shared<const foundation::Error>(*cause) : nullptr;
}

}  // namespace

std::string storageFullText() {
    return foundation::localized(
        "There is almost no space left on this device. You cannot record new media until you free some space.");
}

foundation::Error storageFullError(const std::optional<foundation::Error>& cause) {
    return foundation::Error(kCaptureViewControllerErrorDomain, kCaptureErrorStorageFull, storageFullText(),
                             underlyingOf(cause));
}

foundation::Error captureStoreError(const std::optional<foundation::Error>& cause, uint64_t freeBytes) {
    if ((cause && foundation::isOutOfSpaceError(*cause)) || freeBytes < kLowStorageBytes)
        return storageFullError(cause);
    // A store the project refused has its reason in the user's words.
    if (cause && cause->domain == kSaveRefusedDomain)
        return foundation::Error(kCaptureViewControllerErrorDomain, kCaptureErrorUnknownStoreFailure,
                                 saveFailureText(foundation::localized("The picture"), *cause), underlyingOf(cause));
    return foundation::Error(
        kCaptureViewControllerErrorDomain, kCaptureErrorUnknownStoreFailure,
        foundation::localizedFormat("Ups. An unknown error occured. (%@-%d)",
                                    {kCaptureViewControllerErrorDomain, kCaptureErrorUnknownStoreFailure}),
        underlyingOf(cause));
}

foundation::Error captureStoreError(const std::optional<foundation::Error>& cause) {
    return captureStoreError(cause, FileUtil::freeDiskspace());
}
