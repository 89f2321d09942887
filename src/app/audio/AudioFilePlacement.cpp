#include "app/audio/AudioFilePlacement.h"

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/StreamedFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using foundation::Error;
using foundation::Result;
using foundation::Status;

// Enough for any folder a person fills by hand; past it something is wrong.
constexpr int kMostNumberedNames = 10'000;

// Reads up to `size` bytes, going on after interrupted and partial reads;
// the count read (less only at the end of the file), or -1.
ssize_t readFully(int fd, uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(fd, data + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

bool sameFile(const struct stat& first, const struct stat& second) {
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

Status copyInto(const std::string& source, const std::string& target) {
    foundation::FileDescriptor in = foundation::FileDescriptor::open(source, O_RDONLY);
    if (!in) return foundation::fileSystemError(errno, source, false);
    auto out = foundation::StreamedFile::create(target);
    if (!out) return out.error();
    if (auto failure = foundation::copyAll(in.get(), out->descriptor())) {
        if (failure->side == foundation::StreamFailure::Side::Reading)
            return foundation::fileSystemError(failure->errnoValue, source, false);
        return out->writeError(failure->errnoValue);
    }
    return out->commit();
}

}  // namespace

std::string localPathOfURL(const std::string& url) {
    if (url.starts_with("/")) return url;
    return foundation::path::fromFileURL(url).value_or(std::string());
}

std::string numberedFileName(const std::string& fileName, int number) {
    const std::string extension = foundation::path::extension(fileName);
    const std::string suffix = "-" + std::to_string(number);
    if (extension.empty()) return fileName + suffix;
    return foundation::path::deletingExtension(fileName) + suffix + "." + extension;
}

bool filesHaveSameContents(const std::string& first, const std::string& second) {
    struct stat a, b;
    if (::stat(first.c_str(), &a) != 0 || ::stat(second.c_str(), &b) != 0) return false;
    if (!S_ISREG(a.st_mode) || !S_ISREG(b.st_mode)) return false;
    if (sameFile(a, b)) return true;
    if (a.st_size != b.st_size) return false;
    foundation::FileDescriptor one = foundation::FileDescriptor::open(first, O_RDONLY);
    foundation::FileDescriptor two = foundation::FileDescriptor::open(second, O_RDONLY);
    if (!one || !two) return false;
    std::vector<uint8_t> left(foundation::kStreamChunkSize), right(foundation::kStreamChunkSize);
    for (;;) {
        ssize_t gotLeft = readFully(one.get(), left.data(), left.size());
        ssize_t gotRight = readFully(two.get(), right.data(), right.size());
        if (gotLeft < 0 || gotRight < 0 || gotLeft != gotRight) return false;
        if (gotLeft == 0) return true;
        if (std::memcmp(left.data(), right.data(), static_cast<size_t>(gotLeft)) != 0) return false;
    }
}

Result<AudioFilePlacement> placeAudioFile(const std::string& source, const std::string& folder,
                                          const std::string& fileName, PlacementMode mode) {
    struct stat sourceInfo;
    if (::stat(source.c_str(), &sourceInfo) != 0) return foundation::fileSystemError(errno, source, false);
    auto& files = foundation::FileManager::defaultManager();
    for (int number = 1; number <= kMostNumberedNames; ++number) {
        const std::string candidate =
            foundation::path::appending(folder, number == 1 ? fileName : numberedFileName(fileName, number));
        struct stat existing;
        if (::lstat(candidate.c_str(), &existing) == 0) {
            // Already the file itself (the exporter's output), or the same
            // sound brought in before: nothing to write.
            if (filesHaveSameContents(source, candidate)) return AudioFilePlacement{candidate, true};
            continue;
        }
        Status placed = mode == PlacementMode::Move ? files.moveItem(source, candidate) : copyInto(source, candidate);
        if (placed) return AudioFilePlacement{candidate, false};
        // Another writer took the name in the meantime: try the next one.
        if (!foundation::isFileExistsError(placed.error())) return placed.error();
    }
    return foundation::fileSystemError(EEXIST, foundation::path::appending(folder, fileName), true);
}
