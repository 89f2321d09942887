#include "platform/library/ActivityViewController.h"

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>

namespace library {

namespace {

constexpr double kTileSize = 60.0;
constexpr double kTileTop = 20.0;
constexpr double kCancelHeight = 50.0;
constexpr double kSideMargin = 16.0;

// One activity: its icon on a rounded tile with the title below.
class ActivityCell : public ui::Control {
public:
    ActivityCell(const graphics::Image& icon, const std::string& title) {
        tile_ = ui::makeView<ui::View>();
        tile_->setBackgroundColor(graphics::Color::grey(0.94));
        tile_->layer().setCornerRadius(14);
        tile_->setUserInteractionEnabled(false);
        addSubview(tile_);

        icon_ = ui::makeView<ui::ImageView>();
        icon_->setImage(icon);
        icon_->setTemplatesByDefault(true);
        icon_->setContentMode(ui::ContentMode::Center);
        icon_->setUserInteractionEnabled(false);
        tile_->addSubview(icon_);

        label_ = ui::makeView<ui::Label>();
        label_->setText(title);
        label_->setFont(graphics::Font::systemFont(12));
        label_->setTextColor(graphics::Color::darkGray());
        label_->setTextAlignment(graphics::TextAlignment::Center);
        label_->setNumberOfLines(2);
        label_->setUserInteractionEnabled(false);
        addSubview(label_);
    }

    ui::Label* label() const { return label_.get(); }

    void layoutSubviews() override {
        const auto bounds = this->bounds();
        tile_->setFrame({(bounds.width() - kTileSize) / 2, kTileTop, kTileSize, kTileSize});
        icon_->setFrame({0, 0, kTileSize, kTileSize});
        label_->setFrame({0, kTileTop + kTileSize + 6, bounds.width(), 34});
    }

protected:
    void stateDidChange() override { tile_->setAlpha(isHighlighted() ? 0.5 : 1.0); }

private:
    ui::ViewPtr tile_;
    std::shared_ptr<ui::ImageView> icon_;
    std::shared_ptr<ui::Label> label_;
};

graphics::Size panelSize(size_t activities) {
    const double width = kSideMargin * 2 + ActivityViewController::kCellWidth * static_cast<double>(activities);
    return {std::clamp(width, 320.0, 540.0), ActivityViewController::kPanelHeight};
}

}  // namespace

ActivityViewController::ActivityViewController(ActivityItems activityItems,
                                               std::vector<std::shared_ptr<Activity>> applicationActivities)
    : activityItems_(std::move(activityItems)), applicationActivities_(std::move(applicationActivities)) {
    std::erase(applicationActivities_, nullptr);
    modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    // A presentation sizes the sheet before its view loads.
    preferredContentSize = panelSize(applicationActivities_.size());
}

ActivityViewController::~ActivityViewController() {
    for (auto& cell : cells_) cell->removeTarget(this, ui::ControlEventAllEvents);
    if (cancelButton_) cancelButton_->removeTarget(this, ui::ControlEventAllEvents);
}

std::vector<std::shared_ptr<Activity>> ActivityViewController::offeredActivities() const {
    std::vector<std::shared_ptr<Activity>> offered;
    for (const auto& activity : applicationActivities_) {
        const auto type = activity->activityType();
        if (std::find(excludedActivityTypes.begin(), excludedActivityTypes.end(), type) != excludedActivityTypes.end())
            continue;
        if (!activity->canPerformWithActivityItems(activityItems_)) continue;
        offered.push_back(activity);
    }
    return offered;
}

void ActivityViewController::loadView() {
    shown_ = offeredActivities();
    preferredContentSize = panelSize(shown_.size());

    auto root = ui::makeView<ui::View>(graphics::Rect{{0, 0}, preferredContentSize});
    root->setBackgroundColor(graphics::Color::white());
    setView(root);

    for (size_t i = 0; i < shown_.size(); ++i) {
        auto cell = std::make_shared<ActivityCell>(shown_[i]->activityImage(), shown_[i]->activityTitle());
        cell->addTarget(
            this, [this, i](ui::Control&) { chooseActivityAtIndex(i); }, ui::ControlEventTouchUpInside);
        root->addSubview(cell);
        cells_.push_back(cell);
    }

    separator_ = ui::makeView<ui::View>();
    separator_->setBackgroundColor(graphics::Color::grey(0.8));
    root->addSubview(separator_);

    cancelButton_ = ui::Button::buttonWithType(ui::ButtonType::System);
    cancelButton_->setTitle(foundation::localized("Cancel"), ui::ControlStateNormal);
    cancelButton_->addTarget(
        this, [this](ui::Control&) { cancel(); }, ui::ControlEventTouchUpInside);
    cancelButton_->setKeyEquivalent(ui::Key::Escape);
    root->addSubview(cancelButton_);
}

void ActivityViewController::viewWillLayoutSubviews() {
    const auto bounds = view()->bounds();
    const double cellHeight = bounds.height() - kCancelHeight;
    // Centred as a group when they fit; a long list starts at the margin and is cut at the right.
    const double rowWidth = kCellWidth * static_cast<double>(cells_.size());
    const double left = std::max(kSideMargin, (bounds.width() - rowWidth) / 2);
    for (size_t i = 0; i < cells_.size(); ++i)
        cells_[i]->setFrame({left + kCellWidth * static_cast<double>(i), 0, kCellWidth, cellHeight});
    separator_->setFrame({0, cellHeight, bounds.width(), 1});
    cancelButton_->setFrame({0, cellHeight + 1, bounds.width(), kCancelHeight - 1});
}

std::vector<ui::Control*> ActivityViewController::activityCells() {
    view();
    std::vector<ui::Control*> cells;
    for (auto& cell : cells_) cells.push_back(cell.get());
    return cells;
}

void ActivityViewController::chooseActivityAtIndex(size_t index) {
    view();
    if (chosen_ || index >= shown_.size()) return;
    chosen_ = true;
    auto activity = shown_[index];
    const std::string type = activity->activityType();
    // The sheet may be gone by the time the activity ends (its presenter
    // releases it once closed), so the handler travels with the activity.
    auto weakSelf = foundation::weakFrom(this);
    activity->finished_ = [weakSelf, handler = completionHandler, type](bool completed) {
        auto self = weakSelf.lock();
        finish(self.get(), handler, type, completed);
    };
    activity->prepareWithActivityItems(activityItems_);

    if (auto screen = activity->activityViewController()) {
        presentViewController(std::move(screen), true);
        return;
    }
    close([activity] { activity->performActivity(); });
}

void ActivityViewController::cancel() {
    if (chosen_) return;
    chosen_ = true;
    close([handler = completionHandler] { finish(nullptr, handler, std::nullopt, false); });
}

void ActivityViewController::close(std::function<void()> then) {
    if (auto* presenter = presentingViewController()) {
        // Takes an activity's screen presented over the sheet with it.
        presenter->dismissViewController(true, std::move(then));
        return;
    }
    auto closeContainer = [container = dismissContainer, then = std::move(then)]() mutable {
        if (container)
            container(std::move(then));
        else
            then();
    };
    // A sheet inside a container presents an activity's screen over the whole
    // window, outside that container: closing the container alone would leave
    // the screen up, answering nothing, over a screen that stays hidden.
    if (presentedViewController()) {
        dismissViewController(true, std::move(closeContainer));
        return;
    }
    closeContainer();
}

void ActivityViewController::finish(ActivityViewController* sheet, const CompletionHandler& handler,
                                    const std::optional<std::string>& activityType, bool completed) {
    if (sheet && sheet->presentedViewController()) {
        // An activity with a screen of its own ends here: the sheet goes with it.
        sheet->close([handler, activityType, completed] {
            if (handler) handler(activityType, completed);
        });
        return;
    }
    if (handler) handler(activityType, completed);
}

}  // namespace library
