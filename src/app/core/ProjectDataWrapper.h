#pragma once

// One project on disk: a folder in the documents folder holding the metadata
// ("kelbrin.meta"), the frame list ("frames.meta") and the per-frame files.
// Metadata and frame list load on first use. A new project has no folder;
// the folder appears at the first save with content (at least one entry
// besides the capture slot) or at the first file written into the project,
// and the project then joins KWProjects at position 1.
//
// Everything else in the application reads and writes the project's files by
// name through the file operations here.
//
// Main thread, except that the paste worker and the conversion use a project
// from a global queue while nothing else touches it. The project path is
// locked because a background store may create the folder.

#include "app/core/FrameList.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Locked.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class KWImageProducer;

class ProjectDataWrapper : public std::enable_shared_from_this<ProjectDataWrapper> {
public:
    virtual ~ProjectDataWrapper() = default;

    ProjectDataWrapper(const ProjectDataWrapper&) = delete;
    ProjectDataWrapper& operator=(const ProjectDataWrapper&) = delete;

    // Every project directory's name begins with this.
    static constexpr const char* kDirectoryPrefix = ".kelbrin";

    // Absolute path of the project folder; none while the project is new.
    std::optional<std::string> getProjectPath() const { return projectPath_.get(); }
    // A fresh UUID per project object, never stored.
    const std::string& projectID() const { return projectID_; }

    // The metadata dictionary itself (shared: change keys in place, then save).
    // None while "kelbrin.meta" cannot be read (damaged, or holding what
    // could never be saved again); the next call tries again and nothing
    // overwrites the file meanwhile. metaDataLoadError() says why.
    std::optional<foundation::Dictionary> getMetaData();
    // The frame list; nullptr while "frames.meta" cannot be read (damaged,
    // a hold count out of range, holding what could never be saved again,
    // or larger than its folder's bound, maximumFrameListBytes);
    // frameListLoadError() says why.
    //
    // The first list read from the folder also has the folder cleared of
    // what killed writers left behind (see removeLeftoverFiles): on a
    // background queue kLeftoverSweepDelaySeconds later, so that opening a
    // large project does not wait for a listing of its thousands of files.
    std::shared_ptr<FrameList> getFrameList();
    std::optional<foundation::Error> metaDataLoadError() const { return metaDataLoadError_; }
    // The most of "frames.meta" that is read from a folder of `folderEntries`
    // files with content: projectkeys::kMaximumListBytes, and past that
    // kListBytesPerFolderEntry for each (an empty file pays for nothing, so
    // an archive padded with them brings no larger list). The folder is counted only
    // for a list past the fixed part, so opening a small project lists
    // nothing.
    //
    // A save allows less: past the fixed part, each listed frame pays for
    // its own bytes, up to kListBytesPerFolderEntry for each of its pictures
    // with content in the folder. So every list written reads again, also once frames
    // were deleted and their files removed; a list that passes that bound
    // is refused (EFBIG in kSaveRefusedDomain, with the reason in the
    // user's words) and nothing is written.
    static size_t maximumFrameListBytes(uint64_t folderEntries);
    // How many bytes the frame list, as it stands in memory, takes beyond
    // what a save allows it (0 when it can be saved): for a change to ask
    // before it is made or drawn. Lists the folder when the list passes the
    // fixed part.
    foundation::Result<size_t> frameListExcessBytes();
    // Scales the fixed part of that bound down, for tests that cannot make
    // lists of many megabytes; none restores it.
    static void setFixedFrameListBytesForTesting(std::optional<size_t> bytes);
    std::optional<foundation::Error> frameListLoadError() const { return frameListLoadError_; }
    // When the frame list cannot be read: that told as the project's fault,
    // by its name, in words a user understands (the file and the system's
    // reason stay as the underlying error). None when it reads.
    std::optional<foundation::Error> frameListOpenError();

    // Every save reports what went wrong; a file that could not be read is
    // never overwritten (that is a failure too). A new project whose list
    // holds only the capture slot has nothing to save yet: success, nothing
    // written.
    //
    // Writes "frames.meta", records the playhead and the thumbnail frame in
    // the metadata, then saves the metadata. When "frames.meta" cannot be
    // written the metadata are not written either.
    foundation::Status saveFramelistToDisk();
    // Writes "kelbrin.meta".
    virtual foundation::Status saveMetaDataToDisk();
    foundation::Status saveAllDataToDisk();

    // Creates the project folder under a fresh name, saves both files into it
    // and registers the project with KWProjects at position 1. Does nothing
    // when the project already has its folder. When the first save into the
    // new folder fails, the folder is removed again and the project stays new.
    foundation::Status createFilePathForProject();

    // ".kelbrin-yyyy-MM-dd-HH-mm-ss" of the current local time.
    static std::string createProjectDirName();
    // Creates a new, empty project folder in `parentDirectory` with a name of
    // createProjectDirName's form. Two projects created within the same second
    // never share a folder: the folder is created exclusively, and on a
    // collision the following seconds' names are tried.
    static foundation::Result<std::string> createUniqueProjectDirectory(const std::string& parentDirectory);
    // Moves a complete project folder, built aside in `parentDirectory` and
    // flushed to the disk (FileManager::flushItem), into place there under a
    // fresh name picked as createUniqueProjectDirectory picks one, without
    // ever replacing a folder. Returns its new path.
    static foundation::Result<std::string> moveIntoPlaceAsProject(const std::string& folder,
                                                                  const std::string& parentDirectory);
    // Whether the folder holds a "kelbrin.meta" of its own (a file, not a
    // link) that reads as a dictionary: what makes a folder a project.
    static bool holdsReadableMetaData(const std::string& folder);

    // File operations by name inside the project folder.
    // Writes atomically; creates the folder first when the project has none.
    foundation::Status updateRegularFileWithContents(const foundation::Bytes& contents,
                                                     const std::string& preferredFilename);
    // A regular file of at most projectkeys::kMaximumFileBytes; the bytes
    // come in `store`, whose room is used again (see foundation::readFile).
    std::optional<foundation::Bytes> fileDataForFileWithPreferredFilename(const std::string& preferredFilename,
                                                                          foundation::Bytes store = {}) const;
    // The same with why a file cannot be read: ENOENT (kPOSIXErrorDomain)
    // when there is none, also in a project without a folder.
    foundation::Result<foundation::Bytes> readFileWithPreferredFilename(const std::string& preferredFilename,
                                                                        foundation::Bytes store = {}) const;
    // A missing file counts as success; a folder is not removed.
    foundation::Status removeRegularFileWithPreferredFilename(const std::string& preferredFilename);
    // Copies a file inside the folder; fails when the target exists.
    foundation::Status cloneFileWithPreferredFilename(const std::string& preferredFilename,
                                                      const std::string& toFileWithPreferredFilename);
    // Copies a file given by a "file:" URL (or an absolute path) into the
    // folder, creating the folder when needed. The failure is also kept in error().
    foundation::Status copyFileFromExternal(const std::string& fileURL, const std::string& toFileWithPreferredFilename);
    // The copy above; when it succeeded the source is removed (that outcome is ignored).
    foundation::Status moveFileFromExternal(const std::string& fileURL, const std::string& toFileWithPreferredFilename);
    // The failure of the last copy from outside.
    std::optional<foundation::Error> error() const { return error_.get(); }

    // Size of the folder in bytes, also kept as the last measured size.
    int64_t getUsedStorageSpace();
    int64_t projectSizesCache() const { return projectSizesCache_; }

    // "RecordFPS" as an integer; 5 when the metadata or the key is missing,
    // and also when the stored rate is 0 or negative, since every reader
    // divides by it.
    int64_t getFPS();
    // Stored as a real; ignored without metadata.
    void setFPS(int64_t fps);
    std::string getName();
    static std::string getDefaultName();
    // Replaces "RecordName" only with a non-empty name and only when the
    // metadata holds a name already. Control characters, which no project
    // file can hold, are left out of the name.
    void setName(const std::string& name);
    foundation::Date getCreationDate();
    std::optional<foundation::Date> getModifiedDate();
    int64_t getNumberOfFrames();
    // "thumb.jpg", else the preview of the thumbnail frame, else the
    // application's placeholder picture.
    graphics::Image getThumbImageForProject();

    // Path of a named file in the project folder; none while the project is new.
    std::optional<std::string> pathForFile(const std::string& preferredFilename) const;

    // Frame operations that keep the list on disk and the pictures in step
    // (ProjectFrameOperations.cpp).

    // A stored picture: the new frame, or null when it is not stored (then
    // neither the list nor the folder holds anything of it). `error` is set
    // whenever something failed, also when the frame is stored and listed on
    // disk but the metadata after it could not be written.
    struct StoredPicture {
        FramePtr frame;
        std::optional<foundation::Error> error;
    };
    // Stores a picture as a new frame in front of the capture slot (a slot is
    // appended first when the list has none), marks the project for
    // rendering and saves it. Not stored unless the frame list listing it was
    // written: then its files are removed again and the list is as before.
    // The error is the one store error (captureStoreError, StorageFullError.h):
    // 623 when the storage is (nearly) full, else 636, with the failure as
    // underlying error.
    StoredPicture storeCapturedPicture(const graphics::Image& picture, KWImageProducer& producer);

    // Removes the frames of the list range [location, location + length)
    // that can be deleted (the capture slot stays), saves the list, and only
    // then removes the files named after frame IDs that no listed frame uses
    // any more. When the save fails nothing is removed from list or folder.
    foundation::Status removeFramesInRange(int64_t location, int64_t length);

    // Removes from the folder what writers killed midway left behind (see
    // projectleftovers), judged by what is in use now; nothing at all when
    // the folder has no list that was read. Main thread. Returns the names
    // removed, sorted.
    std::vector<std::string> removeLeftoverFiles();
    // How long after the list was read the folder is swept. The sweep lists
    // the folder on a background queue and removes unused frame files on the
    // main queue, and only while this project is alive.
    static constexpr double kLeftoverSweepDelaySeconds = 2.0;

protected:
    // With a folder path, a stored project; with none, a new project.
    explicit ProjectDataWrapper(std::optional<std::string> projectPath);

private:
    bool hasProjectPath() const { return getProjectPath().has_value(); }
    // The first save's rule: a new project gets its folder once its list holds
    // more than the capture slot. False when there is nothing to write yet.
    foundation::Result<bool> prepareFolderForSave();
    foundation::Status writeFrameList();
    // Records the playhead and the thumbnail frame in the metadata and saves them.
    foundation::Status writeMetaDataAfterFrameList();
    void registerWithProjectList();
    // Undoes what the first file of a new project did: takes the project out
    // of the project list, removes its folder and makes it new again. When
    // the list cannot be saved without it, the listed folder stays.
    void withdrawNewFolder();
    foundation::Status copyFromExternal(const std::string& fileURL, const std::string& name);
    // Removes the files named after frame IDs that no listed frame uses.
    void removeFilesOfUnusedFrameIDs(const std::vector<FramePtr>& removed);
    // Queues removeLeftoverFiles' work for the list just read.
    void scheduleLeftoverSweep();

    // The last capture and the playhead frame when it was stored; it decides
    // what the metadata record until the playhead moves.
    struct LastCapture {
        FramePtr playhead;
        FramePtr picture;
    };
    std::optional<LastCapture> lastCapture_;

    foundation::Locked<std::optional<std::string>> projectPath_;
    std::optional<foundation::Dictionary> metaData_;
    std::shared_ptr<FrameList> frameList_;
    std::optional<foundation::Error> metaDataLoadError_;
    std::optional<foundation::Error> frameListLoadError_;
    int64_t projectSizesCache_ = 0;
    foundation::Locked<std::optional<foundation::Error>> error_;
    const std::string projectID_;
    std::recursive_mutex createLock_;  // one folder per project even when two threads store at once
};

// Metadata keys of the project; one spelling for every part that names them.
namespace projectkeys {
inline constexpr const char* kProductVersion = "ProductVersion";
inline constexpr const char* kName = "RecordName";
inline constexpr const char* kDateCreated = "RecordDateCreated";
inline constexpr const char* kDateModified = "RecordDateModified";
inline constexpr const char* kNumberOfFrames = "RecordNumberOfFrames";
inline constexpr const char* kFPS = "RecordFPS";
inline constexpr const char* kPlayAsLoop = "PlayAsLoop";
inline constexpr const char* kCaptureTimerValue = "CaptureTimerValue";
inline constexpr const char* kCurrentFrameIndex = "CurrentFrameIndex";
inline constexpr const char* kThumbFrameID = "META_RECORD_THUMB_FRAME_ID";
inline constexpr const char* kNeedsRendering = "RecordNeedsRendering";
inline constexpr const char* kMovieFilter = "RecordMovieFilter";
inline constexpr const char* kTracks = "Tracks";
inline constexpr const char* kMetaAudio = "RecordMetaAudio";
// Written by the movie-settings pickers; read by the preview pane and the
// picture producers.
inline constexpr const char* kThemeFadeIn = "META_RECORD_THEME_FADE_IN";
inline constexpr const char* kThemeFadeOut = "META_RECORD_THEME_FADE_OUT";
inline constexpr const char* kForeground = "META_RECORD_FOREGROUND";
inline constexpr const char* kAspectRatioMask = "META_RECORD_ASPECT_RATIO_MASK";
inline constexpr const char* kAspectRatioMaskFormat = "META_RECORD_ASPECT_RATIO_MASK_FORMAT";

inline constexpr const char* kMetaDataFile = "kelbrin.meta";
inline constexpr const char* kFrameListFile = "frames.meta";
inline constexpr const char* kProjectThumbFile = "thumb.jpg";
// The picture of the chosen foreground overlay.
inline constexpr const char* kForegroundFile = "foreground.png";

// The most of a project's file that is read: far above any picture or
// painting this program writes, and a bound on what a damaged or hostile
// project (one from an archive, say) can make it take. Only regular files
// are read (foundation::readRegularFile).
inline constexpr size_t kMaximumFileBytes = size_t(128) << 20;
// The same for its property lists (the metadata, the frame list, a
// painting's layers), which take some 300 bytes a frame.
inline constexpr size_t kMaximumListBytes = size_t(32) << 20;
// The frame list alone grows with its project, by any number of frames: past
// kMaximumListBytes it may take this much more for each file with content in
// the project's folder (ProjectDataWrapper::maximumFrameListBytes; empty
// files pay for nothing). A frame comes
// with its three pictures and takes some 270 bytes of the list (a text card
// some 460 and its text, a frame with a sound clip some 650), so a save,
// which counts only the listed frames' pictures, lets plain frames pay for
// themselves, while a list from an archive can take no more than the files
// with content it comes with pay for.
inline constexpr size_t kListBytesPerFolderEntry = 256;
}  // namespace projectkeys
