#pragma once

// Edits the text of one text card over its theme's background. Closing
// with a text longer than the project can hold says so and by how much, and
// keeps the editor open with nothing changed or written. Otherwise closing
// renders the card again when the text changed (through the card renderer,
// with the text as the card's only text) and stores the picture as the
// frame's picture files; handlerComplete hears the frame when editing has
// ended either way. A card that cannot be rendered keeps its old pictures
// and says why.
//
// Main thread only.

#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"
#include "app/render/themes/WebRenderer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/text/TextView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// Keyboard notifications of a screen keyboard, when the platform has one.
inline constexpr const char* kKeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline constexpr const char* kKeyboardWillHideNotification = "UIKeyboardWillHideNotification";

class ThemeCardEditViewController : public ui::ViewController, public ui::TextViewDelegate {
public:
    // The placeholder text of a card without text (localized).
    static constexpr const char* kTapToEdit = "Tap to edit.";
    // How far the text moves while a screen keyboard shows.
    static constexpr double kKeyboardShift = 15;

    // `nibName` chooses the layout: "ThemeCardEditViewController_iPad" the
    // tablet's, anything else the phone's.
    ThemeCardEditViewController(std::string nibName, FramePtr andFrame, std::shared_ptr<ProjectModel> andProject);
    ~ThemeCardEditViewController() override;

    const std::function<void(FramePtr)>& handlerComplete() const { return handlerComplete_; }
    void setHandlerComplete(std::function<void(FramePtr)> handler) { handlerComplete_ = std::move(handler); }

    void actionClose();
    void updateFrameWithImage(const graphics::Image& image);

    bool textViewShouldBeginEditing(ui::TextView& textView) override;

    ui::ImageView* imageViewTextEditBG() const { return imageViewTextEditBG_.get(); }
    ui::TextView* textViewCardEdit() const { return textViewCardEdit_.get(); }
    ui::View* textView() const { return textView_.get(); }
    ui::Button* closeButton() const { return closeButton_.get(); }
    // The renderer of the card, kept while it renders.
    WebRenderer* webRenderer() const { return webRenderer_.get(); }

    // The card's template for a theme: its own title template, or the shared
    // text-card template for themes 20 and above.
    static std::string templateForTheme(int64_t theme);

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

private:
    void keyboardWillMove(double shift);
    // With the new text set on the card: when the project could not save it,
    // puts `before` back, tells the user and returns true.
    bool refuseTextTheProjectCannotHold(const std::optional<std::string>& before);
    void finish();

    std::shared_ptr<ui::ImageView> imageViewTextEditBG_;
    std::shared_ptr<ui::TextView> textViewCardEdit_;
    std::shared_ptr<ui::View> textView_;
    std::shared_ptr<ui::Button> closeButton_;
    FramePtr frame_;
    std::unique_ptr<WebRenderer> webRenderer_;
    std::shared_ptr<ProjectModel> project_;
    std::function<void(FramePtr)> handlerComplete_;
    std::string nibName_;
    foundation::ObserverToken keyboardShow_;
    foundation::ObserverToken keyboardHide_;
};
