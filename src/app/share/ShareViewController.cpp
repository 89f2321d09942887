#include "app/share/ShareViewController.h"

#include "app/core/FormatterUtil.h"
#include "app/render/MovieRendererSources.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "app/share/InternetReachability.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Utf8.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/SegmentedControl.h"
#include "platform/ui/text/TextField.h"

#include <algorithm>
#include <filesystem>
#include <numeric>

namespace {

constexpr double kWidth = 540;
constexpr double kMargin = 20;
constexpr double kRowHeight = 44;
constexpr double kGap = 10;
constexpr double kMinRowHeight = 24;

const graphics::Color kBackground = graphics::Color::grey(0.2);
const graphics::Color kText = graphics::Color::white();

std::shared_ptr<ui::Label> makeLabel(const std::string& text, double y, double size) {
    auto label = ui::makeView<ui::Label>(graphics::Rect(kMargin, y, kWidth - 2 * kMargin, kRowHeight));
    label->setText(text);
    label->setFont(graphics::Font::systemFont(size));
    label->setTextColor(kText);
    label->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    return label;
}

std::shared_ptr<ui::TextField> makeField(const std::string& placeholder, const std::string& text, double y) {
    auto field = ui::makeView<ui::TextField>(graphics::Rect(kMargin, y, kWidth - 2 * kMargin, kRowHeight - 8));
    field->setPlaceholder(placeholder);
    field->setText(text);
    field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    field->setBackgroundColor(graphics::Color::white());
    field->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    return field;
}

}  // namespace

ShareViewController::ShareViewController(std::shared_ptr<ConnectHandler> handler) : handler_(std::move(handler)) {
    handler_->setDelegate(this);
}

ShareViewController::~ShareViewController() {
    cancelEstimates();
    if (categorySheet_) categorySheet_->delegate = nullptr;
    if (handler_->delegate() == this) handler_->setDelegate(nullptr);
    if (renderer_ && renderer_->status() == MovieRenderer::kStatusRendering) renderer_->cancelExport();
}

std::string ShareViewController::typeButtonTitle(const MovieExportType& type, int64_t estimateKilobytes) {
    if (estimateKilobytes == MovieRenderer::kNoEstimate || estimateKilobytes < 0) return type.title();
    const int64_t bytes =
        estimateKilobytes > MovieRenderer::kNoEstimate / 1024 ? MovieRenderer::kNoEstimate : estimateKilobytes * 1024;
    return type.title() + "  " + FormatterUtil::getFormatedFileSize(bytes);
}

std::string ShareViewController::errorText(const foundation::Error& error, bool withCode) {
    // A service that speaks in its own words (no codes) says what the user
    // needs in full: which file, where and why.
    if (!withCode) return error.localizedDescription();
    std::string text =
        foundation::format("%@ - [%@-%ld]", {foundation::Value(error.localizedDescription()),
                                             foundation::Value(error.domain), foundation::Value(error.code)});
    if (text.size() <= kMaxErrorLength) return text;
    return foundation::utf8Prefix(text, kMaxErrorLength - 3) + "...";
}

void ShareViewController::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect(0, 0, kWidth, 560));
    root->setBackgroundColor(kBackground);
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    // The navigation bar names the service; only a service with an account
    // has more to say in a heading of its own (who is signed in).
    if (handler_->needsNetwork() || handler_->canLogout()) {
        accountLabel_ = makeLabel(handler_->activityTitle(), 0, 17);
        root->addSubview(accountLabel_);
    }
    if (handler_->canLogout()) {
        signButton_ = ui::makeView<ui::Button>(ui::ButtonType::System, graphics::Rect(0, 0, 110, kRowHeight));
        signButton_->setTitleColor(kText, ui::ControlStateNormal);
        signButton_->addTarget(
            this, [this](ui::Control&) { signInOrOut(); }, ui::ControlEventTouchUpInside);
        root->addSubview(signButton_);
    }
    if (handler_->usesTitleAndCaption()) {
        const std::string name = handler_->project() ? handler_->project()->getName() : std::string();
        titleField_ = makeField(foundation::localized("Title"), name, 0);
        root->addSubview(titleField_);
        captionField_ = makeField(handler_->captionPlaceholder(), std::string(), 0);
        root->addSubview(captionField_);
    }
    if (const std::vector<std::string> privacy = handler_->privacyChoices(); !privacy.empty()) {
        // Categories come with the account; the button waits for them.
        categoryButton_ = ui::makeView<ui::Button>(ui::ButtonType::System, graphics::Rect(0, 0, 100, kRowHeight));
        categoryButton_->setTitleColor(kText, ui::ControlStateNormal);
        categoryButton_->addTarget(
            this, [this](ui::Control&) { chooseCategory(); }, ui::ControlEventTouchUpInside);
        root->addSubview(categoryButton_);
        privacyControl_ = std::make_shared<ui::SegmentedControl>(privacy);
        privacyControl_->setSelectedSegmentIndex(static_cast<int>(handler_->chosenPrivacy()));
        privacyControl_->addTarget(
            this,
            [this](ui::Control&) {
                if (privacyControl_->selectedSegmentIndex() >= 0)
                    handler_->choosePrivacy(static_cast<size_t>(privacyControl_->selectedSegmentIndex()));
            },
            ui::ControlEventValueChanged);
        root->addSubview(privacyControl_);
    }
    formatLabel_ = makeLabel(foundation::localized("Choose a format"), 0, 15);
    root->addSubview(formatLabel_);
    exportTypes_ = handler_->getSupportedExportTypes();
    for (size_t i = 0; i < exportTypes_.size(); ++i) {
        const MovieExportType& type = exportTypes_[i];
        auto button = ui::makeView<ui::Button>(ui::ButtonType::System, graphics::Rect(0, 0, kWidth, kRowHeight));
        button->setTitle(typeButtonTitle(type, MovieRenderer::kNoEstimate), ui::ControlStateNormal);
        button->setTitleColor(kText, ui::ControlStateNormal);
        button->setBackgroundColor(graphics::Color::grey(0.3));
        button->addTarget(
            this, [this, i](ui::Control&) { chooseExportType(i); }, ui::ControlEventTouchUpInside);
        root->addSubview(button);
        typeButtons_.push_back(button);
    }
    setView(root);
    estimated_.assign(exportTypes_.size(), false);
    updateAccount();
}

void ShareViewController::startEstimates() {
    if (!estimates_.empty() || chosenType_ || finished_) return;
    view()->layoutIfNeeded();
    MovieRendererSources sources(handler_->project());
    std::weak_ptr<ShareViewController> weak = foundation::weakFrom(this);
    // The smallest first: most estimates show soon, the largest take longest.
    std::vector<size_t> order(exportTypes_.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
        const graphics::Size x = exportTypes_[a].size(), y = exportTypes_[b].size();
        return x.width * x.height < y.width * y.height;
    });
    for (size_t i : order) {
        if (estimated_[i] || !isTypeShown(i)) continue;
        MovieRendererPtr renderer = sources.getRendererForUTI(exportTypes_[i].UTI());
        if (!renderer) continue;
        auto show = estimatesLife_.guard([weak, i](int64_t kilobytes) {
            auto self = weak.lock();
            if (!self || i >= self->typeButtons_.size()) return;
            self->estimated_[i] = true;
            self->typeButtons_[i]->setTitle(typeButtonTitle(self->exportTypes_[i], kilobytes), ui::ControlStateNormal);
        });
        // The project is read once for every type and every showing.
        if (!estimateBasis_) estimateBasis_ = MovieRenderer::estimateBasisOf(handler_->project());
        estimates_.push_back(renderer->estimateFileSizeAfterExportForType(exportTypes_[i], show, estimateBasis_));
    }
}

bool ShareViewController::isTypeShown(size_t index) {
    const ui::Button& button = *typeButtons_[index];
    return !button.isHidden() && button.frame().intersects(view()->bounds());
}

void ShareViewController::cancelEstimates() {
    for (const foundation::Progress& estimate : estimates_) estimate.cancel();
    estimates_.clear();
    estimatesLife_.revoke();
}

void ShareViewController::viewDidLayoutSubviews() {
    const graphics::Rect bounds = view()->bounds();
    const double width = bounds.size.width - 2 * kMargin;
    // Rows shrink on a short screen, and the export types go two to a row.
    size_t formRows = (accountLabel_ ? 2 : 1) + (titleField_ ? 2 : 0) + (privacyControl_ ? 1 : 0);
    size_t typeColumns = 1;
    if (static_cast<double>(formRows + typeButtons_.size()) * kRowHeight > bounds.size.height - 2 * kMargin &&
        typeButtons_.size() > 1)
        typeColumns = 2;
    const double top = typeColumns > 1 ? kGap : kMargin;
    const double available = bounds.size.height - 2 * top;
    const size_t typeRows = (typeButtons_.size() + typeColumns - 1) / typeColumns;
    const double row = std::clamp(available / static_cast<double>(formRows + typeRows), kMinRowHeight, kRowHeight);
    double y = top;
    if (accountLabel_) {
        const double signWidth = signButton_ ? 110 : 0;
        accountLabel_->setFrame(graphics::Rect(kMargin, y, width - signWidth, row));
        if (signButton_) signButton_->setFrame(graphics::Rect(kMargin + width - signWidth, y, signWidth, row));
        y += row;
    }
    if (titleField_) {
        titleField_->setFrame(graphics::Rect(kMargin, y + 2, width, row - 4));
        y += row;
        captionField_->setFrame(graphics::Rect(kMargin, y + 2, width, row - 4));
        y += row;
    }
    if (privacyControl_) {
        categoryButton_->setFrame(graphics::Rect(kMargin, y + 2, width / 2 - kGap, row - 4));
        privacyControl_->setFrame(graphics::Rect(kMargin + width / 2, y + 2, width / 2, row - 4));
        y += row;
    }
    formatLabel_->setFrame(graphics::Rect(kMargin, y, width, row));
    y += row;
    const double columnWidth = (width - kGap * static_cast<double>(typeColumns - 1)) / static_cast<double>(typeColumns);
    for (size_t i = 0; i < typeButtons_.size(); ++i) {
        const double x = kMargin + static_cast<double>(i % typeColumns) * (columnWidth + kGap);
        typeButtons_[i]->setFrame(
            graphics::Rect(x, y + static_cast<double>(i / typeColumns) * row + 2, columnWidth, row - 4));
    }
}

void ShareViewController::updateAccount() {
    if (accountLabel_) {
        const std::string account = handler_->isLoggedIn() ? handler_->accountName() : std::string();
        if (!account.empty())
            accountLabel_->setText(handler_->activityTitle() + " – " + account);
        else if (signButton_ && !handler_->isLoggedIn())
            accountLabel_->setText(handler_->activityTitle() + " – " + foundation::localized(kNotSignedInText));
        else
            accountLabel_->setText(handler_->activityTitle());
    }
    if (signButton_)
        signButton_->setTitle(foundation::localized(handler_->isLoggedIn() ? "Sign Out" : "Sign In"),
                              ui::ControlStateNormal);
    if (categoryButton_) {
        const std::vector<std::string> categories = handler_->getCategories();
        const std::optional<size_t> chosen = handler_->chosenCategory();
        categoryButton_->setTitle(
            chosen && *chosen < categories.size() ? categories[*chosen] : foundation::localized("Category"),
            ui::ControlStateNormal);
        categoryButton_->setEnabled(!categories.empty());
    }
    const bool usable = !handler_->needsNetwork() || handler_->isLoggedIn();
    for (const auto& button : typeButtons_) button->setEnabled(usable);
}

void ShareViewController::signInOrOut() {
    if (chosenType_ || finished_) return;
    if (handler_->isLoggedIn())
        handler_->logout();
    else
        handler_->login();
}

void ShareViewController::chooseCategory() {
    const std::vector<std::string> categories = handler_->getCategories();
    if (categories.empty() || !categoryButton_) return;
    if (categorySheet_) categorySheet_->delegate = nullptr;
    categorySheet_ = std::make_shared<ui::ActionSheet>(foundation::localized("Category"), this,
                                                       foundation::localized("Cancel"), std::nullopt, categories);
    categorySheet_->showFromRect(categoryButton_->bounds(), categoryButton_.get(), true);
}

void ShareViewController::clickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) {
    const int index = buttonIndex - sheet.firstOtherButtonIndex();
    if (index < 0) return;
    handler_->chooseCategory(static_cast<size_t>(index));
    updateAccount();
}

void ShareViewController::viewDidLoad() {
    setTitle(handler_->activityTitle());
    std::weak_ptr<ShareViewController> weak = foundation::weakFrom(this);
    navigationItem().setLeftBarButtonItem(
        std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Cancel, [weak](ui::BarButtonItem&) {
            if (auto self = weak.lock()) self->cancelSharing();
        }));
}

void ShareViewController::viewDidAppear(bool animated) {
    ui::ViewController::viewDidAppear(animated);
    if (!checked_) {
        checked_ = true;
        // One look at the connection before any request, so an offline user
        // hears why at once instead of after a time-out.
        if (handler_->needsNetwork() && InternetReachability::isOffline()) {
            showAlert(foundation::localized(kOfflineTitle), foundation::localized(kOfflineMessage), true);
            return;
        }
        if (handler_->isLoggedIn()) {
            handler_->loadAccount();
        } else {
            handler_->login();
        }
    }
    // A sign-in may have covered the screen at once.
    if (isVisible()) startEstimates();
}

void ShareViewController::viewWillDisappear(bool animated) {
    ui::ViewController::viewWillDisappear(animated);
    cancelEstimates();
}

void ShareViewController::showAlert(const std::string& title, const std::string& message, bool thenEnd) {
    auto alert = AlertView::create(title, message);
    std::weak_ptr<ShareViewController> weak = foundation::weakFrom(this);
    alert->addButtonWithTitle(foundation::localized("OK"), [weak, thenEnd](AlertView&, int) {
        if (auto self = weak.lock(); self && thenEnd) self->finish(false);
    });
    alert->show();
}

void ShareViewController::connectHandlerDidLogin(ConnectHandler&) { updateAccount(); }

void ShareViewController::connectHandlerDidLogout(ConnectHandler&) { updateAccount(); }

void ShareViewController::connectHandlerShowViewController(ConnectHandler&,
                                                           const std::shared_ptr<ui::ViewController>& screen) {
    if (auto* navigation = navigationController())
        navigation->pushViewController(screen, true);
    else
        presentViewController(screen, true);
}

void ShareViewController::connectHandlerDidFailLogin(ConnectHandler&, const std::optional<foundation::Error>& error) {
    if (!error) {
        finish(false);
        return;
    }
    showAlert(foundation::localized("Error"), errorText(*error), true);
}

void ShareViewController::chooseExportType(size_t index) {
    if (index >= exportTypes_.size() || chosenType_ || finished_) return;
    if (handler_->needsNetwork() && !handler_->isLoggedIn()) return;
    // The render needs the processors more than the estimates left.
    cancelEstimates();
    chosenType_ = exportTypes_[index];
    showPanel();
    prepareAndUpload();
}

void ShareViewController::prepareAndUpload() {
    renderedPath_.reset();
    leftOutText_.reset();
    renderer_ = MovieRendererSources(handler_->project()).getRendererForUTI(chosenType_->UTI());
    if (!renderer_) {
        panel_->showError(
            foundation::format(foundation::localized(kRenderFailedFormat),
                               {foundation::Value(foundation::localized("No renderer for this format."))}));
        return;
    }
    // An output that is still current is shared as it is.
    if (auto prepared = renderer_->getPreparedMovieForExportType(*chosenType_)) {
        renderedPath_ = *prepared;
        upload();
        return;
    }
    startRender();
}

void ShareViewController::shareFile(const MovieExportType& type, const std::string& path) {
    if (chosenType_ || finished_) return;
    if (handler_->needsNetwork() && !handler_->isLoggedIn()) return;
    cancelEstimates();
    chosenType_ = type;
    showPanel();
    renderedPath_ = path;
    upload();
}

void ShareViewController::startRender() {
    std::weak_ptr<ShareViewController> weak = foundation::weakFrom(this);
    MovieRendererPtr renderer = renderer_;
    renderer->exportProjectWithExportType(*chosenType_, [weak, renderer] {
        if (auto self = weak.lock()) self->renderFinished(renderer);
    });
    foundation::RunLoop::main().performAfter(kPollSeconds, [weak, renderer] {
        if (auto self = weak.lock()) self->checkStatusForExporter(renderer);
    });
}

void ShareViewController::showPanel() {
    panel_ =
        std::make_shared<RenderProgressViewController>(RenderProgressViewController::kNibName, handler_->project());
    std::weak_ptr<ShareViewController> weak = foundation::weakFrom(this);
    panel_->setCancelHandler([weak] {
        if (auto self = weak.lock()) self->cancelSharing();
    });
    panel_->showInfo(foundation::localized(kWaitText));
    if (auto* navigation = navigationController()) {
        navigation->pushViewController(panel_, true);
    } else {
        presentViewController(panel_, true);
    }
}

void ShareViewController::checkStatusForExporter(const MovieRendererPtr& renderer) {
    if (renderer != renderer_ || renderer->status() != MovieRenderer::kStatusRendering) return;
    if (panel_) panel_->setProgress(renderer->progress());
    std::weak_ptr<ShareViewController> weak = foundation::weakFrom(this);
    foundation::RunLoop::main().performAfter(kPollSeconds, [weak, renderer] {
        if (auto self = weak.lock()) self->checkStatusForExporter(renderer);
    });
}

void ShareViewController::renderFinished(const MovieRendererPtr& renderer) {
    if (renderer != renderer_ || finished_) return;
    if (renderer->status() == MovieRenderer::kStatusFailed) {
        const foundation::Error error = renderer->error().value_or(
            foundation::Error(MovieRenderer::kErrorDomain, 0, foundation::localized("Unknown error")));
        if (panel_)
            panel_->showError(
                foundation::format(foundation::localized(kRenderFailedFormat), {foundation::Value(errorText(error))}));
        return;
    }
    if (renderer->status() != MovieRenderer::kStatusFinished || !renderer->exportURL()) return;
    renderedPath_ = *renderer->exportURL();
    leftOutText_ = renderer->leftOutText();
    upload();
}

void ShareViewController::upload() {
    if (!renderedPath_ || !chosenType_ || finished_) return;
    if (panel_) {
        panel_->navigationItem().setRightBarButtonItem(nullptr);
        panel_->setProgress(0);
        panel_->showInfo(handler_->uploadingText());
    }
    const std::string title = titleField_ ? titleField_->text() : std::string();
    const std::string caption = captionField_ ? captionField_->text() : std::string();
    handler_->uploadFile(*renderedPath_, title, caption, chosenType_->UTI());
}

void ShareViewController::retryUpload() {
    if (finished_) return;
    if (!handler_->canResumeUpload()) {
        // A file gone since (the render cache emptied) is made again first:
        // sending its name once more could only fail the same way.
        std::error_code ignored;
        if (chosenType_ && renderedPath_ && !std::filesystem::exists(*renderedPath_, ignored)) {
            if (panel_) {
                panel_->navigationItem().setRightBarButtonItem(nullptr);
                panel_->setProgress(0);
                panel_->showInfo(foundation::localized(kWaitText));
            }
            prepareAndUpload();
            return;
        }
        upload();
        return;
    }
    if (panel_) {
        panel_->navigationItem().setRightBarButtonItem(nullptr);
        panel_->showInfo(handler_->uploadingText());
    }
    handler_->resumeUpload();
}

void ShareViewController::connectHandlerUploadProgress(ConnectHandler&, double fraction) {
    if (panel_) panel_->setProgress(static_cast<float>(fraction));
}

void ShareViewController::connectHandlerDidFinishUpload(ConnectHandler& handler) {
    if (!panel_) {
        finish(true);
        return;
    }
    // A save that went without some files is no plain success.
    panel_->showInfo(handler.successText() + (leftOutText_ ? "\n" + *leftOutText_ : std::string()));
    std::weak_ptr<ShareViewController> weak = foundation::weakFrom(this);
    panel_->setDoneHandler([weak] {
        if (auto self = weak.lock()) self->finish(true);
    });
    panel_->setCancelHandler(nullptr);
    if (const std::string action = handler.successActionTitle(); !action.empty()) {
        panel_->navigationItem().setLeftBarButtonItem(std::make_shared<ui::BarButtonItem>(
            action, ui::BarButtonItemStyle::Plain, [weak](ui::BarButtonItem&) {
                if (auto self = weak.lock()) self->handler_->performSuccessAction();
            }));
    }
}

void ShareViewController::connectHandlerDidFailUpload(ConnectHandler& handler, const foundation::Error& error) {
    const std::string text = errorText(error, handler.showsErrorCodes());
    if (!panel_) {
        showAlert(foundation::localized("Error"), text, true);
        return;
    }
    panel_->showError(text);
    std::weak_ptr<ShareViewController> weak = foundation::weakFrom(this);
    panel_->navigationItem().setRightBarButtonItem(std::make_shared<ui::BarButtonItem>(
        foundation::localized(handler_->canResumeUpload() ? kResumeTitle : kTryAgainTitle),
        ui::BarButtonItemStyle::Plain, [weak](ui::BarButtonItem&) {
            if (auto self = weak.lock()) self->retryUpload();
        }));
}

void ShareViewController::cancelSharing() {
    if (renderer_) renderer_->cancelExport();
    handler_->cancel();
    finish(false);
}

void ShareViewController::finish(bool completed) {
    if (finished_) return;
    finished_ = true;
    cancelEstimates();
    handler_->setDelegate(nullptr);
    // Ending the service closes the sheet and this screen with it.
    auto handler = handler_;
    handler->activityDidFinish(completed);
}
