#include "app/core/ProjectBuiltAside.h"

#include "app/core/ProjectDataWrapper.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"

using foundation::FileManager;
using foundation::Result;
using foundation::Status;
namespace path = foundation::path;

Result<ProjectBuiltAside> ProjectBuiltAside::create(const std::string& parentDirectory, const std::string& purpose) {
    const FileManager& files = FileManager::defaultManager();
    if (Status made = files.createDirectory(parentDirectory, true); !made) return made.error();
    auto claim = foundation::TemporaryClaim::create(path::appending(parentDirectory, purpose),
                                                    foundation::TemporaryClaim::Kind::Folder);
    if (!claim) return claim.error();
    // A folder inside the claim, so that the claim stays held until the
    // project has left it.
    std::string folder = path::appending(claim->path(), "project");
    if (Status made = files.createDirectory(folder, false); !made) return made.error();
    return ProjectBuiltAside(std::move(*claim), parentDirectory, std::move(folder));
}

Status ProjectBuiltAside::flush() const { return FileManager::defaultManager().flushItem(folder_); }

Result<std::string> ProjectBuiltAside::moveIntoPlace() {
    Result<std::string> placed = ProjectDataWrapper::moveIntoPlaceAsProject(folder_, parent_);
    // Empty now: nothing is left to sweep.
    if (placed) claim_.discard();
    return placed;
}
