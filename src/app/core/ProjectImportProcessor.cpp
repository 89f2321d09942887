#include "app/core/ProjectImportProcessor.h"

#include "app/core/FileUtil.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectBuiltAside.h"
#include "app/core/ProjectDataWrapper.h"
#include "app/core/ProjectModel.h"
#include "app/core/SSZipArchive.h"
#include "app/core/SSZipArchivePathRules.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <optional>

using foundation::Error;
using foundation::FileManager;
namespace fs = std::filesystem;
namespace path = foundation::path;

namespace {

// Left at the top of archives by other systems' zip tools; they do not make
// the project's folder any less single.
constexpr const char* kIgnorableTopLevelNames[] = {"__MACOSX", ".DS_Store"};

bool isRealDirectory(const std::string& folder) {
    auto attributes = FileManager::defaultManager().attributesOfItem(folder);
    return attributes.ok() && attributes->type == foundation::FileType::Directory;
}

Error noProjectError() {
    return Error(ProjectImportProcessor::kErrorDomain, ProjectImportProcessor::kErrorNoProject,
                 foundation::localized("The archive holds no project."));
}

// Links were checked against the folder they were unpacked into; after a
// move one level up they are checked again against the project folder.
bool linksStayInside(const std::string& folder) {
    std::error_code walkError;
    fs::recursive_directory_iterator it(folder, walkError), end;
    for (; !walkError && it != end; it.increment(walkError)) {
        if (!it->is_symlink()) continue;
        std::vector<std::string> components;
        for (const fs::path& part : it->path().lexically_relative(folder)) components.push_back(part.string());
        std::error_code linkError;
        fs::path target = fs::read_symlink(it->path(), linkError);
        if (linkError || !ssziparchive::linkStaysInside(components, target.string())) return false;
    }
    return !walkError;
}

// Moves the contents of the single top-level folder up into the project
// folder. The folder is renamed first, so a child of the same name as the
// folder does not collide with it.
foundation::Status hoistSingleFolder(const std::string& destination, const std::string& name) {
    const FileManager& files = FileManager::defaultManager();
    std::string staging = path::appending(destination, ".import-" + FileUtil::createUUID());
    if (auto moved = files.moveItem(path::appending(destination, name), staging); !moved.ok()) return moved;
    auto children = files.contentsOfDirectory(staging);
    if (!children.ok()) return children.error();
    for (const std::string& child : *children) {
        auto moved = files.moveItem(path::appending(staging, child), path::appending(destination, child));
        if (!moved.ok()) return moved;
    }
    return files.removeItem(staging);
}

// Makes sure the unpacked folder is a project, moving it up out of a single
// top-level folder when that is where the project's files are.
bool settleProjectFolder(const std::string& destination, Error* error) {
    if (ProjectDataWrapper::holdsReadableMetaData(destination)) return true;
    const FileManager& files = FileManager::defaultManager();
    for (const char* ignorable : kIgnorableTopLevelNames) {
        std::string leftover = path::appending(destination, ignorable);
        if (files.attributesOfItem(leftover).ok()) files.removeItem(leftover);
    }
    auto entries = files.contentsOfDirectory(destination);
    if (!entries.ok() || entries->size() != 1) {
        setError(error, noProjectError());
        return false;
    }
    std::string single = path::appending(destination, entries->front());
    if (!isRealDirectory(single) || !ProjectDataWrapper::holdsReadableMetaData(single)) {
        setError(error, noProjectError());
        return false;
    }
    if (foundation::Status hoisted = hoistSingleFolder(destination, entries->front()); !hoisted.ok()) {
        setError(error, hoisted.error());
        return false;
    }
    if (!linksStayInside(destination)) {
        setError(error,
                 Error(kSSZipArchiveErrorDomain, kSSZipArchiveErrorUnsafeEntry, "unsafe symbolic link in zip file"));
        return false;
    }
    return true;
}

std::atomic<bool> gImportsStopped{false};

// Stops the unpacking once imports are stopped.
class StopWhenImportsStop : public SSZipArchiveDelegate {
public:
    bool zipArchiveShouldStop() override { return gImportsStopped.load(); }
};

Error stoppedError() {
    return Error(ProjectImportProcessor::kErrorDomain, ProjectImportProcessor::kErrorStopped,
                 foundation::localized("The import was stopped because the application quit."));
}

// Keeps a failed inbox archive for the user under another name that the
// inbox does not pick up again.
void setArchiveAside(const std::string& archive) {
    const FileManager& files = FileManager::defaultManager();
    if (!files.attributesOfItem(archive).ok()) return;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string target = archive + ProjectImportProcessor::kFailedSuffix;
        if (attempt > 0) target += "-" + std::to_string(attempt);
        foundation::Status moved = files.moveItem(archive, target);
        if (moved.ok() || !foundation::isFileExistsError(moved.error())) return;
    }
}

// Whether the file's first four bytes are the start of a zip (a local file
// header, a split archive's marker, or the end record of an empty zip); none
// while it has fewer.
std::optional<bool> beginsAsZip(const std::string& archive) {
    std::ifstream in(archive, std::ios::binary);
    char head[4];
    if (!in.read(head, sizeof head)) return std::nullopt;
    const std::string_view start(head, sizeof head);
    return start == std::string_view("PK\x03\x04", 4) || start == std::string_view("PK\x07\x08", 4) ||
           start == std::string_view("PK\x05\x06", 4);
}

std::string canonicalFolder(const std::string& folder) {
    std::error_code ignored;
    fs::path canonical = fs::weakly_canonical(folder, ignored);
    return canonical.empty() ? folder : canonical.string();
}

}  // namespace

std::string ProjectImportProcessor::createRecordName() { return ProjectDataWrapper::createProjectDirName(); }

std::string ProjectImportProcessor::inboxPath() {
    return path::appending(foundation::Paths::documentsDirectory(), kInboxFolder);
}

bool ProjectImportProcessor::isInInbox(const std::string& archive) {
    std::string parent = path::deletingLastComponent(fs::absolute(archive).lexically_normal().string());
    return canonicalFolder(parent) == canonicalFolder(inboxPath());
}

bool ProjectImportProcessor::looksComplete(const std::string& archive) {
    // The record is 22 bytes plus a comment of at most 65535 bytes, at the end.
    constexpr std::streamoff kRecordSize = 22, kLongestTail = kRecordSize + 65535;
    std::ifstream in(archive, std::ios::binary | std::ios::ate);
    if (!in) return false;
    std::streamoff size = in.tellg();
    if (size < kRecordSize) return false;
    std::streamoff tailSize = std::min(size, kLongestTail);
    std::string tail(static_cast<size_t>(tailSize), '\0');
    in.seekg(size - tailSize);
    if (!in.read(tail.data(), tailSize)) return false;
    for (size_t at = tail.size() - kRecordSize + 1; at-- > 0;) {
        if (tail.compare(at, 4, "PK\x05\x06") != 0) continue;
        // The comment length in the record must reach exactly to the end.
        size_t commentLength = uint8_t(tail[at + 20]) | size_t(uint8_t(tail[at + 21])) << 8;
        if (at + kRecordSize + commentLength == tail.size()) return true;
    }
    return false;
}

bool ProjectImportProcessor::isPlainlyNoZip(const std::string& archive) {
    std::optional<bool> zip = beginsAsZip(archive);
    return zip && !*zip;
}

bool ProjectImportProcessor::startsLikeZip(const std::string& archive) { return beginsAsZip(archive).value_or(false); }

bool ProjectImportProcessor::holdsProject(const std::string& archive) {
    return SSZipArchive::hasEntry(archive, [](const std::string& name) {
        std::optional<ssziparchive::EntryPath> entry = ssziparchive::parseEntryName(name);
        return entry && !entry->isDirectory && !entry->components.empty() && entry->components.size() <= 2 &&
               entry->components.back() == projectkeys::kMetaDataFile;
    });
}

std::string ProjectImportProcessor::failureReason(const Error& error) {
    if (foundation::isOutOfSpaceError(error) ||
        (error.domain == kSSZipArchiveErrorDomain && error.code == kSSZipArchiveErrorStorageFull))
        return foundation::localized("There is not enough free storage space.");
    if (error.domain == kErrorDomain) {
        switch (error.code) {
            case kErrorNoProject:
                return foundation::localized("The archive holds no project.");
            case kErrorFileNotFound:
                return foundation::localized("The file could not be found.");
            case kErrorListNotSaved:
                return foundation::localized("The project list could not be saved.");
            case kErrorStopped:
                return foundation::localized("The application quit before it was imported.");
            default:
                break;
        }
    }
    if (error.domain == kSSZipArchiveErrorDomain) {
        if (error.code == kSSZipArchiveErrorOpenFailed) return foundation::localized("The file is not a zip archive.");
        if (error.code == kSSZipArchiveErrorWriteFailed)
            return foundation::localized("Its files could not be written.");
        return foundation::localized("The archive is damaged.");
    }
    return foundation::localized("The archive could not be read.");
}

void ProjectImportProcessor::importProjectAtUrl(const std::string& url,
                                                std::function<void(bool)> withCompletionHandler) {
    importProjectAtUrl(url, [completion = std::move(withCompletionHandler)](const std::optional<Error>& error) {
        if (completion) completion(!error);
    });
}

void ProjectImportProcessor::importProjectAtUrl(
    const std::string& url, std::function<void(const std::optional<foundation::Error>&)> withErrorHandler) {
    // Anything but a file URL is taken as a path already.
    std::string archive = path::fromFileURL(url).value_or(url);
    foundation::DispatchQueue::global(foundation::QueuePriority::Default)
        .async([archive, completion = std::move(withErrorHandler)] {
            Error error;
            bool imported = ProjectImportProcessor().importProjectAtPath(archive, &error);
            if (completion) completion(imported ? std::nullopt : std::optional<Error>(error));
        });
}

void ProjectImportProcessor::stopImports(bool stop) { gImportsStopped = stop; }

bool ProjectImportProcessor::importProjectAtPath(const std::string& archive, Error* error,
                                                 const std::function<void()>& whenListed) {
    const bool consume = isInInbox(archive);
    if (!FileManager::defaultManager().attributesOfItem(archive).ok()) {
        setError(error, Error(kErrorDomain, kErrorFileNotFound,
                              foundation::format(foundation::localized("The file “%@” could not be found."),
                                                 {foundation::Value(archive)})));
        return false;
    }
    auto fail = [&](const std::string* folder, Error failure) {
        if (folder) FileUtil::removeFolderAtPath(*folder, nullptr);
        // A stopped import failed at nothing: the inbox tries it again.
        const bool stopped = gImportsStopped.load();
        if (consume && !stopped) setArchiveAside(archive);
        setError(error, stopped ? stoppedError() : std::move(failure));
        return false;
    };
    if (gImportsStopped) return fail(nullptr, stoppedError());

    // Unpacked aside and moved into place whole, so that a quit or a kill
    // at any moment leaves no half project behind.
    foundation::Result<ProjectBuiltAside> aside =
        ProjectBuiltAside::create(foundation::Paths::documentsDirectory(), "import");
    if (!aside) return fail(nullptr, aside.error());

    Error failure;
    StopWhenImportsStop stopper;
    if (!SSZipArchive::unzipFileAtPath(archive, aside->path(), true, std::string(), &failure, &stopper) ||
        !settleProjectFolder(aside->path(), &failure))
        return fail(nullptr, failure);
    if (foundation::Status flushed = aside->flush(); !flushed) return fail(nullptr, flushed.error());
    // Once the application quits, nobody lists the project any more.
    if (gImportsStopped) return fail(nullptr, stoppedError());
    // The outcome decides what becomes of the folder and the archive, so the
    // import waits for the main queue to move the project into place and
    // list it, in one step (its callers never make the main queue wait for
    // an import). The move never replaces a folder, so imports within the
    // same second never share one.
    std::optional<foundation::Result<std::string>> placed;
    foundation::Status listed;
    auto list = [&] {
        placed = aside->moveIntoPlace();
        if (*placed) listed = KWProjects::getInstance().addProject(ProjectModel::create(**placed));
        if (*placed && listed && whenListed) whenListed();
    };
    if (foundation::RunLoop::isMainThread())
        list();
    else
        foundation::DispatchQueue::main().sync(list);
    if (!*placed) return fail(nullptr, placed->error());
    if (!listed)
        return fail(&**placed, Error(kErrorDomain, kErrorListNotSaved,
                                     foundation::localized("The project list could not be saved."),
                                     std::make_shared<Error>(listed.error())));
    if (consume) FileUtil::removeItemAtPath(archive, nullptr);
    return true;
}
