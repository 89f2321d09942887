#include "app/render/ProjectExportRenderer.h"

#include "app/core/ProjectImportProcessor.h"
#include "app/render/RenderOutput.h"
#include "platform/foundation/Localized.h"

#include <filesystem>

std::vector<MovieExportType> ProjectExportRenderer::getSupportedExportTypes() const {
    return {MovieExportType(foundation::localized("Export Project"), std::nullopt, {0, 0}, kUTI,
                            ProjectImportProcessor::kArchiveSuffix)};
}

std::optional<double> ProjectExportRenderer::estimatedBytes(const EstimateBasis& basis, const MovieExportType&,
                                                            const foundation::Progress&) {
    if (!basis.folder()) return std::nullopt;
    const PackedFiles files = packedFiles(*basis.folder());
    // Each entry's local header and central record (30 and 46 bytes, each
    // with the name) and room for its extra fields; the end record.
    constexpr double kEntryBytes = 30 + 46 + 20, kEndBytes = 22;
    return double(files.bytes) + double(files.count) * kEntryBytes + 2 * double(files.nameBytes) + kEndBytes;
}

void ProjectExportRenderer::zipArchiveProgressEvent(uint64_t loaded, uint64_t total) {
    if (total > 0) setProgress(double(loaded) / double(total));
}

void ProjectExportRenderer::zipArchiveDidLeaveOutFile(const std::string& relativePath) {
    leftOutFiles().addFile(relativePath);
}

ProjectExportRenderer::PackedFiles ProjectExportRenderer::packedFiles(const std::string& folder) {
    // What the archive packs: the regular files below the folder, none whose
    // path begins with ".".
    namespace fs = std::filesystem;
    PackedFiles files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code entryError;
        if (it->path().filename().string().starts_with(".")) {
            if (it->is_directory(entryError)) it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file(entryError)) continue;
        files.bytes += it->file_size(entryError);
        files.count += 1;
        files.nameBytes += it->path().lexically_relative(folder).string().size();
    }
    return files;
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
    if (auto space = renderoutput::checkSpaceFor(path, packedFiles(*projectPath).bytes, kErrorDomain, kErrorArchiving);
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
