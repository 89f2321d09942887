#include "app/core/ProjectLeftovers.h"

#include "app/core/Frame.h"
#include "app/core/KWImageProducer.h"
#include "app/core/PaintFiles.h"
#include "app/core/ProjectDataWrapper.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RegularFile.h"
#include "platform/foundation/TemporaryClaim.h"

#include <cerrno>
#include <optional>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace projectleftovers {

namespace {

// A temporary is abandoned once the process that wrote it is gone; one of
// this process may belong to a write in progress on another thread.
bool writerIsGone(int64_t pid) {
    if (pid <= 0 || pid == static_cast<int64_t>(::getpid())) return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Removes a regular file of the folder; a folder or a link of that name stays.
bool removeRegularFile(const std::string& folder, const std::string& name) {
    const std::string path = foundation::path::appending(folder, name);
    return isRegularFile(path) && ::unlink(path.c_str()) == 0;
}

// Tells the frame files of one folder that nothing uses now.
class UnusedFrameFiles {
public:
    explicit UnusedFrameFiles(const std::string& folder) : paintFiles_(folder, &Frame::isFrameIDHeld) {}

    bool contains(const std::string& name) {
        if (auto frameID = KWImageProducer::frameIDOfPictureFile(name)) return !Frame::isFrameIDHeld(*frameID);
        return paintFiles_.isLeftover(name);
    }

private:
    paintfiles::LeftoverPaintFiles paintFiles_;
};

}  // namespace

bool removeReadableFile(const std::string& folder, const std::string& name) {
    const std::string path = foundation::path::appending(folder, name);
    const auto file = foundation::openRegularFile(path, foundation::Links::Refuse);
    struct stat info {};
    if (!file || ::fstat(file->get(), &info) != 0) return false;
    return uint64_t(info.st_size) <= projectkeys::kMaximumFileBytes && ::unlink(path.c_str()) == 0;
}

Scan scanFolder(const std::string& folder) {
    Scan scan;
    // Only a folder whose list was saved says which pictures are unused.
    if (!isRegularFile(foundation::path::appending(folder, projectkeys::kFrameListFile))) return scan;
    // Streamed files (a sound taken in) whose writer let go without
    // finishing: held while written, so none of them is in use.
    scan.removed = foundation::removeAbandonedTemporaries(folder);
    auto names = foundation::FileManager::defaultManager().contentsOfDirectory(folder);
    if (!names) return scan;
    UnusedFrameFiles unused(folder);
    for (const std::string& name : *names) {
        if (auto temporary = foundation::parseAtomicTemporaryName(name)) {
            // Every file of the folder is written through the store.
            if (writerIsGone(temporary->writerProcessID) && removeRegularFile(folder, name))
                scan.removed.push_back(name);
        } else if (unused.contains(name)) {
            scan.unused.push_back(name);
        }
    }
    return scan;
}

std::vector<std::string> removeUnusedFiles(const std::string& folder, const std::vector<std::string>& names) {
    std::vector<std::string> removed;
    UnusedFrameFiles unused(folder);
    for (const std::string& name : names)
        if (unused.contains(name) && removeReadableFile(folder, name)) removed.push_back(name);
    return removed;
}

}  // namespace projectleftovers
