#include "app/share/YouTubeUploader.h"

#include "components/google/GTLQueryYouTube.h"
#include "components/google/GTLYouTubeVideoObjects.h"
#include "components/google/GTMHTTPUploadFetcher.h"
#include "components/google/GTMOAuth2Keychain.h"
#include "components/google/GTMOAuth2SignIn.h"

using google::GTLQueryYouTube;
using google::GTLYouTubeVideo;

const std::vector<std::string>& YouTubeUploader::privacyStatuses() {
    static const std::vector<std::string> statuses = {"public", "unlisted", "private"};
    return statuses;
}

std::shared_ptr<YouTubeUploader> YouTubeUploader::create(const YouTubeSettings& settings) {
    std::shared_ptr<YouTubeUploader> uploader(new YouTubeUploader(settings));
    uploader->setAuthorization(google::GTMOAuth2Keychain::authForGoogleFromKeychainForName(
        YouTubeSettings::kKeychainItemName, settings.clientID, settings.clientSecret));
    std::weak_ptr<YouTubeUploader> weak = uploader;
    uploader->refreshFailedToken_ = foundation::NotificationCenter::defaultCenter().addObserver(
        google::kGTMOAuth2AccessTokenRefreshFailed, nullptr, [weak](const foundation::Notification& note) {
            auto self = weak.lock();
            if (!self || note.object != self->auth_.get()) return;
            // Only a refusal of the grant ends the account; a lost line does not.
            if (note.userInfo.get(google::kGTMOAuth2ErrorMessageKey).stringValue() != "invalid_grant") return;
            self->signOut();
        });
    return uploader;
}

YouTubeUploader::YouTubeUploader(YouTubeSettings settings) : settings_(std::move(settings)) {
    settings_.applyToSignIn();
    service_ = google::GTLServiceYouTube::create(settings_.apiHost());
    service_->setShouldFetchNextPages(true);
    service_->setRetryEnabled(true);
}

YouTubeUploader::~YouTubeUploader() {
    if (ticket_) ticket_->cancelTicket();
}

void YouTubeUploader::setAuthorization(google::GTMOAuth2AuthenticationPtr auth) {
    auth_ = std::move(auth);
    service_->setAuthorizer(auth_);
}

void YouTubeUploader::signOut() {
    google::GTMOAuth2Keychain::removeAuthFromKeychainForName(YouTubeSettings::kKeychainItemName);
    if (auth_) {
        auth_->stopAuthorization();
        auth_->reset();
    }
    if (onSignedOut) onSignedOut();
}

std::pair<std::string, std::string> YouTubeUploader::regionAndLanguage(const QLocale& locale) {
    std::string region = QLocale::territoryToCode(locale.territory()).toStdString();
    std::string language = QLocale::languageToCode(locale.language()).toStdString();
    if (region.empty()) region = "US";
    if (language.empty() || language == "C") language = "en";
    return {region, language};
}

void YouTubeUploader::loadCategories(const std::string& regionCode, const std::string& language,
                                     std::function<void(std::vector<Category>, OptionalError)> completion) {
    auto query = GTLQueryYouTube::queryForVideoCategoriesListWithPart(kCategoriesPart);
    query->setRegionCode(regionCode);
    query->setHl(language);
    service_->executeQuery(query, [completion](const google::GTLServiceTicketPtr&, const google::GTLObjectPtr& object,
                                               const OptionalError& error) {
        std::vector<Category> categories;
        auto list = std::dynamic_pointer_cast<google::GTLYouTubeVideoCategoryListResponse>(object);
        if (!error && list) {
            for (const auto& item :
                 list->items().value_or(std::vector<std::shared_ptr<google::GTLYouTubeVideoCategory>>{})) {
                auto snippet = item->snippet();
                if (!item->identifier() || !snippet || !snippet->title()) continue;
                std::optional<foundation::Value> assignable = snippet->assignable();
                if (assignable && !assignable->asBool(true)) continue;
                categories.push_back({*item->identifier(), *snippet->title()});
            }
        }
        completion(std::move(categories), error);
    });
}

std::shared_ptr<GTLYouTubeVideo> YouTubeUploader::videoObject(const VideoDetails& details) {
    auto snippet = google::GTLYouTubeVideoSnippet::object();
    snippet->setTitle(details.title);
    if (!details.description.empty()) snippet->setDescriptionProperty(details.description);
    if (!details.categoryId.empty()) snippet->setCategoryId(details.categoryId);
    if (!details.tags.empty()) snippet->setTags(details.tags);
    auto status = google::GTLYouTubeVideoStatus::object();
    if (!details.privacyStatus.empty()) status->setPrivacyStatus(details.privacyStatus);
    auto video = GTLYouTubeVideo::object();
    video->setSnippet(snippet);
    video->setStatus(status);
    return video;
}

void YouTubeUploader::upload(const std::string& moviePath, const VideoDetails& details, Progress progress,
                             Completion completion) {
    lastVideo_ = videoObject(details);
    lastUpload_ = google::GTLUploadParameters::uploadParametersWithFileURL(moviePath, kMovieMIMEType);
    start(lastUpload_, std::move(progress), std::move(completion));
}

bool YouTubeUploader::canResume() const { return lastFailed_ && lastUpload_ && lastUpload_->uploadLocationURL(); }

void YouTubeUploader::resume(Progress progress, Completion completion) {
    if (!canResume()) return;
    start(lastUpload_, std::move(progress), std::move(completion));
}

void YouTubeUploader::start(const google::GTLUploadParametersPtr& parameters, Progress progress,
                            Completion completion) {
    lastFailed_ = false;
    auto query =
        GTLQueryYouTube::queryForVideosInsertWithObjectPartUploadParameters(lastVideo_, kInsertPart, parameters);
    std::weak_ptr<YouTubeUploader> weak = weak_from_this();
    ticket_ = service_->executeQuery(
        query, [weak, completion](const google::GTLServiceTicketPtr& ticket, const google::GTLObjectPtr& object,
                                  const OptionalError& error) {
            auto self = weak.lock();
            if (!self) return;
            self->ticket_.reset();
            if (error) {
                // The server keeps what arrived; the next try starts from there.
                auto fetcher = std::dynamic_pointer_cast<google::GTMHTTPUploadFetcher>(ticket->objectFetcher());
                if (fetcher && fetcher->locationURL()) self->lastUpload_->setUploadLocationURL(fetcher->locationURL());
                self->lastFailed_ = true;
                completion(std::nullopt, error);
                return;
            }
            auto video = std::dynamic_pointer_cast<GTLYouTubeVideo>(object);
            completion(video ? video->identifier() : std::nullopt, std::nullopt);
        });
    if (ticket_ && progress)
        ticket_->setUploadProgressBlock(
            [progress](const google::GTLServiceTicketPtr&, uint64_t sent, uint64_t total) { progress(sent, total); });
}

void YouTubeUploader::cancel() {
    if (!ticket_) return;
    google::GTLServiceTicketPtr ticket = std::move(ticket_);
    ticket_.reset();
    // A cancelled upload can be taken up again where the server stands.
    if (auto fetcher = std::dynamic_pointer_cast<google::GTMHTTPUploadFetcher>(ticket->objectFetcher());
        fetcher && fetcher->locationURL()) {
        lastUpload_->setUploadLocationURL(fetcher->locationURL());
        lastFailed_ = true;
    }
    ticket->cancelTicket();
}
