#pragma once

// The renderers' shared class operations: the movie sizes this machine can
// export and the per-project render cache ("rendercache" in the caches
// folder, one folder per project named as the project's folder), which holds
// every output of every renderer of that project.

#include "platform/graphics/Geometry.h"

#include <memory>
#include <optional>
#include <string>

class ProjectModel;

class MovieRenderer {
public:
    static inline const char* kRenderCacheFolder = "rendercache";

    // The largest movie size this machine exports; (0, 0) when none.
    static graphics::Size getMaximumResolutionAvailable();
    // Whether a movie of that pixel size can be exported.
    static bool isResolutionAvailable(graphics::Size size);

    // The project's folder in the render cache; none for a project that has
    // no folder of its own yet (it cannot have rendered anything).
    static std::optional<std::string> renderCachePathForProject(const ProjectModel& project);
    // Removes the project's render-cache folder with everything in it; a
    // failure, or nothing to remove, is ignored.
    static void cleanRenderCacheForProject(const std::shared_ptr<ProjectModel>& project);
};
