#pragma once

// Turns a project archive (a zip of one project folder, "tollivarmobile")
// into a new project at position 1 of the project list.
//
// An import either yields a complete project or leaves no trace of itself:
// the archive is unpacked into a fresh folder of its own; unless that folder
// then holds a readable "kelbrin.meta" (directly, or inside the archive's one
// top-level folder, which is moved up), the folder is removed again. A failed
// archive is not destroyed but set aside under its name plus ".failed", so
// the inbox does not retry it at every launch; an imported one is removed.

#include "platform/foundation/Error.h"

#include <functional>
#include <string>

class ProjectImportProcessor {
public:
    static inline const char* kErrorDomain = "ProjectImportProcessor";
    static inline const char* kFailedSuffix = ".failed";
    enum ErrorCode : int64_t {
        kErrorNoProject = 1,  // the archive holds no readable "kelbrin.meta"
    };

    // Imports on a global queue of default priority and then calls the
    // completion there with the outcome. Takes a "file:" URL or a path.
    void importProjectAtUrl(const std::string& url, std::function<void(bool)> withCompletionHandler);

    // Imports synchronously on the caller's queue. The project list is
    // changed on the main queue (queued there when called from elsewhere).
    // The error tells a full device (kSSZipArchiveErrorStorageFull, or the
    // file system's out-of-space error) from other failures.
    bool importProjectAtPath(const std::string& path, foundation::Error* error = nullptr);

    // ".kelbrin-yyyy-MM-dd-HH-mm-ss" of the current local time.
    static std::string createRecordName();
};
