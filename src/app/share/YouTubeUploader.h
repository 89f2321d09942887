#pragma once

// What the YouTube upload sheet does apart from its views: the account kept
// in the keychain, the region's categories and the upload of a rendered
// movie with progress, cancel and a resume from what the server holds.
//
//     auto uploader = YouTubeUploader::create(settings);
//     if (!uploader->isSignedIn()) ... sign in, then uploader->setAuthorization(auth) ...
//     uploader->upload(moviePath, details, progress, [](auto videoID, auto error) { ... });
//
// A revoked sign-in (the token refresh is refused) signs the account out:
// its keychain item goes and the owner hears through onSignedOut.

#include "app/share/YouTubeSettings.h"
#include "components/google/GTLServiceYouTube.h"
#include "components/google/GTLUploadParameters.h"
#include "components/google/GTLYouTubeForward.h"
#include "components/google/GTMOAuth2Authentication.h"
#include "platform/foundation/NotificationCenter.h"

#include <QLocale>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class YouTubeUploader : public std::enable_shared_from_this<YouTubeUploader> {
public:
    using OptionalError = std::optional<foundation::Error>;

    static constexpr const char* kMovieMIMEType = "video/quicktime";
    static constexpr const char* kCategoriesPart = "id, snippet";
    static constexpr const char* kInsertPart = "snippet,status";
    // Privacy values the service knows; the sheet offers them in this order.
    static const std::vector<std::string>& privacyStatuses();
    static constexpr size_t kDefaultPrivacyIndex = 2;  // "private"

    struct Category {
        std::string identifier;
        std::string title;
        bool operator==(const Category&) const = default;
    };
    struct VideoDetails {
        std::string title;
        std::string description;
        std::string categoryId;
        // Empty leaves the choice to the service.
        std::string privacyStatus = "private";
        // Keywords the video is found by; none leaves the snippet without tags.
        std::vector<std::string> tags = {};
    };

    static std::shared_ptr<YouTubeUploader> create(const YouTubeSettings& settings);
    ~YouTubeUploader();

    const YouTubeSettings& settings() const { return settings_; }
    const std::shared_ptr<google::GTLServiceYouTube>& service() const { return service_; }

    // Account.
    const google::GTMOAuth2AuthenticationPtr& authorization() const { return auth_; }
    bool isSignedIn() const { return auth_ && auth_->canAuthorize(); }
    std::string accountName() const { return auth_ ? auth_->userEmail() : std::string(); }
    void setAuthorization(google::GTMOAuth2AuthenticationPtr auth);
    // Forgets the account: the keychain item goes and the service signs
    // nothing any more.
    void signOut();
    std::function<void()> onSignedOut;

    // The region and language codes of a locale ("DE", "de"); the C
    // locale, which names neither, gives "US" and "en".
    static std::pair<std::string, std::string> regionAndLanguage(const QLocale& locale);
    // The categories of a region in a language ("US", "en"), assignable
    // ones only, in the service's order.
    void loadCategories(const std::string& regionCode, const std::string& language,
                        std::function<void(std::vector<Category>, OptionalError)> completion);

    // Uploads the movie; progress reports bytes sent of the whole request.
    // The completion runs once with the new video's identifier or an error,
    // unless the upload is cancelled.
    using Progress = std::function<void(uint64_t sent, uint64_t total)>;
    using Completion = std::function<void(std::optional<std::string> videoID, OptionalError error)>;
    void upload(const std::string& moviePath, const VideoDetails& details, Progress progress, Completion completion);
    // After a failure: carries on from what the server holds.
    bool canResume() const;
    void resume(Progress progress, Completion completion);
    void cancel();
    bool isUploading() const { return ticket_ != nullptr; }

    // The video object an upload sends.
    static std::shared_ptr<google::GTLYouTubeVideo> videoObject(const VideoDetails& details);

private:
    explicit YouTubeUploader(YouTubeSettings settings);
    void start(const google::GTLUploadParametersPtr& parameters, Progress progress, Completion completion);

    YouTubeSettings settings_;
    std::shared_ptr<google::GTLServiceYouTube> service_;
    google::GTMOAuth2AuthenticationPtr auth_;
    google::GTLServiceTicketPtr ticket_;
    google::GTLUploadParametersPtr lastUpload_;
    std::shared_ptr<google::GTLYouTubeVideo> lastVideo_;
    bool lastFailed_ = false;
    foundation::ObserverToken refreshFailedToken_;
};
