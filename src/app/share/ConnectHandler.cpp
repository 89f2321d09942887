#include "app/share/ConnectHandler.h"

#include "app/render/MovieRendererSources.h"
#include "app/share/ShareServices.h"
#include "app/share/ShareViewController.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/views/NXNavigationController.h"
#include "platform/foundation/Localized.h"

void ConnectHandler::login() {
    if (delegate_) delegate_->connectHandlerDidLogin(*this);
}

std::string ConnectHandler::captionPlaceholder() const { return foundation::localized("Caption"); }

void ConnectHandler::logout() {
    if (delegate_) delegate_->connectHandlerDidLogout(*this);
}

std::vector<MovieExportType> ConnectHandler::getSupportedExportTypes() const {
    if (!project_) return {};
    MovieRendererSources sources(project_);
    return sources.getMovieExportTypesForUTIItems(getSupportedUTIs());
}

bool ConnectHandler::canPerformWithActivityItems(const library::ActivityItems& items) const {
    // An unsaved project has nothing to render yet.
    auto project = ShareServices::projectInActivityItems(items);
    return project && project->getProjectPath().has_value();
}

void ConnectHandler::prepareWithActivityItems(const library::ActivityItems& items) {
    project_ = ShareServices::projectInActivityItems(items);
}

std::shared_ptr<ui::ViewController> ConnectHandler::activityViewController() {
    if (!isConfigured()) return nullptr;
    auto screen = std::make_shared<ShareViewController>(shared_from_this());
    return std::make_shared<NXNavigationController>(screen);
}

void ConnectHandler::performActivity() {
    auto alert = AlertView::create(activityTitle(), notSetUpText());
    alert->addButtonWithTitle(foundation::localized("OK"), {});
    alert->show();
    activityDidFinish(false);
}
