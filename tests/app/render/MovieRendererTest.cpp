#include "app/core/ProjectModel.h"
#include "app/render/MovieRenderer.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

fs::path renderCache(const testsupport::TempAppFolders& folders) { return fs::path(folders.caches()) / "rendercache"; }

void touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

}  // namespace

TEST(RenderCache, CleaningRemovesOnlyThatProjectsFolder) {
    testsupport::TempAppFolders folders;
    fs::path projectDir = fs::path(folders.documents()) / ".kelbrin-2015-06-01-14-03-59";
    fs::create_directories(projectDir);
    auto project = ProjectModel::create(projectDir.string());
    touch(renderCache(folders) / ".kelbrin-2015-06-01-14-03-59" / "kelbrin.mov");
    touch(renderCache(folders) / ".kelbrin-2015-06-01-14-03-59" / "frames" / "1.jpg");
    touch(renderCache(folders) / ".kelbrin-2016-01-01-00-00-00" / "kelbrin.mov");

    ASSERT_EQ(MovieRenderer::renderCachePathForProject(*project),
              (renderCache(folders) / ".kelbrin-2015-06-01-14-03-59").string());
    MovieRenderer::cleanRenderCacheForProject(project);
    EXPECT_FALSE(fs::exists(renderCache(folders) / ".kelbrin-2015-06-01-14-03-59"));
    EXPECT_TRUE(fs::exists(renderCache(folders) / ".kelbrin-2016-01-01-00-00-00" / "kelbrin.mov"));
    EXPECT_TRUE(fs::exists(projectDir));
    // A second clean finds nothing and stays quiet.
    MovieRenderer::cleanRenderCacheForProject(project);
}

TEST(RenderCache, ProjectWithoutFolderLeavesTheCacheAlone) {
    testsupport::TempAppFolders folders;
    touch(renderCache(folders) / ".kelbrin-2016-01-01-00-00-00" / "kelbrin.mov");
    auto unsaved = ProjectModel::create();
    EXPECT_FALSE(MovieRenderer::renderCachePathForProject(*unsaved));
    MovieRenderer::cleanRenderCacheForProject(unsaved);
    MovieRenderer::cleanRenderCacheForProject(nullptr);
    // A folder path without a name of its own must not stand for the whole cache.
    MovieRenderer::cleanRenderCacheForProject(ProjectModel::create("/"));
    EXPECT_TRUE(fs::exists(renderCache(folders) / ".kelbrin-2016-01-01-00-00-00" / "kelbrin.mov"));
}
