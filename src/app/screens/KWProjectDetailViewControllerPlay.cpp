// The card's play: a project that cannot be read says so; a current preview
// movie plays at once; otherwise the user is asked to render it first, the
// progress panel shows the render (polled once a second), and a finished
// render plays.

#include "app/editor/FrameEditorModel.h"
#include "app/render/MovieRendererSources.h"
#include "app/render/screens/NXMovieView.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "app/screens/KWProjectDetailViewController.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/views/NXNavigationController.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"

MovieExportType KWProjectDetailViewController::previewExportType(graphics::Size size) {
    return MovieExportType(foundation::localized("MoviePreview"), std::nullopt, size, kUTTypeQuickTimeMovie, "mov");
}

MovieRendererPtr KWProjectDetailViewController::makeRenderer() {
    if (!mProject_) return nullptr;
    if (rendererSource) return rendererSource(mProject_);
    return MovieRendererSources(mProject_).getRendererForUTI(kUTTypeQuickTimeMovie);
}

void KWProjectDetailViewController::actionPlay() {
    if (!mProject_) return;
    // A project whose files cannot be read has nothing to render: it is told
    // as Edit tells it, not as a project without frames.
    if (auto unreadable = frameeditor::projectOpenError(*mProject_)) {
        showError(unreadable);
        return;
    }
    const graphics::Size size = previewSizeForPlaying();
    if (MovieRendererPtr renderer = makeRenderer()) {
        if (auto prepared = renderer->getPreparedMovieForExportType(previewExportType(size))) {
            playVideoInMovieView(*prepared);
            return;
        }
    }
    auto alert = AlertView::create(foundation::localized(kRenderTitle), foundation::localized(kRenderMessage));
    auto prepare = [weak = foundation::weakFrom(this), size](AlertView&, int) {
        if (auto self = weak.lock()) self->prepareMovieWithResolution(size);
    };
    alert->addButtonWithTitle(foundation::localized("Ok"), prepare);
    // The optimised choice renders at the same size: the preview is a look
    // at the movie, and the share screens make the full-size one.
    if (isTablet()) alert->addButtonWithTitle(foundation::localized("Optimized (Slower)"), prepare);
    alert->addButtonWithTitle(foundation::localized("Cancel"), {});
    alert->show();
}

void KWProjectDetailViewController::prepareMovieWithResolution(graphics::Size size) {
    if (renderNavigation_) renderNavigation_->dismissViewController(false);
    renderProgressViewController_ =
        std::make_shared<RenderProgressViewController>(RenderProgressViewController::kNibName, mProject_);
    renderNavigation_ = std::make_shared<NXNavigationController>(renderProgressViewController_);
    renderNavigation_->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    auto panel = renderProgressViewController_;
    presentViewController(renderNavigation_, true, [weak = foundation::weakFrom(this), panel, size] {
        auto self = weak.lock();
        if (!self || self->renderProgressViewController_ != panel) return;
        panel->showInfo(foundation::localized(kRenderWaitText));
        panel->navigationItem().setLeftBarButtonItem(
            std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Cancel, [weak](ui::BarButtonItem&) {
                if (auto card = weak.lock()) card->cancelMovieRenderer();
            }));
        MovieRendererPtr renderer = self->makeRenderer();
        self->movieRenderer_ = renderer;
        if (!renderer) {
            // No renderer writes QuickTime movies here: say so and stay up.
            panel->showError(foundation::format(
                foundation::localized(kRenderFailedFormat),
                {foundation::Value(foundation::localized("No renderer can write the preview movie."))}));
            return;
        }
        renderer->exportProjectWithExportType(previewExportType(size), [weak, renderer] {
            if (auto card = weak.lock()) card->finishPreview(renderer);
        });
        foundation::RunLoop::main().performAfter(kRenderPollSeconds, [weak, renderer] {
            if (auto card = weak.lock()) card->checkStatusForExporter(renderer);
        });
    });
}

void KWProjectDetailViewController::checkStatusForExporter(const MovieRendererPtr& exporter) {
    if (!exporter || exporter != movieRenderer_ || exporter->status() != MovieRenderer::kStatusRendering) return;
    if (renderProgressViewController_) renderProgressViewController_->setProgress(exporter->progress());
    foundation::RunLoop::main().performAfter(kRenderPollSeconds, [weak = foundation::weakFrom(this), exporter] {
        if (auto self = weak.lock()) self->checkStatusForExporter(exporter);
    });
}

void KWProjectDetailViewController::finishPreview(const MovieRendererPtr& renderer) {
    // A render that was cancelled or replaced has closed its panel already.
    if (renderer != movieRenderer_) return;
    const int64_t status = renderer->status();
    if (status == MovieRenderer::kStatusFailed) {
        const foundation::Error error = renderer->error().value_or(
            foundation::Error(MovieRenderer::kErrorDomain, 0, foundation::localized("Unknown error")));
        const std::string detail =
            foundation::format("%@ - [%@-%ld]", {foundation::Value(error.localizedDescription()),
                                                 foundation::Value(error.domain), foundation::Value(error.code)});
        if (renderProgressViewController_)
            renderProgressViewController_->showInfo(
                foundation::format(foundation::localized(kRenderFailedFormat), {foundation::Value(detail)}));
        return;
    }
    movieRenderer_.reset();
    auto navigation = std::move(renderNavigation_);
    renderProgressViewController_.reset();
    if (!navigation) return;
    navigation->dismissViewController(true, [weak = foundation::weakFrom(this), status] {
        auto self = weak.lock();
        if (self && status == MovieRenderer::kStatusFinished) self->actionPlay();
    });
}

void KWProjectDetailViewController::cancelMovieRenderer() {
    MovieRendererPtr renderer = std::move(movieRenderer_);
    movieRenderer_.reset();
    if (renderer) renderer->cancelExport();
    if (renderNavigation_) renderNavigation_->dismissViewController(true);
    renderNavigation_.reset();
    renderProgressViewController_.reset();
}

void KWProjectDetailViewController::playVideoInMovieView(const std::string& url) {
    presentViewController(std::make_shared<NXMovieView>(NXMovieView::kNibName, url), true);
}
