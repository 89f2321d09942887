#pragma once

// The YouTube share service on the one share screen: the account kept in
// the keychain (signing in pushes the sign-in screen over the share screen,
// signing out forgets it), the region's categories, a privacy choice
// (Private unless changed), and the upload of the rendered movie with its
// description signed. After a failed upload the service resumes from what
// the server holds instead of sending the movie again. Without credentials
// it stays on the sheet and says "YouTube is not set up on this computer."

#include "app/share/ConnectHandler.h"
#include "app/share/YouTubeSettings.h"
#include "app/share/YouTubeUploader.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class YoutubeConnectHandler : public ConnectHandler {
public:
    static inline const char* kActivityType = "com.marrowick.tollivar.activity.youtube";
    static inline const char* kIconName = "share_icon_youtube";
    static inline const char* kNotSetUpText = "YouTube is not set up on this computer.";
    static inline const char* kSignedOutText = "Your YouTube sign-in has ended. Please sign in again.";

    YoutubeConnectHandler();
    ~YoutubeConnectHandler() override;

    std::string activityType() const override { return kActivityType; }
    std::string activityTitle() const override { return "YouTube"; }
    graphics::Image activityImage() const override;
    std::vector<std::string> getSupportedUTIs() const override;

    bool isConfigured() const override;
    // The share screen, with the account in the keychain already read.
    std::shared_ptr<ui::ViewController> activityViewController() override;
    std::string notSetUpText() const override;
    bool needsNetwork() const override { return true; }
    std::string captionPlaceholder() const override;

    bool isLoggedIn() const override;
    bool canLogout() const override { return true; }
    void login() override;
    // Loads the region's categories, then reports the account.
    void loadAccount() override;
    void logout() override;
    std::string accountName() const override;

    std::vector<std::string> getCategories() const override;
    void chooseCategory(size_t index) override;
    std::optional<size_t> chosenCategory() const override { return chosenCategory_; }
    std::vector<std::string> privacyChoices() const override;
    void choosePrivacy(size_t index) override { privacy_ = index; }
    size_t chosenPrivacy() const override { return privacy_; }

    void uploadFile(const std::string& path, const std::string& title, const std::string& caption,
                    const std::string& typeIdentifier) override;
    bool canResumeUpload() const override;
    void resumeUpload() override;
    void cancel() override;
    std::string uploadingText() const override;
    std::string successText() const override;

    // The region and language of the category list ("US", "en"); the
    // system locale's unless set.
    std::string regionCode;
    std::string language;

    // Null until the screen asked for the account (or without settings).
    const std::shared_ptr<YouTubeUploader>& uploader() const { return uploader_; }
    const std::optional<std::string>& uploadedVideoID() const { return uploadedVideoID_; }

private:
    YouTubeUploader* ensureUploader();
    void loginFinished(const google::GTMOAuth2AuthenticationPtr& auth, const std::optional<foundation::Error>& error);
    void uploadFinished(std::optional<std::string> videoID, const std::optional<foundation::Error>& error);
    YouTubeUploader::Progress progressReporter();
    YouTubeUploader::Completion completionReporter();

    std::optional<YouTubeSettings> settings_;
    std::shared_ptr<YouTubeUploader> uploader_;
    std::vector<YouTubeUploader::Category> categories_;
    std::optional<size_t> chosenCategory_;
    size_t privacy_ = YouTubeUploader::kDefaultPrivacyIndex;
    std::optional<std::string> uploadedVideoID_;
};
