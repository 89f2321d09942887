#include "app/screens/PassCodeViewController.h"

#include "app/core/DataManager.h"
#include "app/widgets/views/AccentColor.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"

namespace {

constexpr double kKeySize = 64.0;
constexpr double kKeyGap = 12.0;
constexpr double kMarkSize = 18.0;
constexpr double kMarkGap = 24.0;

}  // namespace

PassCodeViewController::PassCodeViewController(std::string nibName) : ui::ViewController(std::move(nibName)) {
    auto stored = DataManager::sharedDataManager().passCode();
    mode_ = (stored && !stored->empty()) ? Mode::Check : Mode::Set;
    setTitle(foundation::localized("Pass Code"));
}

PassCodeViewController::~PassCodeViewController() {
    for (auto& key : digits_) {
        if (key) key->removeTarget(this, ui::ControlEventAllEvents);
    }
    if (deleteButton_) deleteButton_->removeTarget(this, ui::ControlEventAllEvents);
}

void PassCodeViewController::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect{{0, 0}, preferredContentSize});
    root->setBackgroundColor(graphics::Color::white());
    setView(root);

    prompt_ = ui::makeView<ui::Label>();
    prompt_->setFont(graphics::Font::boldSystemFont(20));
    prompt_->setTextAlignment(graphics::TextAlignment::Center);
    root->addSubview(prompt_);

    message_ = ui::makeView<ui::Label>();
    message_->setFont(graphics::Font::systemFont(15));
    message_->setTextColor(graphics::Color::rgb(0.8, 0.1, 0.1));
    message_->setTextAlignment(graphics::TextAlignment::Center);
    root->addSubview(message_);

    for (auto& mark : marks_) {
        mark = ui::makeView<ui::View>(graphics::Rect{0, 0, kMarkSize, kMarkSize});
        mark->layer().setCornerRadius(kMarkSize / 2);
        mark->layer().setBorderWidth(2);
        mark->layer().setBorderColor(kAccentColor);
        root->addSubview(mark);
    }

    for (int digit = 0; digit < 10; ++digit) {
        auto key = std::make_shared<ui::Button>(ui::ButtonType::System);
        key->setTitle(std::to_string(digit), ui::ControlStateNormal);
        key->titleLabel()->setFont(graphics::Font::systemFont(28));
        key->layer().setCornerRadius(kKeySize / 2);
        key->layer().setBorderWidth(1);
        key->layer().setBorderColor(kAccentColor);
        key->addTarget(
            this, [this, digit](ui::Control&) { enterDigit(digit); }, ui::ControlEventTouchUpInside);
        // The keyboard's digits press the keypad's keys.
        key->setKeyEquivalent(std::to_string(digit));
        root->addSubview(key);
        digits_[static_cast<size_t>(digit)] = key;
    }
    deleteButton_ = std::make_shared<ui::Button>(ui::ButtonType::System);
    deleteButton_->setTitle(foundation::localized("Delete"), ui::ControlStateNormal);
    deleteButton_->addTarget(
        this, [this](ui::Control&) { deleteDigit(); }, ui::ControlEventTouchUpInside);
    deleteButton_->setKeyEquivalent(ui::Key::Backspace);
    root->addSubview(deleteButton_);
}

void PassCodeViewController::viewDidLoad() {
    navigationItem().setLeftBarButtonItem(
        std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Cancel, [this](ui::BarButtonItem&) { cancel(); }));
    updatePrompt();
    updateMarks();
}

void PassCodeViewController::viewWillLayoutSubviews() {
    const auto bounds = view()->bounds();
    const double midX = bounds.width() / 2;
    prompt_->setFrame({0, 24, bounds.width(), 28});
    message_->setFrame({0, 56, bounds.width(), 22});

    const double marksWidth = kCodeLength * kMarkSize + (kCodeLength - 1) * kMarkGap;
    for (size_t i = 0; i < kCodeLength; ++i) {
        marks_[i]->setFrame({midX - marksWidth / 2 + i * (kMarkSize + kMarkGap), 92, kMarkSize, kMarkSize});
    }

    // A telephone keypad: 1-9 in three rows, then 0 in the middle of the last.
    const double padWidth = 3 * kKeySize + 2 * kKeyGap;
    const double left = midX - padWidth / 2;
    const double top = 130;
    auto place = [&](ui::View& key, int row, int column) {
        key.setFrame({left + column * (kKeySize + kKeyGap), top + row * (kKeySize + kKeyGap), kKeySize, kKeySize});
    };
    for (int digit = 1; digit <= 9; ++digit)
        place(*digits_[static_cast<size_t>(digit)], (digit - 1) / 3, (digit - 1) % 3);
    place(*digits_[0], 3, 1);
    place(*deleteButton_, 3, 2);
}

ui::Button* PassCodeViewController::digitButton(int digit) const {
    if (digit < 0 || digit > 9) return nullptr;
    return digits_[static_cast<size_t>(digit)].get();
}

size_t PassCodeViewController::filledMarks() const { return entered_.size(); }

void PassCodeViewController::enterDigit(int digit) {
    if (finished_ || digit < 0 || digit > 9 || entered_.size() >= kCodeLength) return;
    entered_.push_back(static_cast<char>('0' + digit));
    if (message_) message_->setText({});
    updateMarks();
    if (entered_.size() == kCodeLength) finishStep();
}

void PassCodeViewController::deleteDigit() {
    if (finished_ || entered_.empty()) return;
    entered_.pop_back();
    updateMarks();
}

void PassCodeViewController::cancel() { finish(false); }

void PassCodeViewController::finishStep() {
    std::string code;
    code.swap(entered_);
    switch (mode_) {
        case Mode::Set:
            firstEntry_ = code;
            mode_ = Mode::Confirm;
            break;
        case Mode::Confirm:
            if (code == firstEntry_) {
                auto& settings = DataManager::sharedDataManager();
                settings.setPassCode(code);
                DataManager::saveState();
                finish(true);
                return;
            }
            firstEntry_.clear();
            mode_ = Mode::Set;
            if (message_) message_->setText(foundation::localized("The pass codes did not match. Please try again."));
            break;
        case Mode::Check:
            if (code == DataManager::sharedDataManager().passCode().value_or("")) {
                finish(true);
                return;
            }
            if (message_) message_->setText(foundation::localized("Wrong pass code. Please try again."));
            break;
    }
    updatePrompt();
    updateMarks();
}

void PassCodeViewController::finish(bool accepted) {
    if (finished_) return;
    finished_ = true;
    // The presenter usually dismisses (and may release) this screen in the handler.
    auto handler = std::move(completionHandler_);
    completionHandler_ = nullptr;
    if (handler) handler(accepted);
}

void PassCodeViewController::updateMarks() {
    for (size_t i = 0; i < kCodeLength; ++i) {
        if (marks_[i]) marks_[i]->setBackgroundColor(i < entered_.size() ? std::optional(kAccentColor) : std::nullopt);
    }
}

void PassCodeViewController::updatePrompt() {
    if (!prompt_) return;
    switch (mode_) {
        case Mode::Set:
            prompt_->setText(foundation::localized("Enter a new pass code"));
            break;
        case Mode::Confirm:
            prompt_->setText(foundation::localized("Enter the new pass code again"));
            break;
        case Mode::Check:
            prompt_->setText(foundation::localized("Enter your pass code"));
            break;
    }
}
