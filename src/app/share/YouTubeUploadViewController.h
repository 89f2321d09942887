#pragma once

// The YouTube upload sheet: the account (sign in, sign out), the video's
// title, description, category of the user's region and privacy (Private
// unless changed), then render and upload with progress; Cancel stops
// either, and after a failure Resume carries on from what the server holds.
// Without settings it only says "YouTube is not set up on this computer."

#include "app/core/ProjectModel.h"
#include "app/share/YouTubeSettings.h"
#include "app/share/YouTubeUploader.h"
#include "platform/foundation/Lifetime.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/ProgressView.h"
#include "platform/ui/controls/SegmentedControl.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// Makes the movie to upload: reports the rendered fraction and ends once
// with the movie's path or an error, unless cancelled.
class YouTubeMovieSource {
public:
    using Progress = std::function<void(double fraction)>;
    using Completion = std::function<void(std::optional<std::string> path, std::optional<foundation::Error> error)>;
    virtual ~YouTubeMovieSource() = default;
    virtual void start(Progress progress, Completion completion) = 0;
    virtual void cancel() = 0;
};

// Renders the project as a QuickTime movie (720p, or the largest size this
// machine makes when that is smaller).
std::shared_ptr<YouTubeMovieSource> renderedMovieSource(ProjectModelPtr project);

class YouTubeUploadViewController : public ui::ViewController, public ui::ActionSheetDelegate {
public:
    using Finished = std::function<void(bool completed)>;

    YouTubeUploadViewController(ProjectModelPtr project, foundation::Result<YouTubeSettings> settings,
                                std::shared_ptr<YouTubeMovieSource> movieSource);
    ~YouTubeUploadViewController() override;

    // Called once when the user closes the sheet (completed after an upload).
    Finished onFinished;
    // The region and language of the category list ("US", "en"); the
    // system locale's unless set.
    std::string regionCode;
    std::string language;

    const std::shared_ptr<YouTubeUploader>& uploader() const { return uploader_; }
    const std::vector<YouTubeUploader::Category>& categories() const { return categories_; }
    std::optional<std::string> uploadedVideoID() const { return uploadedVideoID_; }

    // Views, for tests and the keyboard.
    ui::Label* messageLabel() const { return messageLabel_.get(); }
    ui::Label* accountLabel() const { return accountLabel_.get(); }
    ui::Button* signButton() const { return signButton_.get(); }
    ui::TextField* titleField() const { return titleField_.get(); }
    ui::TextView* descriptionView() const { return descriptionView_.get(); }
    ui::Button* categoryButton() const { return categoryButton_.get(); }
    ui::SegmentedControl* privacyControl() const { return privacyControl_.get(); }
    ui::Button* uploadButton() const { return uploadButton_.get(); }
    ui::Button* cancelButton() const { return cancelButton_.get(); }
    ui::Button* resumeButton() const { return resumeButton_.get(); }
    ui::ProgressView* progressView() const { return progressView_.get(); }
    ui::Label* statusLabel() const { return statusLabel_.get(); }

    // Actions behind the buttons.
    void signInOrOut();
    void chooseCategory();
    void chooseCategoryAtIndex(size_t index);
    void startUpload();
    void cancelWork();
    void resumeUpload();
    void close();

    void loadView() override;
    void viewWillAppear(bool animated) override;
    void viewDidLayoutSubviews() override;
    void clickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) override;

private:
    enum class Phase { Idle, Rendering, Uploading, Failed, Done };

    void updateViews();
    void loadCategories();
    void uploadMovie(const std::string& path);
    void uploadFinished(std::optional<std::string> videoID, const std::optional<foundation::Error>& error);
    void setStatus(const std::string& text);
    YouTubeUploader::VideoDetails details() const;

    ProjectModelPtr project_;
    std::optional<YouTubeSettings> settings_;
    std::string setUpProblem_;
    std::shared_ptr<YouTubeMovieSource> movieSource_;
    std::shared_ptr<YouTubeUploader> uploader_;
    std::vector<YouTubeUploader::Category> categories_;
    std::optional<size_t> chosenCategory_;
    std::optional<std::string> uploadedVideoID_;
    Phase phase_ = Phase::Idle;
    bool hasAppeared_ = false;
    bool finished_ = false;

    std::shared_ptr<ui::Label> messageLabel_, accountLabel_, statusLabel_, titleCaption_, descriptionCaption_;
    std::shared_ptr<ui::Button> signButton_, categoryButton_, uploadButton_, cancelButton_, resumeButton_;
    std::shared_ptr<ui::TextField> titleField_;
    std::shared_ptr<ui::TextView> descriptionView_;
    std::shared_ptr<ui::SegmentedControl> privacyControl_;
    std::shared_ptr<ui::ProgressView> progressView_;
    std::shared_ptr<ui::ActionSheet> categorySheet_;
    foundation::LifeToken life_;
};
