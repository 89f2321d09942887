#pragma once

// A file written piece by piece (a converted sound, a recording) that must
// never be seen half-written: the pieces go to a temporary file in the
// target's folder, and commit() flushes it to disk and renames it to the
// target, refusing to replace anything there. A StreamedFile dropped without
// a successful commit removes its temporary file, so a failed write leaves
// nothing behind; the temporary is held as a TemporaryClaim, so what a killed
// process left is told from a write under way.

#include "platform/foundation/Error.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/TemporaryClaim.h"

#include <cstddef>
#include <string>

namespace foundation {

class StreamedFile {
public:
    // Opens a new temporary file beside `target`. Fails with 516 when
    // something exists at the target already, else with the file-system
    // error of the failed creation (513 for a folder that refuses writing,
    // 642 for a read-only file system).
    static Result<StreamedFile> create(const std::string& target);

    StreamedFile(StreamedFile&& other) noexcept;
    StreamedFile& operator=(StreamedFile&&) = delete;
    StreamedFile(const StreamedFile&) = delete;
    ~StreamedFile();

    const std::string& target() const { return target_; }
    // For writers that need to move around in the file (a container whose
    // header is filled in at the end); invalid after commit().
    int descriptor() const { return file_.get(); }

    // Appends at the descriptor's position; a failure is the file-system
    // error for the target (640 when the device is full).
    Status write(const void* data, size_t size);
    // The error for a failed operation on the descriptor, by errno.
    Error writeError(int errnoValue) const;

    // Flushes the contents to disk, closes the file and renames it to the
    // target. On failure the temporary file is gone and the target untouched.
    Status commit();

private:
    StreamedFile(std::string target, TemporaryClaim temporary, FileDescriptor file)
        : target_(std::move(target)), temporary_(std::move(temporary)), file_(std::move(file)) {}
    void discard();

    std::string target_;
    TemporaryClaim temporary_;  // let go of once committed or discarded
    FileDescriptor file_;
};

}  // namespace foundation
