#include "app/render/MovieRendererSources.h"

#include "app/render/AnimatedGifRenderer.h"
#include "app/render/ProjectExportRenderer.h"
#include "app/render/SingleImagesExportRenderer.h"
#include "app/render/TollivarMovieRenderer.h"

#include <algorithm>

MovieRendererPtr MovieRendererSourcesBase::getRendererForUTI(const std::string& UTI) {
    for (MovieRendererPtr& renderer : getAvailableRenderer())
        if (renderer->getSupportedUTI() == UTI) return renderer;
    return nullptr;
}

std::vector<MovieExportType> MovieRendererSourcesBase::getMovieExportTypesForUTIItems(
    const std::vector<std::string>& UTIItems) {
    std::vector<MovieExportType> types;
    for (const MovieRendererPtr& renderer : getAvailableRenderer()) {
        std::optional<std::string> UTI = renderer->getSupportedUTI();
        if (!UTI || std::find(UTIItems.begin(), UTIItems.end(), *UTI) == UTIItems.end()) continue;
        for (MovieExportType& type : renderer->getSupportedExportTypes()) types.push_back(std::move(type));
    }
    return types;
}

std::vector<MovieRendererPtr> MovieRendererSources::getAvailableRenderer() {
    std::vector<MovieRendererPtr> renderers;
    renderers.push_back(std::make_shared<TollivarMovieRenderer>(project()));
    renderers.push_back(std::make_shared<AnimatedGifRenderer>(project()));
    renderers.push_back(std::make_shared<SingleImagesExportRenderer>(project()));
    renderers.push_back(std::make_shared<ProjectExportRenderer>(project()));
    return renderers;
}
