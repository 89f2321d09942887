// The one error of a picture that cannot be stored: a failure that says the
// storage is full, however it says it, gives 623; so does any failure while
// less than 100 MiB are free; everything else gives 636.

#include "app/core/StorageFullError.h"
#include "platform/foundation/FileManager.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using foundation::Error;

TEST(StorageFullError, AStoreFailureIsFullWhenItSaysSoOrLittleIsFree) {
    const std::string full =
        "There is almost no space left on this device. You cannot record new media until you free some space.";
    const uint64_t plenty = kLowStorageBytes, little = kLowStorageBytes - 1;
    const struct {
        const char* what;
        std::optional<Error> cause;
        uint64_t freeBytes;
        int64_t code;
    } cases[] = {
        {"a full device", Error::posix(ENOSPC, "write"), plenty, kCaptureErrorStorageFull},
        // A used-up quota leaves the device's space free: only the failure tells.
        {"a used-up quota", Error::posix(EDQUOT, "write"), plenty, kCaptureErrorStorageFull},
        {"the file system's words", foundation::fileSystemError(EDQUOT, "/p/frame-1.jpg", true), plenty,
         kCaptureErrorStorageFull},
        {"a file-size limit", Error::posix(EFBIG, "write"), plenty, kCaptureErrorUnknownStoreFailure},
        {"a failing disk", Error::posix(EIO, "write"), plenty, kCaptureErrorUnknownStoreFailure},
        {"a failing disk, little free", Error::posix(EIO, "write"), little, kCaptureErrorStorageFull},
        {"no reason", std::nullopt, plenty, kCaptureErrorUnknownStoreFailure},
        {"no reason, little free", std::nullopt, little, kCaptureErrorStorageFull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Error error = captureStoreError(c.cause, c.freeBytes);
        EXPECT_EQ(error.domain, "CaptureViewController");
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(error.description, c.code == kCaptureErrorStorageFull
                                         ? full
                                         : "Ups. An unknown error occured. (CaptureViewController-636)");
        EXPECT_EQ(error.underlying != nullptr, c.cause.has_value()) << "the failure stays attached";
    }
}

}  // namespace
