// The upload sheet's movie: the project rendered by the movie renderer.

#include "app/render/TollivarMovieRenderer.h"
#include "app/share/YouTubeUploadViewController.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"

namespace {

// How often the render's progress is read while it runs.
constexpr double kProgressPollSeconds = 0.25;

class RenderedMovieSource : public YouTubeMovieSource, public std::enable_shared_from_this<RenderedMovieSource> {
public:
    explicit RenderedMovieSource(ProjectModelPtr project) : project_(std::move(project)) {}
    ~RenderedMovieSource() override { cancel(); }

    void start(Progress progress, Completion completion) override {
        renderer_ = std::make_shared<TollivarMovieRenderer>(project_);
        std::optional<MovieExportType> type;
        for (const MovieExportType& candidate : renderer_->getSupportedExportTypes()) {
            // 720p when this machine makes it, else the largest size it makes.
            if (!type || candidate.title() == TollivarMovieRenderer::kTitle720) type = candidate;
            if (candidate.title() == TollivarMovieRenderer::kTitle720) break;
        }
        auto renderer = renderer_;
        poll_ = foundation::RunLoop::main().scheduleTimer(kProgressPollSeconds, true,
                                                          life_.guard([renderer, progress](foundation::Timer&) {
                                                              if (progress) progress(renderer->progress());
                                                          }));
        auto weak = weak_from_this();
        renderer_->exportProjectWithExportType(type, [weak, renderer, completion] {
            auto self = weak.lock();
            if (self && self->poll_) self->poll_->invalidate();
            if (renderer->status() == MovieRenderer::kStatusCancelled) return;
            if (renderer->status() == MovieRenderer::kStatusFinished && renderer->exportURL())
                completion(renderer->exportURL(), std::nullopt);
            else
                completion(std::nullopt, renderer->error());
        });
    }

    void cancel() override {
        if (poll_) poll_->invalidate();
        if (renderer_) renderer_->cancelExport();
    }

private:
    ProjectModelPtr project_;
    std::shared_ptr<TollivarMovieRenderer> renderer_;
    foundation::TimerHandle poll_;
    foundation::LifeToken life_;
};

}  // namespace

std::shared_ptr<YouTubeMovieSource> renderedMovieSource(ProjectModelPtr project) {
    return std::make_shared<RenderedMovieSource>(std::move(project));
}
