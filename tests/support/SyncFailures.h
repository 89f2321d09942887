#pragma once

// fsync failing the way a file system makes it fail, for tests of writers:
// while a ScopedSyncFailure lives, every fsync of a folder (or of a file)
// in this program fails with the errno given, as on a file system that
// cannot flush folders (EINVAL) or a disk that lost the data (EIO). The
// test program's own fsync stands in for the C library's, so the failure
// comes at the very call the writers make. After `passing` such calls that
// succeed, a work of several writes stops as a crash there leaves it: before
// the file is in place when files fail, just after it when folders do.

namespace testsupport {

class ScopedSyncFailure {
public:
    enum class On { Folders, Files };
    ScopedSyncFailure(On on, int errnoValue, int passing = 0);
    ~ScopedSyncFailure();
    ScopedSyncFailure(const ScopedSyncFailure&) = delete;
    ScopedSyncFailure& operator=(const ScopedSyncFailure&) = delete;

    // The fsync calls failed so far.
    int failures() const;
};

}  // namespace testsupport
