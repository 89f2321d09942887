#include "app/render/MovieRenderer.h"

#include "app/core/MovieResolution.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"

graphics::Size MovieRenderer::getMaximumResolutionAvailable() {
    return MovieResolution::getMaximumResolutionAvailable();
}

bool MovieRenderer::isResolutionAvailable(graphics::Size size) { return MovieResolution::isResolutionAvailable(size); }

std::optional<std::string> MovieRenderer::renderCachePathForProject(const ProjectModel& project) {
    std::optional<std::string> projectPath = project.getProjectPath();
    if (!projectPath) return std::nullopt;
    std::string name = foundation::path::lastComponent(*projectPath);
    // A path like "/" has no folder name of its own; naming the whole cache
    // instead would wipe every project's renders.
    if (name.empty() || name == "/" || name == "." || name == "..") return std::nullopt;
    std::string cache = foundation::path::appending(foundation::Paths::cachesDirectory(), kRenderCacheFolder);
    return foundation::path::appending(cache, name);
}

void MovieRenderer::cleanRenderCacheForProject(const std::shared_ptr<ProjectModel>& project) {
    if (!project) return;
    std::optional<std::string> folder = renderCachePathForProject(*project);
    if (!folder) return;
    (void)foundation::FileManager::defaultManager().removeItem(*folder);
}
