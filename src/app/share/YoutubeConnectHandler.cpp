#include "app/share/YoutubeConnectHandler.h"

#include "app/core/BundleImage.h"
#include "app/share/ShareConfiguration.h"
#include "components/google/GTMOAuth2SignIn.h"
#include "components/google/signin/GTMOAuth2ViewControllerTouch.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"

#include <QLocale>
#include <tuple>

using foundation::localized;
using foundation::localizedFormat;
using foundation::Value;

YoutubeConnectHandler::YoutubeConnectHandler() {
    std::tie(regionCode, language) = YouTubeUploader::regionAndLanguage(QLocale::system());
    if (auto settings = YouTubeSettings::load(); settings && settings->isSetUp()) settings_ = *settings;
}

YoutubeConnectHandler::~YoutubeConnectHandler() {
    if (uploader_) uploader_->cancel();
}

graphics::Image YoutubeConnectHandler::activityImage() const {
    return bundleImageNamed(kIconName).value_or(graphics::Image());
}

std::vector<std::string> YoutubeConnectHandler::getSupportedUTIs() const { return {kUTTypeQuickTimeMovie}; }

bool YoutubeConnectHandler::isConfigured() const {
    return settings_.has_value() && ShareConfiguration::isYoutubeConfigured();
}

std::shared_ptr<ui::ViewController> YoutubeConnectHandler::activityViewController() {
    if (!isConfigured()) return nullptr;
    ensureUploader();
    return ConnectHandler::activityViewController();
}

std::string YoutubeConnectHandler::notSetUpText() const { return localized(kNotSetUpText); }

std::string YoutubeConnectHandler::captionPlaceholder() const { return localized("Description"); }

YouTubeUploader* YoutubeConnectHandler::ensureUploader() {
    if (!uploader_ && settings_) {
        uploader_ = YouTubeUploader::create(*settings_);
        // A revoked grant signs the account out under the screen's feet.
        std::weak_ptr<ConnectHandler> weak = shared_from_this();
        uploader_->onSignedOut = [weak] {
            auto self = std::static_pointer_cast<YoutubeConnectHandler>(weak.lock());
            if (!self) return;
            self->categories_.clear();
            self->chosenCategory_.reset();
            if (self->delegate_) self->delegate_->connectHandlerDidLogout(*self);
        };
    }
    return uploader_.get();
}

bool YoutubeConnectHandler::isLoggedIn() const { return uploader_ && uploader_->isSignedIn(); }

std::string YoutubeConnectHandler::accountName() const { return uploader_ ? uploader_->accountName() : ""; }

void YoutubeConnectHandler::login() {
    if (!ensureUploader()) return;
    if (uploader_->isSignedIn()) {
        loadAccount();
        return;
    }
    std::weak_ptr<ConnectHandler> weak = shared_from_this();
    auto screen = google::GTMOAuth2ViewControllerTouch::controllerWithScope(
        google::GTMOAuth2SignIn::youTubeScope(), settings_->clientID, settings_->clientSecret,
        YouTubeSettings::kKeychainItemName,
        [weak](google::GTMOAuth2ViewControllerTouch&, const google::GTMOAuth2AuthenticationPtr& auth,
               const std::optional<foundation::Error>& error) {
            if (auto self = std::static_pointer_cast<YoutubeConnectHandler>(weak.lock()))
                self->loginFinished(auth, error);
        });
    if (delegate_) delegate_->connectHandlerShowViewController(*this, screen);
}

void YoutubeConnectHandler::loginFinished(const google::GTMOAuth2AuthenticationPtr& auth,
                                          const std::optional<foundation::Error>& error) {
    if (error) {
        // Closing the sign-in screen is a cancel, not a failure to report.
        std::optional<foundation::Error> reported;
        if (error->code != google::kGTMOAuth2ErrorWindowClosed) reported = error;
        if (delegate_) delegate_->connectHandlerDidFailLogin(*this, reported);
        return;
    }
    uploader_->setAuthorization(auth);
    loadAccount();
}

void YoutubeConnectHandler::loadAccount() {
    if (!ensureUploader() || !uploader_->isSignedIn()) return;
    std::weak_ptr<ConnectHandler> weak = shared_from_this();
    uploader_->loadCategories(regionCode, language, [weak](auto categories, const auto& error) {
        auto self = std::static_pointer_cast<YoutubeConnectHandler>(weak.lock());
        if (!self) return;
        // Without categories the video goes up without one; the account is still there.
        self->categories_ = error ? std::vector<YouTubeUploader::Category>{} : std::move(categories);
        self->chosenCategory_.reset();
        if (!self->categories_.empty()) self->chosenCategory_ = 0;
        if (self->delegate_) self->delegate_->connectHandlerDidLogin(*self);
    });
}

void YoutubeConnectHandler::logout() {
    if (uploader_) uploader_->signOut();
    categories_.clear();
    chosenCategory_.reset();
    if (delegate_) delegate_->connectHandlerDidLogout(*this);
}

std::vector<std::string> YoutubeConnectHandler::getCategories() const {
    std::vector<std::string> titles;
    for (const auto& category : categories_) titles.push_back(category.title);
    return titles;
}

void YoutubeConnectHandler::chooseCategory(size_t index) {
    if (index < categories_.size()) chosenCategory_ = index;
}

std::vector<std::string> YoutubeConnectHandler::privacyChoices() const {
    return {localized("Public"), localized("Unlisted"), localized("Private")};
}

YouTubeUploader::Progress YoutubeConnectHandler::progressReporter() {
    std::weak_ptr<ConnectHandler> weak = shared_from_this();
    return [weak](uint64_t sent, uint64_t total) {
        auto self = weak.lock();
        if (self && self->delegate() && total > 0)
            self->delegate()->connectHandlerUploadProgress(*self,
                                                           static_cast<double>(sent) / static_cast<double>(total));
    };
}

YouTubeUploader::Completion YoutubeConnectHandler::completionReporter() {
    std::weak_ptr<ConnectHandler> weak = shared_from_this();
    return [weak](std::optional<std::string> videoID, const std::optional<foundation::Error>& error) {
        if (auto self = std::static_pointer_cast<YoutubeConnectHandler>(weak.lock()))
            self->uploadFinished(std::move(videoID), error);
    };
}

void YoutubeConnectHandler::uploadFile(const std::string& path, const std::string& title, const std::string& caption,
                                       const std::string&) {
    if (!isLoggedIn()) {
        if (delegate_)
            delegate_->connectHandlerDidFailUpload(*this, foundation::Error("ConnectHandler", 1, notSetUpText()));
        return;
    }
    YouTubeUploader::VideoDetails details;
    details.title = title;
    details.description = appendingShareSignature(caption);
    if (chosenCategory_) details.categoryId = categories_[*chosenCategory_].identifier;
    details.tags = ShareConfiguration::getYoutubeDefaultKeywords();
    const auto& statuses = YouTubeUploader::privacyStatuses();
    details.privacyStatus = privacy_ < statuses.size() ? statuses[privacy_] : std::string();
    uploadedVideoID_.reset();
    uploader_->upload(path, details, progressReporter(), completionReporter());
}

bool YoutubeConnectHandler::canResumeUpload() const { return uploader_ && uploader_->canResume(); }

void YoutubeConnectHandler::resumeUpload() {
    if (canResumeUpload()) uploader_->resume(progressReporter(), completionReporter());
}

void YoutubeConnectHandler::uploadFinished(std::optional<std::string> videoID,
                                           const std::optional<foundation::Error>& error) {
    if (!delegate_) return;
    if (error) {
        delegate_->connectHandlerDidFailUpload(*this, *error);
        return;
    }
    uploadedVideoID_ = std::move(videoID);
    delegate_->connectHandlerDidFinishUpload(*this);
}

void YoutubeConnectHandler::cancel() {
    if (uploader_) uploader_->cancel();
}

std::string YoutubeConnectHandler::uploadingText() const { return localized("Uploading to YouTube…"); }

std::string YoutubeConnectHandler::successText() const {
    return localizedFormat("Your movie was uploaded to YouTube. Video ID: %@", {Value(uploadedVideoID_.value_or(""))});
}
