#pragma once

// The registry of renderers: callers never name a renderer class; they ask
// for the renderer of a type identifier, or for the export types of several
// identifiers to offer. Every lookup makes new renderers for the project.

#include "app/core/ProjectModel.h"
#include "app/render/MovieRenderer.h"

#include <string>
#include <vector>

class MovieRendererSourcesBase {
public:
    explicit MovieRendererSourcesBase(ProjectModelPtr project) : project_(std::move(project)) {}
    virtual ~MovieRendererSourcesBase() = default;

    // New renderers for the project, in the order to search them; none in the base.
    virtual std::vector<MovieRendererPtr> getAvailableRenderer() { return {}; }

    // The first renderer whose type identifier equals `UTI`; null when none does.
    MovieRendererPtr getRendererForUTI(const std::string& UTI);
    // The export types of every renderer whose identifier is listed, in
    // registry order, each renderer's types in its own order.
    std::vector<MovieExportType> getMovieExportTypesForUTIItems(const std::vector<std::string>& UTIItems);

protected:
    const ProjectModelPtr& project() const { return project_; }

private:
    ProjectModelPtr project_;
};

class MovieRendererSources : public MovieRendererSourcesBase {
public:
    using MovieRendererSourcesBase::MovieRendererSourcesBase;
    // The movie, GIF, image-folder and archive renderers, in that order.
    std::vector<MovieRendererPtr> getAvailableRenderer() override;
};
