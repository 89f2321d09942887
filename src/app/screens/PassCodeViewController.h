#pragma once

// The parental pass-code screen: a four-digit code typed on a keypad.
//
// Without a stored code (DataManager.passCode) the user sets one: the code is
// typed twice, and when both agree it is stored and saved. With a stored code
// the user types it once to prove they know it. The completion handler hears
// true for a code set or proven, false when the user cancels; it runs at most
// once, and the presenter dismisses the screen in it.

#include "platform/ui/controllers/ViewController.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

namespace ui {
class Button;
class Label;
}  // namespace ui

class PassCodeViewController : public ui::ViewController {
public:
    using CompletionHandler = std::function<void(bool accepted)>;
    static constexpr size_t kCodeLength = 4;

    enum class Mode { Set, Confirm, Check };

    explicit PassCodeViewController(std::string nibName = "PassCodeViewController");
    ~PassCodeViewController() override;

    void setCompletionHandler(CompletionHandler handler) { completionHandler_ = std::move(handler); }

    Mode mode() const { return mode_; }
    // The digits typed so far in the current step.
    const std::string& enteredCode() const { return entered_; }

    // Keypad input; the fourth digit completes the step.
    void enterDigit(int digit);
    void deleteDigit();
    // Finishes without a code (the navigation bar's Cancel).
    void cancel();

    // The screen's parts, for the presenter's layout and for tests.
    ui::Label* promptLabel() const { return prompt_.get(); }
    ui::Label* messageLabel() const { return message_.get(); }
    ui::Button* digitButton(int digit) const;
    ui::Button* deleteButton() const { return deleteButton_.get(); }
    // How many of the four code marks are filled.
    size_t filledMarks() const;

    void loadView() override;
    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

private:
    void finishStep();
    void finish(bool accepted);
    void updateMarks();
    void updatePrompt();
    // The four marks in a row centred on midX; the keypad of keys `key`
    // wide centred on a point.
    void placeMarks(double midX, double top);
    void placeKeypad(double key, graphics::Point centre);

    CompletionHandler completionHandler_;
    Mode mode_ = Mode::Set;
    std::string entered_;
    std::string firstEntry_;
    bool finished_ = false;

    std::shared_ptr<ui::Label> prompt_;
    std::shared_ptr<ui::Label> message_;
    std::array<ui::ViewPtr, kCodeLength> marks_;
    std::array<std::shared_ptr<ui::Button>, 10> digits_;
    std::shared_ptr<ui::Button> deleteButton_;
};
