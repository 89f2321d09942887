#include "app/screens/PassCodeViewController.h"

#include "app/core/DataManager.h"
#include "app/widgets/views/AccentColor.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kKeySize = 64.0;
constexpr double kKeyGap = 12.0;
constexpr double kMarkSize = 18.0;
constexpr double kMarkGap = 24.0;
// Beside the keypad: the texts' margins and the room between them and the marks.
constexpr double kSideMargin = 16.0;
constexpr double kLineGap = 8.0;

// The keypad's four rows of keys `key` high.
double padHeight(double key) { return 4 * key + 3 * kKeyGap; }

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
    prompt_->setNumberOfLines(2);
    root->addSubview(prompt_);

    message_ = ui::makeView<ui::Label>();
    message_->setNumberOfLines(2);
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
    // Under the prompt where the screen is tall enough for the keypad (a
    // tablet's sheet); beside it on a phone's landscape screen, keys as
    // large as its height allows.
    const double tallPadTop = 130;
    const bool beside = bounds.height() < tallPadTop + padHeight(kKeySize) + kKeyGap;
    if (!beside) {
        const double midX = bounds.width() / 2;
        prompt_->setFrame({0, 24, bounds.width(), 28});
        message_->setFrame({0, 56, bounds.width(), 22});
        placeMarks(midX, 92);
        placeKeypad(kKeySize, {midX, tallPadTop + padHeight(kKeySize) / 2});
        return;
    }
    const double column = bounds.width() / 2 - 2 * kSideMargin;
    const double promptHeight = std::ceil(2 * prompt_->font().lineHeight());
    const double messageHeight = std::ceil(2 * message_->font().lineHeight());
    const double group = promptHeight + kLineGap + messageHeight + kLineGap + kMarkSize;
    const double top = std::max(0.0, (bounds.height() - group) / 2);
    prompt_->setFrame({kSideMargin, top, column, promptHeight});
    message_->setFrame({kSideMargin, top + promptHeight + kLineGap, column, messageHeight});
    placeMarks(bounds.width() / 4, top + group - kMarkSize);
    const double key = std::min(kKeySize, std::floor((bounds.height() - 2 * kKeyGap - 3 * kKeyGap) / 4));
    placeKeypad(key, {bounds.width() * 3 / 4, bounds.height() / 2});
}

void PassCodeViewController::placeMarks(double midX, double top) {
    const double marksWidth = kCodeLength * kMarkSize + (kCodeLength - 1) * kMarkGap;
    for (size_t i = 0; i < kCodeLength; ++i)
        marks_[i]->setFrame({midX - marksWidth / 2 + i * (kMarkSize + kMarkGap), top, kMarkSize, kMarkSize});
}

void PassCodeViewController::placeKeypad(double key, graphics::Point centre) {
    // A telephone keypad: 1-9 in three rows, then 0 in the middle of the last.
    const double left = centre.x - (3 * key + 2 * kKeyGap) / 2;
    const double top = centre.y - padHeight(key) / 2;
    auto place = [&](ui::View& view, int row, int column) {
        view.setFrame({left + column * (key + kKeyGap), top + row * (key + kKeyGap), key, key});
    };
    for (int digit = 0; digit <= 9; ++digit) {
        ui::Button& button = *digits_[static_cast<size_t>(digit)];
        button.layer().setCornerRadius(key / 2);
        if (digit == 0)
            place(button, 3, 1);
        else
            place(button, (digit - 1) / 3, (digit - 1) % 3);
    }
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
