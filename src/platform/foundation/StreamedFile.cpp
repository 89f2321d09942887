#include "platform/foundation/StreamedFile.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

Result<StreamedFile> StreamedFile::create(const std::string& target) {
    struct stat existing;
    if (::lstat(target.c_str(), &existing) == 0) return fileSystemError(EEXIST, target, true);
    // Hidden and named after the target, so a leftover of a crash is easy to
    // tell from the real files of the folder.
    auto temporary = TemporaryClaim::create(target, TemporaryClaim::Kind::File);
    if (!temporary) return temporary.error();
    FileDescriptor file = FileDescriptor::open(temporary->path(), O_WRONLY);
    if (!file) return fileSystemError(errno, target, true);
    return StreamedFile(target, std::move(*temporary), std::move(file));
}

StreamedFile::StreamedFile(StreamedFile&& other) noexcept
    : target_(std::move(other.target_)), temporary_(std::move(other.temporary_)), file_(std::move(other.file_)) {}

StreamedFile::~StreamedFile() { discard(); }

void StreamedFile::discard() {
    file_.reset();
    temporary_.discard();
}

Error StreamedFile::writeError(int errnoValue) const { return fileSystemError(errnoValue, target_, true); }

Status StreamedFile::write(const void* data, size_t size) {
    if (!file_) return writeError(EBADF);
    if (!writeAll(file_.get(), data, size)) return writeError(errno);
    return {};
}

Status StreamedFile::commit() {
    if (!file_) return writeError(EBADF);
    if (int flushError = flushToDisk(file_.get()); flushError != 0) {
        Error error = writeError(flushError);
        discard();
        return error;
    }
    // close() is where some file systems first report that data was lost.
    if (int closeError = file_.close(); closeError != 0) {
        discard();
        return writeError(closeError);
    }
    Status moved = FileManager::defaultManager().moveItem(temporary_.path(), target_);
    if (!moved) {
        discard();
        return moved;
    }
    temporary_.release();
    return {};
}

}  // namespace foundation
