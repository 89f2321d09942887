// Project archives ("*.tollivarmobile", a zip of one project folder) that
// the user opens or drops into the inbox: imported as the application
// imports them, unpacked into a new project folder of the scratch documents
// folder, and then opened as a project (its metadata, frame list and
// tracks). Each input starts from an empty project list and folder.

#include "FuzzTarget.h"

#include "app/core/KWProjects.h"
#include "app/core/ProjectImportProcessor.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/Paths.h"

#include <filesystem>

TOLLIVAR_FUZZ_TARGET(archive_import) {
    (void)fuzzing::scratchRoot();
    const std::string archive = fuzzing::writeScratchFile("input.tollivarmobile", data, size);
    foundation::Error error;
    if (ProjectImportProcessor().importProjectAtPath(archive, &error)) {
        for (const ProjectModelPtr& project : KWProjects::getInstance().getProjects()) {
            (void)project->getMetaData();
            (void)project->getFrameList();
            (void)project->getAllTracks();
        }
    } else {
        (void)ProjectImportProcessor::failureReason(error);
    }
    KWProjects::getInstance().resetForTesting();
    std::error_code ignored;
    std::filesystem::remove_all(foundation::Paths::documentsDirectory(), ignored);
    return 0;
}
