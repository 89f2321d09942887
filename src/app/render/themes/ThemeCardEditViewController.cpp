#include "app/render/themes/ThemeCardEditViewController.h"

#include "app/core/BundleImage.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProfanityFilter.h"
#include "app/core/SaveFailure.h"
#include "app/core/ShowErrorNotification.h"
#include "app/render/OutlineTexts.h"
#include "app/render/ThemeCard.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/compositing/Animation.h"

#include <algorithm>

namespace {

constexpr const char* kTabletLayout = "ThemeCardEditViewController_iPad";

int64_t themeOf(const FramePtr& frame) {
    auto theme = frame ? frame->getTheme() : nullptr;
    return theme ? theme->themeID() : 0;
}

}  // namespace

ThemeCardEditViewController::ThemeCardEditViewController(std::string nibName, FramePtr andFrame,
                                                         std::shared_ptr<ProjectModel> andProject)
    : frame_(std::move(andFrame)), project_(std::move(andProject)), nibName_(std::move(nibName)) {}

ThemeCardEditViewController::~ThemeCardEditViewController() {
    if (textViewCardEdit_) textViewCardEdit_->setDelegate(nullptr);
}

std::string ThemeCardEditViewController::templateForTheme(int64_t theme) {
    return ThemeCard::textCardTemplateName(theme);
}

void ThemeCardEditViewController::loadView() {
    const bool tablet = nibName_ == kTabletLayout;
    auto root = ui::makeView<ui::View>(graphics::Rect(0, 0, tablet ? 1024 : 568, tablet ? 768 : 320));
    root->setBackgroundColor(graphics::Color::rgb8(24, 22, 30));
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);

    imageViewTextEditBG_ = std::make_shared<ui::ImageView>();
    imageViewTextEditBG_->setContentMode(ui::ContentMode::ScaleAspectFit);
    root->addSubview(imageViewTextEditBG_);

    textView_ = std::make_shared<ui::View>();
    textView_->setBackgroundColor(graphics::Color::grey(1.0, 0.82));
    textView_->layer().setCornerRadius(tablet ? 18 : 10);
    textViewCardEdit_ = std::make_shared<ui::TextView>();
    textViewCardEdit_->setFont(graphics::Font("DejaVu Sans", tablet ? 40 : 22, true));
    textViewCardEdit_->setTextColor(graphics::Color::rgb8(29, 29, 40));
    textViewCardEdit_->setTextAlignment(graphics::TextAlignment::Center);
    textViewCardEdit_->setBackgroundColor(graphics::Color::clear());
    textView_->addSubview(textViewCardEdit_);
    root->addSubview(textView_);

    closeButton_ = ui::Button::buttonWithType(ui::ButtonType::System);
    closeButton_->setTitle(foundation::localized("Done"), ui::ControlStateNormal);
    closeButton_->setTitleColor(graphics::Color::white(), ui::ControlStateNormal);
    closeButton_->setBackgroundColor(graphics::Color::rgb8(212, 3, 215));
    closeButton_->layer().setCornerRadius(8);
    auto weak = foundation::weakFrom(this);
    closeButton_->addTarget(
        this,
        [weak](ui::Control&) {
            if (auto self = weak.lock()) self->actionClose();
        },
        ui::ControlEventTouchUpInside);
    root->addSubview(closeButton_);
    setView(root);
}

void ThemeCardEditViewController::viewDidLayoutSubviews() {
    const graphics::Rect bounds = view()->bounds();
    const bool tablet = nibName_ == kTabletLayout;
    const double margin = tablet ? 40 : 16;
    // The card at 16:9 as large as fits under the close button.
    double top = margin + (tablet ? 44 : 32);
    double width = std::min(bounds.width() - 2 * margin, (bounds.height() - top - margin) * 16 / 9);
    double height = width * 9 / 16;
    graphics::Rect card((bounds.width() - width) / 2, top, width, height);
    imageViewTextEditBG_->setFrame(card);
    graphics::Rect box(card.minX() + card.width() * 0.12, card.minY() + card.height() * 0.3, card.width() * 0.76,
                       card.height() * 0.4);
    textView_->setFrame(box);
    textViewCardEdit_->setFrame(graphics::Rect(8, 8, box.width() - 16, box.height() - 16));
    closeButton_->setFrame(
        graphics::Rect(bounds.width() - margin - 100, margin - (tablet ? 16 : 10), 100, tablet ? 40 : 30));
}

void ThemeCardEditViewController::viewDidLoad() {
    imageViewTextEditBG_->setImage(
        bundleImageNamed(ThemeCard::backgroundImageName(themeOf(frame_))).value_or(graphics::Image()));
    auto theme = frame_ ? frame_->getTheme() : nullptr;
    std::optional<std::string> text = theme ? theme->text() : std::nullopt;
    textViewCardEdit_->setText(text.value_or(foundation::localized(kTapToEdit)));
    textViewCardEdit_->setDelegate(this);
    auto weak = foundation::weakFrom(this);
    auto& center = foundation::NotificationCenter::defaultCenter();
    keyboardShow_ = center.addObserver(kKeyboardWillShowNotification, nullptr, [weak](const foundation::Notification&) {
        if (auto self = weak.lock()) self->keyboardWillMove(-kKeyboardShift);
    });
    keyboardHide_ = center.addObserver(kKeyboardWillHideNotification, nullptr, [weak](const foundation::Notification&) {
        if (auto self = weak.lock()) self->keyboardWillMove(kKeyboardShift);
    });
}

void ThemeCardEditViewController::keyboardWillMove(double shift) {
    auto container = textView_;
    ui::animate(0.25, [container, shift] {
        graphics::Point centre = container->center();
        container->setCenter(graphics::Point{centre.x, centre.y + shift});
    });
}

bool ThemeCardEditViewController::textViewShouldBeginEditing(ui::TextView& textView) {
    if (textView.text() == foundation::localized(kTapToEdit)) textView.setText("");
    return true;
}

void ThemeCardEditViewController::actionClose() {
    textViewCardEdit_->resignFirstResponder();
    std::string filtered = KWProfanityFilter().filterText(textViewCardEdit_->text());
    auto theme = frame_ ? frame_->getTheme() : nullptr;
    if (!theme || theme->text() == filtered) {
        finish();
        return;
    }
    const std::optional<std::string> before = theme->text();
    theme->setText(filtered);
    if (refuseTextTheProjectCannotHold(before)) return;
    int64_t themeID = theme->themeID();
    webRenderer_ = std::make_unique<WebRenderer>();
    auto weak = foundation::weakFrom(this);
    webRenderer_->setHandlerComplete([weak](const graphics::Image& image) {
        if (auto self = weak.lock()) self->updateFrameWithImage(image);
    });
    webRenderer_->setHandlerFailed([weak](const foundation::Error& error) {
        auto self = weak.lock();
        if (!self) return;
        postShowError(error, self.get());
        self->finish();
    });
    webRenderer_->renderContent(templateForTheme(themeID), graphics::Size{800, 600},
                                foundation::Dictionary{{outlinekeys::kMovieName, filtered}},
                                bundleImageNamed(ThemeCard::backgroundImageName(themeID)).value_or(graphics::Image()));
}

bool ThemeCardEditViewController::refuseTextTheProjectCannotHold(const std::optional<std::string>& before) {
    // The card's text stands in the project's list of frames, which has a
    // bound; asked now, before the card is drawn or a file written. Any other
    // failure is the save's to tell.
    foundation::Result<size_t> excess = project_->frameListExcessBytes();
    if (!excess || *excess == 0) return false;
    frame_->getTheme()->setText(before);
    auto alert = AlertView::create(
        foundation::localized("Text Too Long"),
        foundation::localizedFormat("The project cannot hold this text: its texts would be about %@ characters too "
                                    "long. Shorten this text, or delete text cards you no longer need.",
                                    {foundation::Value(uint64_t(*excess))}));
    alert->addButtonWithTitle(foundation::localized("OK"), {});
    alert->show();
    return true;
}

void ThemeCardEditViewController::updateFrameWithImage(const graphics::Image& image) {
    foundation::Status stored = KWImageProducer(project_).storeImage(image, frame_->frameID());
    if (!stored) postShowError(saveFailureError(projectCalled(project_->getName()), stored.error()), this);
    finish();
}

void ThemeCardEditViewController::finish() {
    // The frame editor may close this screen from the handler.
    auto keep = weak_from_this().lock();
    std::function<void(FramePtr)> handler = handlerComplete_;
    FramePtr frame = frame_;
    if (handler) handler(frame);
}
