#include "app/share/OnlineConnectHandlers.h"

#include "app/core/BundleImage.h"
#include "app/share/ShareConfiguration.h"
#include "app/share/YouTubeUploadViewController.h"
#include "app/widgets/views/NXNavigationController.h"
#include "platform/foundation/Localized.h"

namespace {

graphics::Image icon(const char* name) { return bundleImageNamed(name).value_or(graphics::Image()); }

}  // namespace

std::string OnlineConnectHandler::notSetUpText() const {
    if (!hasCredentials()) return foundation::localizedFormat("%@ is not set up on this computer.", {serviceName()});
    return foundation::localizedFormat("Uploading to %@ is not available in this version.", {serviceName()});
}

void OnlineConnectHandler::uploadFile(const std::string&, const std::string&, const std::string&, const std::string&) {
    if (delegate_)
        delegate_->connectHandlerDidFailUpload(*this, foundation::Error("ConnectHandler", 1, notSetUpText()));
}

std::string OnlineConnectHandler::uploadingText() const {
    return foundation::localizedFormat("Uploading to %@…", {serviceName()});
}

std::string OnlineConnectHandler::successText() const {
    return foundation::localizedFormat("Your movie was uploaded to %@.", {serviceName()});
}

std::string YoutubeConnectHandler::activityTitle() const { return "YouTube"; }
graphics::Image YoutubeConnectHandler::activityImage() const { return icon(kIconName); }
std::vector<std::string> YoutubeConnectHandler::getSupportedUTIs() const { return {kUTTypeQuickTimeMovie}; }
bool YoutubeConnectHandler::hasCredentials() const { return ShareConfiguration::isYoutubeConfigured(); }

std::shared_ptr<ui::ViewController> YoutubeConnectHandler::activityViewController() {
    if (!isConfigured()) return nullptr;
    auto sheet =
        std::make_shared<YouTubeUploadViewController>(project_, YouTubeSettings::load(), renderedMovieSource(project_));
    auto weak = std::weak_ptr<ConnectHandler>(shared_from_this());
    sheet->onFinished = [weak](bool completed) {
        if (auto self = weak.lock()) self->activityDidFinish(completed);
    };
    return std::make_shared<NXNavigationController>(sheet);
}
