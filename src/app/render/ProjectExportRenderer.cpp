#include "app/render/ProjectExportRenderer.h"

#include "app/core/ProjectImportProcessor.h"
#include "app/render/RenderOutput.h"
#include "platform/foundation/Localized.h"

#include <filesystem>

std::vector<MovieExportType> ProjectExportRenderer::getSupportedExportTypes() const {
    return {MovieExportType(foundation::localized("Export Project"), std::nullopt, {0, 0}, kUTI,
                            ProjectImportProcessor::kArchiveSuffix)};
}

int64_t ProjectExportRenderer::getEstimatedFileSizeAfterExportforType(const MovieExportType&) {
    return frameListEntries() * 1250 + 212;
}

void ProjectExportRenderer::zipArchiveProgressEvent(uint64_t loaded, uint64_t total) {
    if (total > 0) setProgress(double(loaded) / double(total));
}

uint64_t ProjectExportRenderer::packedBytes(const std::string& folder) {
    // What the archive packs: the regular files below the folder, none whose
    // path begins with ".".
    namespace fs = std::filesystem;
    uint64_t bytes = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code entryError;
        if (it->path().filename().string().starts_with(".")) {
            if (it->is_directory(entryError)) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file(entryError)) bytes += it->file_size(entryError);
    }
    return bytes;
}

void ProjectExportRenderer::renderMovie() {
    if (!beginRendering()) return;
    const foundation::Error archivingError(kErrorDomain, kErrorArchiving, "Error archiving files.");
    const std::string path = exportURLForRender(getSupportedExportTypes().front());
    setExportURL(path);
    setProgress(0.2);
    setProgress(0.3);
    const std::optional<std::string> projectPath = project()->getProjectPath();
    if (!projectPath) return failWithError(archivingError);
    // Zip entries are never much larger than their files: a device without
    // room for the files is told before anything is written.
    if (auto space = renderoutput::checkSpaceFor(path, packedBytes(*projectPath), kErrorDomain, kErrorArchiving);
        !space)
        return failWithError(space.error());
    // The archive is written outside the project folder, so it never packs itself.
    auto temporary = foundation::TemporaryClaim::create(path, foundation::TemporaryClaim::Kind::File);
    if (!temporary)
        return failWithError(foundation::Error(kErrorDomain, kErrorArchiving, archivingError.description,
                                               std::make_shared<const foundation::Error>(temporary.error())));
    if (!SSZipArchive::createZipFileAtPath(temporary->path(), *projectPath, this)) {
        temporary->discard();
        return failWithError(archivingError);
    }
    if (isCancelled()) return temporary->discard();
    if (auto placed = renderoutput::replaceWithTemporary(*temporary, path); !placed)
        return failWithError(foundation::Error(kErrorDomain, kErrorArchiving, archivingError.description,
                                               std::make_shared<const foundation::Error>(placed.error())));
    setProgress(1.0);
    markFinished();
}
