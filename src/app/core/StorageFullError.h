#pragma once

// The one error for a picture that cannot be stored, wherever it was being
// stored (a capture, an import of pictures or video frames, a picture the
// editor replaces): the capture screen's domain, code 623 with the
// storage-full text when the storage is full, else 636. Whether a failure
// means a full storage is the platform's one check
// (foundation::isOutOfSpaceError).

#include "platform/foundation/Error.h"

#include <cstdint>
#include <optional>
#include <string>

inline constexpr const char* kCaptureViewControllerErrorDomain = "CaptureViewController";
inline constexpr int64_t kCaptureErrorStorageFull = 623;
inline constexpr int64_t kCaptureErrorUnknownStoreFailure = 636;
// Below this many free bytes (100 MiB) the device counts as full.
inline constexpr uint64_t kLowStorageBytes = 100ull << 20;

// "There is almost no space left on this device. ...", localized.
std::string storageFullText();

// 623 with the storage-full text; the failure, when there is one, as its
// underlying error.
foundation::Error storageFullError(const std::optional<foundation::Error>& cause);

// The error of a store that failed with `cause` (none when it gave no
// reason): 623 when the failure says the storage is full or fewer than
// 100 MiB are free, else 636 "Ups. An unknown error occured.
// (CaptureViewController-636)", or for a save the project refused
// (kSaveRefusedDomain) its reason; the failure as the underlying error.
foundation::Error captureStoreError(const std::optional<foundation::Error>& cause, uint64_t freeBytes);
// The same for the device's free space now (FileUtil::freeDiskspace).
foundation::Error captureStoreError(const std::optional<foundation::Error>& cause);
