#pragma once

// Turns a project archive (a zip of one project folder, "tollivarmobile")
// into a new project at position 1 of the project list.
//
// An import either yields a complete, listed project or leaves no trace of
// itself: the archive is unpacked into a folder built aside
// (ProjectBuiltAside); unless that folder then holds a readable
// "kelbrin.meta" (directly, or inside the archive's one top-level folder,
// which is moved up), is moved into place under a fresh project name and the
// project list with the new project has been saved, the folder is removed
// again. What a kill leaves is swept at the next start.
//
// The archive itself is the user's file and is only read. The one exception
// is the application's own "Import" inbox, whose archives are consumed: an
// imported one is removed, a failed one is set aside under its name plus
// ".failed", so the inbox does not retry it at every launch (one that was
// only stopped stays as it is).

#include "platform/foundation/Error.h"

#include <functional>
#include <optional>
#include <string>

class ProjectImportProcessor {
public:
    static inline const char* kErrorDomain = "ProjectImportProcessor";
    // The file-name extension of a project archive, as the archive export
    // names it and the inbox and the file handover recognise it.
    static inline const char* kArchiveSuffix = "tollivarmobile";
    static inline const char* kFailedSuffix = ".failed";
    static inline const char* kInboxFolder = "Import";
    // Posted by whoever imported an archive as a project, with itself as object.
    static constexpr const char* kDidImportProjectNotification = "PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT";
    enum ErrorCode : int64_t {
        kErrorNoProject = 1,     // the archive holds no readable "kelbrin.meta"
        kErrorFileNotFound = 2,  // nothing at the archive's path
        kErrorListNotSaved = 3,  // the project list with the new project could not be saved
        kErrorStopped = 4,       // imports were stopped (the application quits)
    };

    // The inbox of archives: "Import" in the documents folder.
    static std::string inboxPath();
    // Whether the archive lies directly in the inbox (and is consumed).
    static bool isInInbox(const std::string& archive);

    // Whether the file ends with a zip's end-of-directory record, as an
    // archive that has been written completely does. A file still being
    // copied in does not yet.
    static bool looksComplete(const std::string& archive);
    // Whether the file's first four bytes are there and are not the start of
    // a zip (a local file header, a split archive's marker, or the end record
    // of an empty zip). Such a file fails as no zip whether or not more of it
    // is still to come, so there is nothing to wait for.
    static bool isPlainlyNoZip(const std::string& archive);
    // Whether the file's first four bytes are there and are the start of a
    // zip (as above). The importer takes such a file whatever its name.
    static bool startsLikeZip(const std::string& archive);

    // Whether the file is a zip that holds a project: its directory lists a
    // "kelbrin.meta" at the top or in a folder at the top. Nothing is
    // unpacked, but the directory of a large archive takes a while to read.
    static bool holdsProject(const std::string& archive);

    // One sentence that names what went wrong with an archive, for the user:
    // not found, not a zip file, damaged, holds no project, storage full, or
    // the project list could not be saved.
    static std::string failureReason(const foundation::Error& error);

    // Imports on a global queue of default priority and then calls the
    // completion there with the outcome. Takes a "file:" URL or a path.
    void importProjectAtUrl(const std::string& url, std::function<void(bool)> withCompletionHandler);
    // The same, with the error of a failed import (none on success).
    void importProjectAtUrl(const std::string& url,
                            std::function<void(const std::optional<foundation::Error>&)> withErrorHandler);

    // Imports synchronously on the caller's queue; the project list is
    // changed on the main queue (waited for when called from elsewhere, so
    // the outcome includes the saved list). The error tells a full device
    // (kSSZipArchiveErrorStorageFull, or the file system's out-of-space
    // error) from other failures. `whenListed` runs in the main-queue step
    // that lists the new project, once the list with it is saved: whoever
    // waits for the project hears of it in that step, before a quit can
    // come between.
    bool importProjectAtPath(const std::string& path, foundation::Error* error = nullptr,
                             const std::function<void()>& whenListed = {});

    // Stops every import, running or to come, at its next file or chunk (or
    // lets them run again): the application quits. A stopped import leaves no
    // trace, and an inbox archive stays where it is, for the next launch.
    static void stopImports(bool stop = true);

    // ".kelbrin-yyyy-MM-dd-HH-mm-ss" of the current local time.
    static std::string createRecordName();
};
