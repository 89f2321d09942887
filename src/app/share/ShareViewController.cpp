#include "app/share/ShareViewController.h"

#include "app/core/FormatterUtil.h"
#include "app/render/MovieRendererSources.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "app/share/InternetReachability.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/text/TextField.h"

namespace {

constexpr double kWidth = 540;
constexpr double kMargin = 20;
constexpr double kRowHeight = 44;
constexpr double kGap = 10;

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

// The first `limit` bytes, not splitting a character.
std::string utf8Prefix(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace

ShareViewController::ShareViewController(std::shared_ptr<ConnectHandler> handler) : handler_(std::move(handler)) {
    handler_->setDelegate(this);
}

ShareViewController::~ShareViewController() {
    if (handler_->delegate() == this) handler_->setDelegate(nullptr);
    if (renderer_ && renderer_->status() == MovieRenderer::kStatusRendering) renderer_->cancelExport();
}

std::string ShareViewController::typeButtonTitle(const MovieExportType& type, int64_t estimateKilobytes) {
    if (estimateKilobytes == MovieRenderer::kNoEstimate || estimateKilobytes < 0) return type.title();
    const int64_t bytes =
        estimateKilobytes > MovieRenderer::kNoEstimate / 1024 ? MovieRenderer::kNoEstimate : estimateKilobytes * 1024;
    return type.title() + "  " + FormatterUtil::getFormatedFileSize(bytes);
}

std::string ShareViewController::errorText(const foundation::Error& error) {
    std::string text =
        foundation::format("%@ - [%@-%ld]", {foundation::Value(error.localizedDescription()),
                                             foundation::Value(error.domain), foundation::Value(error.code)});
    if (text.size() <= kMaxErrorLength) return text;
    return utf8Prefix(text, kMaxErrorLength - 3) + "...";
}

void ShareViewController::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect(0, 0, kWidth, 560));
    root->setBackgroundColor(kBackground);
    double y = kMargin;
    accountLabel_ = makeLabel(handler_->activityTitle(), y, 17);
    root->addSubview(accountLabel_);
    y += kRowHeight + kGap;
    if (handler_->usesTitleAndCaption()) {
        const std::string name = handler_->project() ? handler_->project()->getName() : std::string();
        titleField_ = makeField(foundation::localized("Title"), name, y);
        root->addSubview(titleField_);
        y += kRowHeight;
        captionField_ = makeField(foundation::localized("Caption"), std::string(), y);
        root->addSubview(captionField_);
        y += kRowHeight + kGap;
    }
    root->addSubview(makeLabel(foundation::localized("Choose a format"), y, 15));
    y += kRowHeight;
    exportTypes_ = handler_->getSupportedExportTypes();
    MovieRendererSources sources(handler_->project());
    for (size_t i = 0; i < exportTypes_.size(); ++i) {
        const MovieExportType& type = exportTypes_[i];
        MovieRendererPtr renderer = sources.getRendererForUTI(type.UTI());
        const int64_t estimate =
            renderer ? renderer->getEstimatedFileSizeAfterExportforType(type) : MovieRenderer::kNoEstimate;
        auto button = ui::makeView<ui::Button>(ui::ButtonType::System,
                                               graphics::Rect(kMargin, y, kWidth - 2 * kMargin, kRowHeight - 4));
        button->setTitle(typeButtonTitle(type, estimate), ui::ControlStateNormal);
        button->setTitleColor(kText, ui::ControlStateNormal);
        button->setBackgroundColor(graphics::Color::grey(0.3));
        button->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
        button->addTarget(
            this, [this, i](ui::Control&) { chooseExportType(i); }, ui::ControlEventTouchUpInside);
        root->addSubview(button);
        typeButtons_.push_back(button);
        y += kRowHeight;
    }
    setView(root);
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
    if (checked_) return;
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

void ShareViewController::showAlert(const std::string& title, const std::string& message, bool thenEnd) {
    auto alert = AlertView::create(title, message);
    std::weak_ptr<ShareViewController> weak = foundation::weakFrom(this);
    alert->addButtonWithTitle(foundation::localized("OK"), [weak, thenEnd](AlertView&, int) {
        if (auto self = weak.lock(); self && thenEnd) self->finish(false);
    });
    alert->show();
}

void ShareViewController::connectHandlerDidLogin(ConnectHandler& handler) {
    if (!accountLabel_) return;
    const std::string account = handler.accountName();
    accountLabel_->setText(account.empty() ? handler.activityTitle() : handler.activityTitle() + " – " + account);
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
    chosenType_ = exportTypes_[index];
    showPanel();
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

void ShareViewController::retryUpload() { upload(); }

void ShareViewController::connectHandlerUploadProgress(ConnectHandler&, double fraction) {
    if (panel_) panel_->setProgress(static_cast<float>(fraction));
}

void ShareViewController::connectHandlerDidFinishUpload(ConnectHandler& handler) {
    if (!panel_) {
        finish(true);
        return;
    }
    panel_->showInfo(handler.successText());
    std::weak_ptr<ShareViewController> weak = foundation::weakFrom(this);
    panel_->setDoneHandler([weak] {
        if (auto self = weak.lock()) self->finish(true);
    });
    panel_->setCancelHandler(nullptr);
}

void ShareViewController::connectHandlerDidFailUpload(ConnectHandler&, const foundation::Error& error) {
    if (!panel_) {
        showAlert(foundation::localized("Error"), errorText(error), true);
        return;
    }
    panel_->showError(errorText(error));
    std::weak_ptr<ShareViewController> weak = foundation::weakFrom(this);
    panel_->navigationItem().setRightBarButtonItem(std::make_shared<ui::BarButtonItem>(
        foundation::localized(kTryAgainTitle), ui::BarButtonItemStyle::Plain, [weak](ui::BarButtonItem&) {
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
    handler_->setDelegate(nullptr);
    // Ending the service closes the sheet and this screen with it.
    auto handler = handler_;
    handler->activityDidFinish(completed);
}
