#include "app/core/ProjectDataWrapper.h"

#include "app/core/FileUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/PictureReplacement.h"
#include "app/core/ProjectModel.h"
#include "app/core/SaveFailure.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DateFormat.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <utility>

using foundation::Bytes;
using foundation::Date;
using foundation::Dictionary;
using foundation::Error;
using foundation::FileManager;
using foundation::Result;
using foundation::Status;
using foundation::Value;
namespace path = foundation::path;
namespace keys = projectkeys;

namespace {

constexpr const char* kDirectoryDateFormat = "yyyy-MM-dd-HH-mm-ss";
constexpr const char* kDefaultName = "My Stop Ziruru Movie";
constexpr const char* kPlaceholderImage = "explorer_placeholder.png";
constexpr int64_t kDefaultFPS = 5;
// How many following seconds' names a new folder may take when its own is taken.
constexpr int kDirectoryNameAttempts = 3600;

std::string directoryNameForDate(Date date) {
    return foundation::format(
        "%@-%@", {ProjectDataWrapper::kDirectoryPrefix, foundation::formatDate(date, kDirectoryDateFormat)});
}

// A new folder's name when the names of the `attempt` seconds before are taken.
std::string directoryNameAfter(Date start, int attempt) {
    return directoryNameForDate(Date{start.sinceReferenceDate + attempt});
}

// A file name handed to the file operations must name an entry of the
// project folder itself, never a path that leads out of it.
bool isPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

Error invalidNameError(const std::string& name) {
    return Error(foundation::kPOSIXErrorDomain, EINVAL, "Not a file name of the project folder: " + name);
}

Error noFolderError() { return Error(foundation::kPOSIXErrorDomain, ENOENT, "The project has no folder."); }

// An absolute path, or the path of a "file:" URL.
std::optional<std::string> externalPath(const std::string& fileURL) {
    return fileURL.starts_with("/") ? std::optional(fileURL) : path::fromFileURL(fileURL);
}

Status statusOf(bool ok, const Error& error) { return ok ? Status::success() : Status(error); }

Error damagedFileError(const std::string& file, const std::string& why, std::optional<Error> underlying = {}) {
    return Error(foundation::kCocoaErrorDomain, foundation::plist::kReadCorruptError,
                 "The project file \"" + file + "\" cannot be used: " + why,
                 underlying ? std::make_shared<const Error>(*underlying) : nullptr);
}

// A project file's dictionary; none when the file is not there (a new
// project, whose defaults apply). A file that cannot be read now or holds no
// dictionary is an error: it must not be replaced by defaults. So is one that
// holds what the XML form cannot (a binary file with a control character in
// a string, say): it would load, and then no save could ever write it again.
Result<std::optional<Dictionary>> readStoredDictionary(const std::string& file,
                                                       size_t maxBytes = keys::kMaximumListBytes) {
    Result<Bytes> bytes = foundation::readRegularFile(file, maxBytes);
    if (!bytes) {
        if (bytes.error().domain == foundation::kPOSIXErrorDomain && bytes.error().code == ENOENT)
            return std::optional<Dictionary>();
        return bytes.error();
    }
    Result<Value> stored = foundation::plist::parseFileContents(file, *bytes);
    if (!stored) return stored.error();
    if (!stored->isDictionary()) return damagedFileError(file, "it holds no dictionary.");
    // The XML reader accepts only what the XML writer can write again (valid
    // UTF-8 of XML characters, four-digit years, the same nesting limit), so
    // only a binary file needs the trial write, which costs as much as the
    // read on a large list.
    if (foundation::plist::isBinary(*bytes)) {
        if (auto again = foundation::plist::serialize(*stored, foundation::plist::Format::Xml); !again)
            return damagedFileError(file, "it could not be saved again.", again.error());
    }
    return std::optional(stored->asDictionary());
}

// The fixed part of the frame list's bound; tests scale it down.
std::atomic<size_t> fixedFrameListBytes{keys::kMaximumListBytes};

bool isTooLargeError(const Error& error) {
    return error.domain == foundation::kPOSIXErrorDomain && error.code == EFBIG;
}

// "frames.meta", read like the other project files up to the fixed bound,
// and past it only up to what the folder's files with content allow. A list
// of the fixed bound's size or less never has the folder counted.
Result<std::optional<Dictionary>> readStoredFrameList(const std::string& folder, const std::string& file) {
    Result<std::optional<Dictionary>> stored = readStoredDictionary(file, fixedFrameListBytes);
    if (stored || !isTooLargeError(stored.error())) return stored;
    Result<std::vector<std::string>> files = FileManager::defaultManager().namesOfFilesWithContent(folder);
    if (!files) return stored;
    return readStoredDictionary(file, ProjectDataWrapper::maximumFrameListBytes(files->size()));
}

// What the XML form adds around a value written alone: the header before
// it and the closing tag after it.
size_t standaloneXmlBytes() {
    static const size_t bytes = [] {
        constexpr std::string_view kTrue = "<true/>\n";
        Result<Bytes> alone = foundation::plist::serialize(Value(true), foundation::plist::Format::Xml);
        return alone ? alone->size() - kTrue.size() : 0;
    }();
    return bytes;
}

// The least a frame takes of its list: its dictionary form written alone,
// less what a file adds around it (inside the list each of its lines is
// indented further).
size_t leastListBytesOf(const Frame& frame) {
    Result<Bytes> alone = foundation::plist::serialize(Value(frame.encode()), foundation::plist::Format::Xml);
    return alone ? alone->size() - std::min(alone->size(), standaloneXmlBytes()) : 0;
}

// The most of "frames.meta" that a save lets `list` take in `folder`: the
// fixed bound, and for each listed frame as much as it takes itself, up to
// kListBytesPerFolderEntry for each of its pictures in the folder.
//
// The reader counts every file of the folder that holds anything (empty
// files, as an archive can bring by the hundred thousand, pay for nothing),
// and so does this, so it never passes the reader's bound while the
// pictures of the listed frames are there; and nothing removes those while
// their frame is listed (neither a delete, which
// removes the pictures of frames no longer listed after writing the shorter
// list, nor the opening's sweep). A frame pays for no more than itself, so
// taking frames out of a list that may be written leaves one that may be
// written too. Only a text longer than its card's pictures pay for takes
// from the fixed part.
Result<size_t> writableFrameListBytes(const FrameList& list, const std::string& folder) {
    Result<std::vector<std::string>> names = FileManager::defaultManager().namesOfFilesWithContent(folder);
    if (!names) return names.error();
    std::unordered_map<std::string, uint64_t> pictures;
    for (const std::string& name : *names)
        if (auto frameID = KWImageProducer::frameIDOfPictureFile(name)) ++pictures[*frameID];
    size_t allowed = fixedFrameListBytes;
    for (const FramePtr& frame : list) {
        auto found = pictures.find(frame->frameID());
        if (found == pictures.end() || found->second == 0) continue;
        // Frames that share an ID share its pictures: they pay once.
        const uint64_t paid = std::exchange(found->second, 0) * keys::kListBytesPerFolderEntry;
        allowed += size_t(std::min<uint64_t>(paid, leastListBytesOf(*frame)));
    }
    return allowed;
}

// How far a frame list of `bytes` for `list` passes what a save allows it
// in `folder` (in a new project, which has none, the fixed bound); 0 when
// it can be written.
Result<size_t> frameListExcess(size_t bytes, const FrameList& list, const std::optional<std::string>& folder) {
    if (bytes <= fixedFrameListBytes) return size_t(0);
    Result<size_t> allowed = folder ? writableFrameListBytes(list, *folder) : Result<size_t>(fixedFrameListBytes.load());
    if (!allowed) return allowed.error();
    return bytes - std::min(bytes, *allowed);
}

Error frameListTooLongError(size_t excess) {
    return Error(kSaveRefusedDomain, EFBIG,
                 foundation::localizedFormat("the project's texts are about %@ characters longer than one project can "
                                             "hold; shorten or delete some text cards",
                                             {Value(uint64_t(excess))}));
}

// Whether a text can stand in a project file: property lists refuse control
// characters other than tab, line feed and carriage return.
bool isStorableCharacter(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 || c == '\t' || c == '\n' || c == '\r';
}

Dictionary newProjectMetaData() {
    Dictionary meta;
    meta.set(keys::kProductVersion, Value::real(6.0));
    meta.set(keys::kName, foundation::localized(kDefaultName));
    meta.set(keys::kDateCreated, Value::real(Date::now().unixTime()));
    meta.set(keys::kFPS, Value::integer(kDefaultFPS));
    meta.set(keys::kPlayAsLoop, true);
    meta.set(keys::kCaptureTimerValue, Value::integer(30));
    return meta;
}

}  // namespace

ProjectDataWrapper::ProjectDataWrapper(std::optional<std::string> projectPath)
    : projectPath_(std::move(projectPath)), projectID_(FileUtil::createUUID()) {}

std::optional<std::string> ProjectDataWrapper::pathForFile(const std::string& preferredFilename) const {
    auto folder = getProjectPath();
    if (!folder) return std::nullopt;
    return path::appending(*folder, preferredFilename);
}

std::optional<Dictionary> ProjectDataWrapper::getMetaData() {
    if (metaData_) return metaData_;
    if (auto file = pathForFile(keys::kMetaDataFile)) {
        Result<std::optional<Dictionary>> stored = readStoredDictionary(*file);
        if (!stored) {
            metaDataLoadError_ = stored.error();
            return std::nullopt;
        }
        metaData_ = *stored;
    }
    metaDataLoadError_.reset();
    if (!metaData_) metaData_ = newProjectMetaData();
    return metaData_;
}

std::shared_ptr<FrameList> ProjectDataWrapper::getFrameList() {
    if (frameList_) return frameList_;
    bool readFromFolder = false;
    if (auto folder = getProjectPath()) {
        const std::string file = path::appending(*folder, keys::kFrameListFile);
        Result<std::optional<Dictionary>> stored = readStoredFrameList(*folder, file);
        if (stored && *stored) {
            if (Status checked = FrameList::checkStoredDictionary(**stored); !checked)
                stored = damagedFileError(file, checked.error().description, checked.error());
        }
        if (!stored) {
            frameListLoadError_ = stored.error();
            return nullptr;
        }
        // Only a list that was read says which pictures are unused: a folder
        // without one (an odd import, say) keeps all it holds.
        if (*stored) {
            frameList_ = std::make_shared<FrameList>(**stored, FrameList::TakingEntries{});
            readFromFolder = true;
        }
    }
    frameListLoadError_.reset();
    if (!frameList_) frameList_ = std::make_shared<FrameList>();

    if (auto meta = getMetaData(); meta && meta->contains(keys::kCurrentFrameIndex)) {
        auto index = static_cast<int32_t>(meta->get(keys::kCurrentFrameIndex).asInt());
        if (FramePtr frame = frameList_->getFrameAtIndex(index)) frameList_->setFrameAtPlayhead(frame);
    }
    if (readFromFolder) {
        // Pictures whose replacement was cut short agree again before any is
        // shown; a frame that fails stays noted for the next opening.
        (void)picturereplacement::finish(*this, *frameList_);
        scheduleLeftoverSweep();
    }
    return frameList_;
}

std::optional<Error> ProjectDataWrapper::frameListOpenError() {
    if (getFrameList()) return std::nullopt;
    const Error cause = frameListLoadError_.value_or(Error("ProjectDataWrapper", 0, ""));
    return Error(cause.domain, cause.code,
                 foundation::localizedFormat("%@ cannot be opened: its list of frames cannot be read.",
                                             {Value(projectCalled(getName()))}),
                 std::make_shared<const Error>(cause));
}

Result<bool> ProjectDataWrapper::prepareFolderForSave() {
    if (hasProjectPath()) return true;
    std::shared_ptr<FrameList> list = getFrameList();
    if (!list) return *frameListLoadError_;
    if (list->count() < 2) return false;
    if (Status created = createFilePathForProject(); !created) return created.error();
    return true;
}

Status ProjectDataWrapper::writeFrameList() {
    std::shared_ptr<FrameList> list = getFrameList();
    if (!list) return *frameListLoadError_;
    auto folder = getProjectPath();
    if (!folder) return noFolderError();
    Result<Bytes> bytes = foundation::plist::serialize(Value(list->encode()), foundation::plist::Format::Xml);
    if (!bytes) return bytes.error();
    // Never a list that an opening would refuse, now or after later deletes.
    Result<size_t> excess = frameListExcess(bytes->size(), *list, *folder);
    if (!excess) return excess.error();
    if (*excess > 0) return frameListTooLongError(*excess);
    return foundation::writeFileAtomically(path::appending(*folder, keys::kFrameListFile), *bytes);
}

Result<size_t> ProjectDataWrapper::frameListExcessBytes() {
    std::shared_ptr<FrameList> list = getFrameList();
    if (!list) return *frameListLoadError_;
    Result<Bytes> bytes = foundation::plist::serialize(Value(list->encode()), foundation::plist::Format::Xml);
    if (!bytes) return bytes.error();
    return frameListExcess(bytes->size(), *list, getProjectPath());
}

size_t ProjectDataWrapper::maximumFrameListBytes(uint64_t folderEntries) {
    const size_t fixed = fixedFrameListBytes;
    const uint64_t most = (SIZE_MAX - fixed) / keys::kListBytesPerFolderEntry;
    return fixed + size_t(std::min(folderEntries, most)) * keys::kListBytesPerFolderEntry;
}

void ProjectDataWrapper::setFixedFrameListBytesForTesting(std::optional<size_t> bytes) {
    fixedFrameListBytes = bytes.value_or(keys::kMaximumListBytes);
}

Status ProjectDataWrapper::saveFramelistToDisk() {
    Result<bool> folder = prepareFolderForSave();
    if (!folder) return folder.error();
    if (!*folder) return Status::success();
    if (Status written = writeFrameList(); !written) return written;
    return writeMetaDataAfterFrameList();
}

Status ProjectDataWrapper::saveMetaDataToDisk() {
    Result<bool> folder = prepareFolderForSave();
    if (!folder) return folder.error();
    if (!*folder) return Status::success();
    auto meta = getMetaData();
    if (!meta) return *metaDataLoadError_;
    if (frameList_ && frameList_->count() >= 3) {
        meta->set(keys::kNumberOfFrames, Value::integer(frameList_->count()));
        meta->set(keys::kDateModified, Value::real(Date::now().unixTime()));
    }
    return foundation::plist::writeFile(Value(*meta), *pathForFile(keys::kMetaDataFile));
}

Status ProjectDataWrapper::saveAllDataToDisk() { return saveFramelistToDisk(); }

Status ProjectDataWrapper::createFilePathForProject() {
    std::lock_guard guard(createLock_);
    if (hasProjectPath()) return Status::success();
    Result<std::string> folder = createUniqueProjectDirectory(foundation::Paths::documentsDirectory());
    if (!folder) return folder.error();
    projectPath_.set(*folder);
    if (Status saved = saveAllDataToDisk(); !saved) {
        // Half a project must not stay behind: the folder was made just now
        // and holds nothing but what this failed save wrote.
        projectPath_.set(std::nullopt);
        (void)FileManager::defaultManager().removeItem(*folder);
        return saved;
    }
    registerWithProjectList();
    return Status::success();
}

void ProjectDataWrapper::registerWithProjectList() {
    // The list holds project models; a bare wrapper has no place in it.
    if (auto model = std::dynamic_pointer_cast<ProjectModel>(weak_from_this().lock()))
        KWProjects::getInstance().addProject(model);
}

void ProjectDataWrapper::withdrawNewFolder() {
    std::lock_guard guard(createLock_);
    std::optional<std::string> folder = getProjectPath();
    if (!folder) return;
    if (auto model = std::dynamic_pointer_cast<ProjectModel>(weak_from_this().lock())) {
        if (Status unlisted = KWProjects::getInstance().removeProject(model); !unlisted) return;
    }
    projectPath_.set(std::nullopt);
    (void)FileManager::defaultManager().removeItem(*folder);
}

std::string ProjectDataWrapper::createProjectDirName() { return directoryNameForDate(Date::now()); }

Result<std::string> ProjectDataWrapper::createUniqueProjectDirectory(const std::string& parentDirectory) {
    const FileManager& files = FileManager::defaultManager();
    if (Status made = files.createDirectory(parentDirectory, true); !made) return made.error();
    Date now = Date::now();
    for (int attempt = 0; attempt < kDirectoryNameAttempts; ++attempt) {
        std::string folder = path::appending(parentDirectory, directoryNameAfter(now, attempt));
        Status made = files.createDirectory(folder, false);
        if (made) return folder;
        if (!foundation::isFileExistsError(made.error())) return made.error();
    }
    return Error(foundation::kPOSIXErrorDomain, EEXIST, "No free name for a new project folder in " + parentDirectory);
}

Result<std::string> ProjectDataWrapper::moveIntoPlaceAsProject(const std::string& folder,
                                                               const std::string& parentDirectory) {
    Date now = Date::now();
    Result<std::string> name = FileManager::defaultManager().moveItemUnderFreeName(
        folder, parentDirectory, [now](int attempt) { return directoryNameAfter(now, attempt); },
        kDirectoryNameAttempts);
    if (!name) return name.error();
    return path::appending(parentDirectory, *name);
}

bool ProjectDataWrapper::holdsReadableMetaData(const std::string& folder) {
    const std::string metadata = path::appending(folder, keys::kMetaDataFile);
    Result<Bytes> bytes = foundation::readRegularFile(metadata, keys::kMaximumListBytes, foundation::Links::Refuse);
    if (!bytes) return false;
    Result<Value> parsed = foundation::plist::parse(*bytes);
    return parsed && parsed->isDictionary();
}

Status ProjectDataWrapper::updateRegularFileWithContents(const Bytes& contents, const std::string& preferredFilename) {
    if (!isPlainFileName(preferredFilename)) return invalidNameError(preferredFilename);
    if (!hasProjectPath()) {
        if (Status created = createFilePathForProject(); !created) return created;
    }
    auto file = pathForFile(preferredFilename);
    if (!file) return noFolderError();
    return foundation::writeFileAtomically(*file, contents);
}

std::optional<Bytes> ProjectDataWrapper::fileDataForFileWithPreferredFilename(const std::string& preferredFilename,
                                                                              Bytes store) const {
    Result<Bytes> data = readFileWithPreferredFilename(preferredFilename, std::move(store));
    if (!data) return std::nullopt;
    return std::move(*data);
}

Result<Bytes> ProjectDataWrapper::readFileWithPreferredFilename(const std::string& preferredFilename,
                                                                Bytes store) const {
    if (!isPlainFileName(preferredFilename)) return invalidNameError(preferredFilename);
    auto file = pathForFile(preferredFilename);
    if (!file) return noFolderError();
    return foundation::readRegularFile(*file, keys::kMaximumFileBytes, foundation::Links::Follow, std::move(store));
}

Status ProjectDataWrapper::removeRegularFileWithPreferredFilename(const std::string& preferredFilename) {
    if (!isPlainFileName(preferredFilename)) return invalidNameError(preferredFilename);
    auto file = pathForFile(preferredFilename);
    if (!file) return Status::success();  // nothing can exist in a folder that does not
    Error error;
    bool removed = FileUtil::removeItemAtPath(*file, &error);
    return statusOf(removed, error);
}

Status ProjectDataWrapper::cloneFileWithPreferredFilename(const std::string& preferredFilename,
                                                          const std::string& toFileWithPreferredFilename) {
    if (!isPlainFileName(preferredFilename)) return invalidNameError(preferredFilename);
    if (!isPlainFileName(toFileWithPreferredFilename)) return invalidNameError(toFileWithPreferredFilename);
    auto from = pathForFile(preferredFilename);
    if (!from) return noFolderError();
    return FileManager::defaultManager().copyItem(*from, *pathForFile(toFileWithPreferredFilename));
}

Status ProjectDataWrapper::copyFromExternal(const std::string& fileURL, const std::string& name) {
    auto source = externalPath(fileURL);
    if (!source)
        return Error(foundation::kCocoaErrorDomain, foundation::kFileWriteUnsupportedSchemeError,
                     "Not a file URL: " + fileURL);
    if (!isPlainFileName(name)) return invalidNameError(name);
    if (!hasProjectPath()) {
        if (Status created = createFilePathForProject(); !created) return created;
    }
    auto target = pathForFile(name);
    if (!target) return noFolderError();
    return FileManager::defaultManager().copyItem(*source, *target);
}

Status ProjectDataWrapper::copyFileFromExternal(const std::string& fileURL,
                                                const std::string& toFileWithPreferredFilename) {
    Status copied = copyFromExternal(fileURL, toFileWithPreferredFilename);
    if (!copied) error_.set(copied.error());
    return copied;
}

Status ProjectDataWrapper::moveFileFromExternal(const std::string& fileURL,
                                                const std::string& toFileWithPreferredFilename) {
    Status copied = copyFileFromExternal(fileURL, toFileWithPreferredFilename);
    if (copied) (void)FileManager::defaultManager().removeItem(*externalPath(fileURL));
    return copied;
}

int64_t ProjectDataWrapper::getUsedStorageSpace() {
    auto folder = getProjectPath();
    projectSizesCache_ = folder ? static_cast<int64_t>(FileUtil::folderSize(*folder)) : 0;
    return projectSizesCache_;
}

int64_t ProjectDataWrapper::getFPS() {
    auto meta = getMetaData();
    if (!meta) return kDefaultFPS;
    const Value& fps = meta->get(keys::kFPS);
    int64_t value = fps.isNumber() ? fps.asInt() : kDefaultFPS;
    return value >= 1 ? value : kDefaultFPS;
}

void ProjectDataWrapper::setFPS(int64_t fps) {
    if (auto meta = getMetaData()) meta->set(keys::kFPS, Value::real(static_cast<double>(fps)));
}

std::string ProjectDataWrapper::getDefaultName() { return foundation::localized(kDefaultName); }

std::string ProjectDataWrapper::getName() {
    if (auto meta = getMetaData())
        if (auto name = meta->get(keys::kName).stringValue()) return *name;
    return getDefaultName();
}

void ProjectDataWrapper::setName(const std::string& name) {
    std::string storable;
    std::copy_if(name.begin(), name.end(), std::back_inserter(storable), isStorableCharacter);
    auto meta = getMetaData();
    if (storable.empty() || !meta || !meta->contains(keys::kName)) return;
    meta->set(keys::kName, storable);
}

Date ProjectDataWrapper::getCreationDate() {
    if (auto meta = getMetaData())
        if (const Value& created = meta->get(keys::kDateCreated); created.isNumber())
            return Date::fromUnixTime(created.asDouble());
    return Date::now();
}

std::optional<Date> ProjectDataWrapper::getModifiedDate() {
    if (auto meta = getMetaData())
        if (const Value& modified = meta->get(keys::kDateModified); modified.isNumber())
            return Date::fromUnixTime(modified.asDouble());
    return std::nullopt;
}

int64_t ProjectDataWrapper::getNumberOfFrames() {
    if (auto meta = getMetaData())
        if (const Value& count = meta->get(keys::kNumberOfFrames); count.isNumber()) return count.asInt();
    std::shared_ptr<FrameList> list = getFrameList();
    return list ? list->count() : 0;
}

graphics::Image ProjectDataWrapper::getThumbImageForProject() {
    auto decode = [](const std::optional<Bytes>& data) -> std::optional<graphics::Image> {
        if (!data) return std::nullopt;
        auto image = graphics::Image::decode(*data);
        if (!image) return std::nullopt;
        return *image;
    };
    if (auto image = decode(fileDataForFileWithPreferredFilename(keys::kProjectThumbFile))) return *image;
    if (auto meta = getMetaData())
        if (auto frameID = meta->get(keys::kThumbFrameID).stringValue())
            if (auto image = decode(fileDataForFileWithPreferredFilename(KWImageProducer::previewFileName(*frameID))))
                return *image;
    if (auto placeholder = foundation::Bundle::main().pathForResource(kPlaceholderImage))
        if (auto image = graphics::Image::load(*placeholder)) return *image;
    return {};
}
