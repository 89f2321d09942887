#pragma once

// What capture and imports report when a picture cannot be stored: the
// capture screen's two errors, told apart by the free space left, and the
// notice that asks the editor to show one.

#include "app/core/ProjectModel.h"
#include "app/core/ShowErrorNotification.h"
#include "platform/foundation/Error.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* kCaptureViewControllerErrorDomain = "CaptureViewController";
inline constexpr int64_t kCaptureErrorStorageFull = 623;
inline constexpr int64_t kCaptureErrorUnknownStoreFailure = 636;

// 636 "Ups. An unknown error occured. (CaptureViewController-636)" while at
// least 100 MiB are free, otherwise 623 with the storage-full text.
foundation::Error captureStoreErrorForFreeSpace(uint64_t freeBytes);
// The same for the device's free space now.
foundation::Error captureStoreError();

// Removes whatever files of these frames exist in the project's folder
// (full frame, preview, thumbnail): an import that fails takes back what it
// wrote. Failures to remove are ignored.
void removeStoredFrameFiles(const ProjectModel& project, const std::vector<std::string>& frameIDs);
