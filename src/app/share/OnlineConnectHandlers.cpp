#include "app/share/OnlineConnectHandlers.h"

#include "app/core/BundleImage.h"
#include "app/render/ProjectExportRenderer.h"
#include "app/share/ShareConfiguration.h"
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

std::string DropboxConnectHandler::activityTitle() const { return "Dropbox"; }
graphics::Image DropboxConnectHandler::activityImage() const { return icon(kIconName); }
std::vector<std::string> DropboxConnectHandler::getSupportedUTIs() const {
    return {kUTTypeQuickTimeMovie, kUTTypeGIF, ProjectExportRenderer::kUTI};
}
bool DropboxConnectHandler::hasCredentials() const { return ShareConfiguration::isDropboxConfigured(); }
