#include "platform/foundation/TemporaryClaim.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Uuid.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

constexpr std::string_view kPartial = ".partial";
constexpr size_t kUuidLength = 36;
// A sweep that takes a fresh temporary away before its writer holds it is
// rare; the next fresh name is all but certain to be held first.
constexpr int kCreateAttempts = 8;

bool isUuidText(std::string_view text) {
    if (text.size() != kUuidLength) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? c != '-' : !std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

}  // namespace

Result<TemporaryClaim> TemporaryClaim::create(const std::string& target, Kind kind) {
    const std::string folder = path::deletingLastComponent(target);
    const std::string stem = "." + path::lastComponent(target) + std::string(kPartial) + "-";
    // No more open to others than the folder it is made in: in a folder of
    // the user's alone (the temporary folder) it is the user's alone too.
    mode_t shared = S_IRWXG | S_IRWXO;
    if (struct stat parent{}; ::stat(folder.empty() ? "." : folder.c_str(), &parent) == 0) shared &= parent.st_mode;
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::string temporary = path::appending(folder, stem + makeUuidString());
        FileDescriptor lock;
        if (kind == Kind::File) {
            lock = FileDescriptor::open(temporary, O_RDWR | O_CREAT | O_EXCL, 0644 & (S_IRWXU | shared));
        } else if (::mkdir(temporary.c_str(), 0755 & (S_IRWXU | shared)) == 0) {
            lock = FileDescriptor::open(temporary, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            // Gone already: a sweep took the new folder before it was held.
            if (!lock && errno == ENOENT) continue;
            if (!lock) {
                const int error = errno;
                ::rmdir(temporary.c_str());
                errno = error;
            }
        }
        if (!lock) return fileSystemError(errno, target, true);
        if (!lockExclusively(lock.get(), true)) {
            const int error = errno;
            (void)FileManager::defaultManager().removeItem(temporary);
            return fileSystemError(error, target, true);
        }
        // A sweep that listed the new name before the lock was taken may have
        // removed it meanwhile: then the claim is on nothing, and another
        // name is taken.
        struct stat held {};
        if (::fstat(lock.get(), &held) == 0 && held.st_nlink > 0) return TemporaryClaim(temporary, std::move(lock));
    }
    return fileSystemError(EAGAIN, target, true);
}

std::optional<std::string> temporaryTargetName(std::string_view fileName) {
    if (fileName.size() < 2 || fileName.front() != '.') return std::nullopt;
    std::string_view rest = fileName.substr(1);
    if (rest.size() > kUuidLength + 1 && isUuidText(rest.substr(rest.size() - kUuidLength)) &&
        rest[rest.size() - kUuidLength - 1] == '-')
        rest.remove_suffix(kUuidLength + 1);
    if (!rest.ends_with(kPartial) || rest.size() == kPartial.size()) return std::nullopt;
    rest.remove_suffix(kPartial.size());
    return std::string(rest);
}

std::vector<std::string> removeAbandonedTemporaries(const std::string& folder) {
    std::vector<std::string> removed;
    auto names = FileManager::defaultManager().contentsOfDirectory(folder);
    if (!names) return removed;
    for (const std::string& name : *names) {
        if (!temporaryTargetName(name)) continue;
        const std::string item = path::appending(folder, name);
        struct stat listed {};
        if (::lstat(item.c_str(), &listed) != 0 || !(S_ISREG(listed.st_mode) || S_ISDIR(listed.st_mode))) continue;
        FileDescriptor lock = FileDescriptor::open(
            item, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | (S_ISDIR(listed.st_mode) ? O_DIRECTORY : 0));
        // Held by a writer (of this process or another): in use.
        if (!lock || !lockExclusively(lock.get(), false)) continue;
        struct stat held {};
        if (::fstat(lock.get(), &held) != 0 || held.st_ino != listed.st_ino || held.st_dev != listed.st_dev) continue;
        if (FileManager::defaultManager().removeItem(item)) removed.push_back(name);
    }
    return removed;
}

}  // namespace foundation
