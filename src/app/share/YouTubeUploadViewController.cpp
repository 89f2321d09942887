#include "app/share/YouTubeUploadViewController.h"

#include "app/share/ShareConfiguration.h"
#include "components/google/GTMOAuth2SignIn.h"
#include "components/google/signin/GTMOAuth2ViewControllerTouch.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <tuple>

using foundation::localized;
using foundation::localizedFormat;
using foundation::Value;
using graphics::Rect;

namespace {

constexpr double kMargin = 16;
constexpr double kRow = 32;
constexpr double kGap = 8;

std::shared_ptr<ui::Label> makeLabel(const std::string& text, double size = 15) {
    auto label = std::make_shared<ui::Label>();
    label->setText(text);
    label->setFont(graphics::Font::systemFont(size));
    return label;
}

std::shared_ptr<ui::Button> makeButton(const std::string& title) {
    auto button = std::make_shared<ui::Button>(ui::ButtonType::System);
    button->setTitle(title, ui::ControlStateNormal);
    return button;
}

}  // namespace

YouTubeUploadViewController::YouTubeUploadViewController(ProjectModelPtr project,
                                                         foundation::Result<YouTubeSettings> settings,
                                                         std::shared_ptr<YouTubeMovieSource> movieSource)
    : project_(std::move(project)), movieSource_(std::move(movieSource)) {
    setTitle("YouTube");
    std::tie(regionCode, language) = YouTubeUploader::regionAndLanguage(QLocale::system());
    if (!settings)
        setUpProblem_ = settings.error().description;
    else if (!settings->isSetUp())
        setUpProblem_ = localized(YouTubeSettings::kNotSetUpMessage);
    else
        settings_ = *settings;
}

YouTubeUploadViewController::~YouTubeUploadViewController() {
    if (categorySheet_) categorySheet_->delegate = nullptr;
    if (movieSource_ && phase_ == Phase::Rendering) movieSource_->cancel();
}

// Views.

void YouTubeUploadViewController::loadView() {
    auto root = std::make_shared<ui::View>(Rect(0, 0, 1024, 724));
    root->setBackgroundColor(graphics::Color::white());
    auto add = [&](const std::shared_ptr<ui::View>& view) { root->addSubview(view); };
    auto onTap = [this](const std::shared_ptr<ui::Button>& button, void (YouTubeUploadViewController::*action)()) {
        button->addTarget(
            this, [this, action](ui::Control&) { (this->*action)(); }, ui::ControlEventTouchUpInside);
    };

    messageLabel_ = makeLabel(setUpProblem_, 17);
    messageLabel_->setNumberOfLines(0);
    messageLabel_->setTextAlignment(graphics::TextAlignment::Center);
    add(messageLabel_);

    accountLabel_ = makeLabel("");
    signButton_ = makeButton("");
    onTap(signButton_, &YouTubeUploadViewController::signInOrOut);
    titleCaption_ = makeLabel(localized("Title"));
    titleField_ = std::make_shared<ui::TextField>();
    titleField_->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    titleField_->setPlaceholder(localized("Title"));
    titleField_->setText(project_ ? project_->getName() : std::string());
    descriptionCaption_ = makeLabel(localized("Description"));
    descriptionView_ = std::make_shared<ui::TextView>();
    descriptionView_->layer().setBorderWidth(1);
    descriptionView_->layer().setBorderColor(graphics::Color::grey(0.8));
    descriptionView_->layer().setCornerRadius(5);
    categoryButton_ = makeButton(localized("Category"));
    onTap(categoryButton_, &YouTubeUploadViewController::chooseCategory);
    privacyControl_ = std::make_shared<ui::SegmentedControl>(
        std::vector<std::string>{localized("Public"), localized("Unlisted"), localized("Private")});
    privacyControl_->setSelectedSegmentIndex(static_cast<int>(YouTubeUploader::kDefaultPrivacyIndex));
    uploadButton_ = makeButton(localized("Upload"));
    onTap(uploadButton_, &YouTubeUploadViewController::startUpload);
    cancelButton_ = makeButton(localized("Cancel"));
    onTap(cancelButton_, &YouTubeUploadViewController::cancelWork);
    resumeButton_ = makeButton(localized("Resume"));
    onTap(resumeButton_, &YouTubeUploadViewController::resumeUpload);
    progressView_ = std::make_shared<ui::ProgressView>();
    statusLabel_ = makeLabel("", 14);
    statusLabel_->setNumberOfLines(2);
    for (const std::shared_ptr<ui::View>& view : std::initializer_list<std::shared_ptr<ui::View>>{
             accountLabel_, signButton_, titleCaption_, titleField_, descriptionCaption_, descriptionView_,
             categoryButton_, privacyControl_, uploadButton_, cancelButton_, resumeButton_, progressView_,
             statusLabel_})
        add(view);
    setView(root);

    auto done =
        std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Done, [this](ui::BarButtonItem&) { close(); });
    navigationItem().setRightBarButtonItem(done);
    updateViews();
}

void YouTubeUploadViewController::viewDidLayoutSubviews() {
    const Rect bounds = view()->bounds();
    const double width = bounds.size.width - 2 * kMargin;
    const double captionWidth = 100;
    const double fieldX = kMargin + captionWidth;
    const double fieldWidth = width - captionWidth;
    double y = kGap;
    messageLabel_->setFrame(Rect(kMargin, 0, width, bounds.size.height / 2));
    accountLabel_->setFrame(Rect(kMargin, y, width - 120, kRow));
    signButton_->setFrame(Rect(bounds.size.width - kMargin - 110, y, 110, kRow));
    y += kRow + kGap;
    titleCaption_->setFrame(Rect(kMargin, y, captionWidth, kRow));
    titleField_->setFrame(Rect(fieldX, y, fieldWidth, kRow));
    y += kRow + kGap;
    const double descriptionHeight = std::clamp(bounds.size.height - 250, 40.0, 200.0);
    descriptionCaption_->setFrame(Rect(kMargin, y, captionWidth, kRow));
    descriptionView_->setFrame(Rect(fieldX, y, fieldWidth, descriptionHeight));
    y += descriptionHeight + kGap;
    categoryButton_->setFrame(Rect(kMargin, y, width / 2 - kGap, kRow));
    privacyControl_->setFrame(Rect(kMargin + width / 2, y, width / 2, kRow));
    y += kRow + kGap;
    const double buttonWidth = 100;
    uploadButton_->setFrame(Rect(kMargin, y, buttonWidth, kRow));
    cancelButton_->setFrame(Rect(kMargin + buttonWidth + kGap, y, buttonWidth, kRow));
    resumeButton_->setFrame(Rect(kMargin + 2 * (buttonWidth + kGap), y, buttonWidth, kRow));
    const double progressX = kMargin + 3 * (buttonWidth + kGap);
    progressView_->setFrame(Rect(progressX, y + kRow / 2 - 2, std::max(40.0, kMargin + width - progressX), 4));
    y += kRow + kGap / 2;
    statusLabel_->setFrame(Rect(kMargin, y, width, 2 * kRow - kGap));
}

void YouTubeUploadViewController::updateViews() {
    if (!isViewLoaded()) return;
    const bool usable = settings_.has_value();
    messageLabel_->setHidden(usable);
    for (ui::View* view : std::initializer_list<ui::View*>{
             accountLabel_.get(), signButton_.get(), titleCaption_.get(), titleField_.get(), descriptionCaption_.get(),
             descriptionView_.get(), categoryButton_.get(), privacyControl_.get(), uploadButton_.get(),
             cancelButton_.get(), resumeButton_.get(), progressView_.get(), statusLabel_.get()})
        view->setHidden(!usable);
    if (!usable) return;

    const bool signedIn = uploader_ && uploader_->isSignedIn();
    const bool busy = phase_ == Phase::Rendering || phase_ == Phase::Uploading;
    accountLabel_->setText(signedIn ? localizedFormat("Account: %@", {Value(uploader_->accountName())})
                                    : localized("Not signed in"));
    signButton_->setTitle(signedIn ? localized("Sign Out") : localized("Sign In"), ui::ControlStateNormal);
    signButton_->setEnabled(!busy);
    categoryButton_->setTitle(chosenCategory_ ? categories_[*chosenCategory_].title : localized("Category"),
                              ui::ControlStateNormal);
    categoryButton_->setEnabled(!busy && !categories_.empty());
    uploadButton_->setEnabled(signedIn && !busy && phase_ != Phase::Done);
    cancelButton_->setHidden(!busy);
    resumeButton_->setHidden(!(phase_ == Phase::Failed && uploader_ && uploader_->canResume()));
    progressView_->setHidden(!busy && phase_ != Phase::Failed && phase_ != Phase::Done);
}

void YouTubeUploadViewController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    if (hasAppeared_ || !settings_) return;
    hasAppeared_ = true;
    uploader_ = YouTubeUploader::create(*settings_);
    auto weak = foundation::weakFrom(this);
    uploader_->onSignedOut = [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->categories_.clear();
        self->chosenCategory_.reset();
        self->setStatus(localized("Your YouTube sign-in has ended. Please sign in again."));
        self->updateViews();
    };
    updateViews();
    if (uploader_->isSignedIn()) loadCategories();
}

void YouTubeUploadViewController::setStatus(const std::string& text) {
    if (statusLabel_) statusLabel_->setText(text);
}

// Account and categories.

void YouTubeUploadViewController::signInOrOut() {
    if (!uploader_) return;
    if (uploader_->isSignedIn()) {
        uploader_->signOut();
        setStatus("");
        return;
    }
    auto weak = foundation::weakFrom(this);
    auto screen = google::GTMOAuth2ViewControllerTouch::controllerWithScope(
        google::GTMOAuth2SignIn::youTubeScope(), settings_->clientID, settings_->clientSecret,
        YouTubeSettings::kKeychainItemName,
        [weak](google::GTMOAuth2ViewControllerTouch&, const google::GTMOAuth2AuthenticationPtr& auth,
               const std::optional<foundation::Error>& error) {
            auto self = weak.lock();
            if (!self) return;
            if (error) {
                if (error->code != google::kGTMOAuth2ErrorWindowClosed)
                    self->setStatus(localizedFormat("Signing in failed: %@", {Value(error->description)}));
                return;
            }
            self->uploader_->setAuthorization(auth);
            self->setStatus("");
            self->updateViews();
            self->loadCategories();
        });
    if (ui::NavigationController* navigation = navigationController()) navigation->pushViewController(screen, true);
}

void YouTubeUploadViewController::loadCategories() {
    auto weak = foundation::weakFrom(this);
    uploader_->loadCategories(regionCode, language, [weak](auto categories, const auto& error) {
        auto self = weak.lock();
        if (!self) return;
        if (error) {
            self->setStatus(localizedFormat("The categories could not be loaded: %@", {Value(error->description)}));
            return;
        }
        self->categories_ = std::move(categories);
        self->chosenCategory_.reset();
        if (!self->categories_.empty()) self->chosenCategory_ = 0;
        self->updateViews();
    });
}

void YouTubeUploadViewController::chooseCategory() {
    if (categories_.empty()) return;
    std::vector<std::string> titles;
    for (const auto& category : categories_) titles.push_back(category.title);
    categorySheet_ =
        std::make_shared<ui::ActionSheet>(localized("Category"), this, localized("Cancel"), std::nullopt, titles);
    categorySheet_->showFromRect(categoryButton_->bounds(), categoryButton_.get(), true);
}

void YouTubeUploadViewController::clickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) {
    int first = sheet.firstOtherButtonIndex();
    if (buttonIndex >= first && buttonIndex - first < static_cast<int>(categories_.size()))
        chooseCategoryAtIndex(static_cast<size_t>(buttonIndex - first));
}

void YouTubeUploadViewController::chooseCategoryAtIndex(size_t index) {
    if (index >= categories_.size()) return;
    chosenCategory_ = index;
    updateViews();
}

// Rendering and uploading.

YouTubeUploader::VideoDetails YouTubeUploadViewController::details() const {
    YouTubeUploader::VideoDetails details;
    details.title = titleField_->text();
    details.description = appendingShareSignature(descriptionView_->text());
    if (chosenCategory_) details.categoryId = categories_[*chosenCategory_].identifier;
    details.tags = ShareConfiguration::getYoutubeDefaultKeywords();
    int privacy = privacyControl_->selectedSegmentIndex();
    details.privacyStatus = privacy >= 0 && privacy < static_cast<int>(YouTubeUploader::privacyStatuses().size())
                                ? YouTubeUploader::privacyStatuses()[static_cast<size_t>(privacy)]
                                : std::string();
    return details;
}

void YouTubeUploadViewController::startUpload() {
    if (!uploader_ || !uploader_->isSignedIn() || phase_ == Phase::Rendering || phase_ == Phase::Uploading) return;
    if (titleField_->text().empty()) {
        setStatus(localized("Please give the video a title."));
        return;
    }
    phase_ = Phase::Rendering;
    progressView_->setProgress(0);
    setStatus(localized("Rendering the movie…"));
    updateViews();
    auto weak = foundation::weakFrom(this);
    movieSource_->start(
        [weak](double fraction) {
            if (auto self = weak.lock(); self && self->phase_ == Phase::Rendering)
                self->progressView_->setProgress(fraction);
        },
        [weak](std::optional<std::string> path, std::optional<foundation::Error> error) {
            auto self = weak.lock();
            if (!self || self->phase_ != Phase::Rendering) return;
            if (!path) {
                self->phase_ = Phase::Idle;
                self->setStatus(localizedFormat("The movie could not be rendered: %@",
                                                {Value(error ? error->description : std::string())}));
                self->updateViews();
                return;
            }
            self->uploadMovie(*path);
        });
}

void YouTubeUploadViewController::uploadMovie(const std::string& path) {
    phase_ = Phase::Uploading;
    progressView_->setProgress(0);
    setStatus(localized("Uploading…"));
    updateViews();
    auto weak = foundation::weakFrom(this);
    auto progress = [weak](uint64_t sent, uint64_t total) {
        auto self = weak.lock();
        if (!self || total == 0) return;
        double fraction = static_cast<double>(sent) / static_cast<double>(total);
        self->progressView_->setProgress(fraction);
        self->setStatus(localizedFormat("Uploading… %@ %%", {Value(static_cast<int64_t>(std::floor(fraction * 100)))}));
    };
    uploader_->upload(path, details(), progress, [weak](auto videoID, const auto& error) {
        if (auto self = weak.lock()) self->uploadFinished(std::move(videoID), error);
    });
}

void YouTubeUploadViewController::resumeUpload() {
    if (!uploader_ || !uploader_->canResume() || phase_ != Phase::Failed) return;
    phase_ = Phase::Uploading;
    setStatus(localized("Uploading…"));
    updateViews();
    auto weak = foundation::weakFrom(this);
    uploader_->resume(
        [weak](uint64_t sent, uint64_t total) {
            auto self = weak.lock();
            if (self && total > 0) self->progressView_->setProgress(static_cast<double>(sent) / total);
        },
        [weak](auto videoID, const auto& error) {
            if (auto self = weak.lock()) self->uploadFinished(std::move(videoID), error);
        });
}

void YouTubeUploadViewController::uploadFinished(std::optional<std::string> videoID,
                                                 const std::optional<foundation::Error>& error) {
    if (error) {
        phase_ = Phase::Failed;
        setStatus(localizedFormat("The upload failed: %@", {Value(error->description)}));
    } else {
        phase_ = Phase::Done;
        uploadedVideoID_ = videoID;
        progressView_->setProgress(1);
        setStatus(localizedFormat("Uploaded. Video ID: %@", {Value(videoID.value_or(""))}));
    }
    updateViews();
}

void YouTubeUploadViewController::cancelWork() {
    if (phase_ == Phase::Rendering) {
        movieSource_->cancel();
        phase_ = Phase::Idle;
    } else if (phase_ == Phase::Uploading) {
        uploader_->cancel();
        phase_ = uploader_->canResume() ? Phase::Failed : Phase::Idle;
    } else {
        return;
    }
    setStatus(localized("Cancelled."));
    updateViews();
}

void YouTubeUploadViewController::close() {
    cancelWork();
    if (finished_) return;
    finished_ = true;
    if (onFinished) onFinished(phase_ == Phase::Done);
}
