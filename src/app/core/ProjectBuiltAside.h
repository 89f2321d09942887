#pragma once

// A project folder made by long work (a duplicate, an import), built inside
// a claimed temporary folder beside the projects (TemporaryClaim) and moved
// into place whole once complete: nothing half made ever carries a
// project's name, and what a quit, a crash or a kill leaves is a temporary
// that no writer holds, which the start's sweep takes away.
//
//     auto aside = ProjectBuiltAside::create(documents, "import");
//     ... fill aside->path(), then aside->flush() (off the main queue) ...
//     on the main queue: auto folder = aside->moveIntoPlace(); list it there
//     (dropped before it is moved, it is removed with all it holds)

#include "platform/foundation/Error.h"
#include "platform/foundation/TemporaryClaim.h"

#include <string>

class ProjectBuiltAside {
public:
    // Claims a temporary folder in `parentDirectory` (made when missing),
    // named after `purpose` (".import.partial-<UUID>"), and makes the empty
    // project folder inside it.
    static foundation::Result<ProjectBuiltAside> create(const std::string& parentDirectory, const std::string& purpose);

    // The project folder to fill.
    const std::string& path() const { return folder_; }
    // Writes all it holds to the disk: slow for a large project, so it
    // belongs off the main queue.
    foundation::Status flush() const;
    // Moves the flushed project into the parent folder under a fresh project
    // name (ProjectDataWrapper::moveIntoPlaceAsProject) and lets go of the
    // claim. Returns the project's folder.
    foundation::Result<std::string> moveIntoPlace();

private:
    ProjectBuiltAside(foundation::TemporaryClaim claim, std::string parent, std::string folder)
        : claim_(std::move(claim)), parent_(std::move(parent)), folder_(std::move(folder)) {}

    foundation::TemporaryClaim claim_;
    std::string parent_;
    std::string folder_;
};
