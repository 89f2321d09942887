// Text fields and text views: keyboard input through the first responder,
// the delegate's say over every edit, the return key, editing events and
// notifications.

#include "ControlsTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"

#include <string>
#include <vector>

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using ui::Key;
using ui::TextField;
using ui::TextRange;
using ui::TextView;

namespace {

// A delegate that writes down what it is asked and answers as told.
class FieldDelegate : public ui::TextFieldDelegate {
public:
    std::vector<std::string> log;
    std::vector<TextRange> ranges;
    bool allowBegin = true, allowEnd = true, allowChange = true, allowClear = true, answerReturn = true;
    bool resignOnReturn = false;

    bool textFieldShouldBeginEditing(TextField&) override { return log.push_back("should-begin"), allowBegin; }
    void textFieldDidBeginEditing(TextField&) override { log.push_back("did-begin"); }
    bool textFieldShouldEndEditing(TextField&) override { return log.push_back("should-end"), allowEnd; }
    void textFieldDidEndEditing(TextField&) override { log.push_back("did-end"); }
    bool shouldChangeCharactersInRange(TextField&, TextRange range, const std::string& text) override {
        log.push_back("change:" + text);
        ranges.push_back(range);
        return allowChange;
    }
    bool textFieldShouldClear(TextField&) override { return log.push_back("clear"), allowClear; }
    bool textFieldShouldReturn(TextField& field) override {
        log.push_back("return");
        // What the project card does: the delegate ends editing itself.
        if (resignOnReturn) field.resignFirstResponder();
        return answerReturn;
    }
};

class TextFieldTest : public controltest::ControlsTest {
protected:
    void SetUp() override {
        field = ui::makeView<TextField>(Rect(20, 20, 240, 31));
        field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
        field->setDelegate(&delegate);
        window->addSubview(field);
        const std::pair<unsigned, const char*> names[] = {
            {ui::ControlEventEditingDidBegin, "begin"},
            {ui::ControlEventEditingChanged, "changed"},
            {ui::ControlEventEditingDidEnd, "end"},
            {ui::ControlEventEditingDidEndOnExit, "exit"},
        };
        for (auto [event, name] : names) {
            std::string label = name;
            field->addTarget(
                this, [this, label](ui::Control&) { events.push_back(label); }, event);
        }
        for (const char* name : {TextField::TextDidBeginEditingNotification, TextField::TextDidChangeNotification,
                                 TextField::TextDidEndEditingNotification}) {
            tokens.push_back(foundation::NotificationCenter::defaultCenter().addObserver(
                name, field.get(), [this](const foundation::Notification& n) { notices.push_back(n.name); }));
        }
    }

    FieldDelegate delegate;
    std::shared_ptr<TextField> field;
    std::vector<std::string> events;
    std::vector<std::string> notices;
    std::vector<foundation::ObserverToken> tokens;
};

using Strings = std::vector<std::string>;

TEST_F(TextFieldTest, TapBeginsEditingAndTypedTextArrivesThroughTheWindow) {
    window->sendText("lost");  // nobody has the keyboard yet
    fingers.tap(centerOf(*field));
    EXPECT_TRUE(field->isEditing());
    EXPECT_EQ(window->firstResponder(), field.get());
    window->sendText("Rock");
    window->sendText("et");
    EXPECT_EQ(field->text(), "Rocket");
    EXPECT_EQ(events, (Strings{"begin", "changed", "changed"}));
    EXPECT_EQ(notices, (Strings{TextField::TextDidBeginEditingNotification, TextField::TextDidChangeNotification,
                                TextField::TextDidChangeNotification}));
    EXPECT_EQ(delegate.log, (Strings{"should-begin", "did-begin", "change:Rock", "change:et"}));
    EXPECT_EQ(delegate.ranges, (std::vector<TextRange>{{0, 0}, {4, 0}}));
}

TEST_F(TextFieldTest, BackspaceAndArrowsMoveByWholeCharacters) {
    ASSERT_TRUE(field->becomeFirstResponder());
    // "e" plus a combining acute accent, and a thumb with a skin tone: each one character.
    window->sendText("Cafe\xCC\x81 \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD");
    window->sendKey(Key::Backspace);
    EXPECT_EQ(field->text(), "Cafe\xCC\x81 ");
    window->sendKey(Key::Left);
    window->sendKey(Key::Left);
    EXPECT_EQ(field->selectedRange(), (TextRange{3, 0}));
    window->sendText("f");
    EXPECT_EQ(field->text(), "Caffe\xCC\x81 ");
    window->sendKey(Key::Delete);
    EXPECT_EQ(field->text(), "Caff ") << "delete takes the accent with its letter";
    EXPECT_EQ(delegate.ranges.back(), (TextRange{4, 3}));
    window->sendKey(Key::Home);
    window->sendKey(Key::Backspace);  // nothing before the start
    EXPECT_EQ(field->text(), "Caff ");
    window->sendKey(Key::End);
    window->sendKey(Key::Backspace);
    EXPECT_EQ(field->text(), "Caff");
}

TEST_F(TextFieldTest, ATapWhileEditingPutsTheCaretAtTheNearestCharacter) {
    field->setText("abcdef");
    ASSERT_TRUE(field->becomeFirstResponder());
    Rect text = field->editingRectForBounds(field->bounds());
    double afterC = field->font().widthOfText("abc");
    fingers.tap(inWindow(*field, Point{text.origin.x + afterC + 1, text.midY()}));
    EXPECT_EQ(field->selectedRange(), (TextRange{3, 0}));
    window->sendText("-");
    EXPECT_EQ(field->text(), "abc-def");
    fingers.wait(1);
    fingers.tap(inWindow(*field, Point{text.origin.x - 5, text.midY()}));
    EXPECT_EQ(field->selectedRange(), (TextRange{0, 0}));
}

TEST_F(TextFieldTest, TheDelegateCanRefuseAnEdit) {
    field->setText("Max");
    ASSERT_TRUE(field->becomeFirstResponder());
    events.clear();
    delegate.allowChange = false;
    window->sendText("!");
    window->sendKey(Key::Backspace);
    EXPECT_EQ(field->text(), "Max");
    EXPECT_EQ(delegate.ranges, (std::vector<TextRange>{{3, 0}, {2, 1}}));
    EXPECT_TRUE(events.empty()) << "a refused edit announces nothing";
}

TEST_F(TextFieldTest, ReturnAsksTheDelegateWhichMayEndEditing) {
    field->removeTarget(this, ui::ControlEventEditingDidEndOnExit);
    ASSERT_TRUE(field->becomeFirstResponder());
    window->sendKey(Key::Return);
    EXPECT_FALSE(field->isEditing()) << "a return the delegate allows ends the entry";
    EXPECT_EQ(delegate.log, (Strings{"should-begin", "did-begin", "return", "should-end", "did-end"}));

    events.clear();
    ASSERT_TRUE(field->becomeFirstResponder());
    delegate.resignOnReturn = true;
    delegate.answerReturn = false;
    window->sendKey(Key::Return);
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(window->firstResponder(), nullptr);
    EXPECT_EQ(events, (Strings{"begin", "end"}));
    EXPECT_EQ(notices.back(), TextField::TextDidEndEditingNotification);
}

TEST_F(TextFieldTest, ReturnWithAnExitActionPutsTheKeyboardAway) {
    ASSERT_TRUE(field->becomeFirstResponder());
    delegate.answerReturn = false;
    window->sendKey(Key::Return);
    EXPECT_TRUE(field->isEditing());
    EXPECT_EQ(events, (Strings{"begin"})) << "a refused return sends no exit event";

    delegate.answerReturn = true;
    window->sendText("\n");
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(field->text(), "") << "a line break is never typed into a field";
    EXPECT_EQ(events, (Strings{"begin", "exit", "end"}));
}

TEST_F(TextFieldTest, TheDelegateDecidesWhenEditingBeginsAndEnds) {
    delegate.allowBegin = false;
    fingers.tap(centerOf(*field));
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(window->firstResponder(), nullptr);

    delegate.allowBegin = true;
    delegate.allowEnd = false;
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_FALSE(field->resignFirstResponder());
    EXPECT_TRUE(field->isEditing());

    // Leaving the window ends editing whatever the delegate says.
    field->removeFromSuperview();
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(window->firstResponder(), nullptr);
    EXPECT_EQ(events, (Strings{"begin", "end"}));
}

TEST_F(TextFieldTest, TappingAnotherFieldMovesTheKeyboard) {
    auto other = ui::makeView<TextField>(Rect(20, 80, 240, 31));
    window->addSubview(other);
    fingers.tap(centerOf(*field));
    fingers.wait(1);
    fingers.tap(centerOf(*other));
    EXPECT_FALSE(field->isEditing());
    EXPECT_TRUE(other->isEditing());
    EXPECT_EQ(window->firstResponder(), other.get());
    EXPECT_EQ(events, (Strings{"begin", "end"}));
}

TEST_F(TextFieldTest, ClearButtonEmptiesTheFieldWhenTheDelegateAgrees) {
    field->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
    field->setText("Untitled");
    EXPECT_FALSE(field->isClearButtonVisible()) << "only while editing";
    ASSERT_TRUE(field->becomeFirstResponder());
    ASSERT_TRUE(field->isClearButtonVisible());
    Rect button = field->clearButtonRectForBounds(field->bounds());
    Point onButton = inWindow(*field, Point{button.midX(), button.midY()});

    delegate.allowClear = false;
    fingers.tap(onButton);
    EXPECT_EQ(field->text(), "Untitled");
    delegate.allowClear = true;
    fingers.wait(1);
    fingers.tap(onButton);
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(events.back(), "changed");
    EXPECT_EQ(notices.back(), TextField::TextDidChangeNotification);
}

TEST_F(TextFieldTest, TextSetInCodeAnnouncesNothingAndLosesLineBreaks) {
    field->setText("Two\nlines");
    EXPECT_EQ(field->text(), "Twolines");
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(notices.empty());
    field->setEnabled(false);
    EXPECT_FALSE(field->becomeFirstResponder()) << "a disabled field takes no keyboard";
}

TEST_F(TextFieldTest, FieldsLookAsTheyShould) {
    window->setBackgroundColor(Color::grey(0.93));
    window->setTintColor(Color::rgb8(212, 3, 215));
    field->setPlaceholder("Name your movie");
    auto filled = ui::makeView<TextField>(Rect(20, 70, 240, 31));
    filled->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    filled->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
    window->addSubview(filled);
    ASSERT_TRUE(filled->becomeFirstResponder());
    window->sendText("My first movie");

    graphics::Image picture = window->renderImage();
    controltest::savePicture(picture, "ui-textfield.png");
    auto grey = controltest::near(179, 179, 179, 30);
    EXPECT_GT(controltest::countPixels(picture, Rect(28, 25, 150, 20), grey), 20) << "the placeholder";
    EXPECT_GT(controltest::countPixels(picture, Rect(28, 75, 150, 20), controltest::isDark), 20) << "the text";
    auto tint = controltest::near(212, 3, 215, 30);
    EXPECT_GT(controltest::countPixels(picture, Rect(28, 75, 200, 20), tint), 10) << "the caret";
}

// ---- text view ---------------------------------------------------------------------------------------

class ViewDelegate : public ui::TextViewDelegate {
public:
    std::vector<std::string> log;
    bool allowChange = true;
    bool shouldChangeTextInRange(TextView&, TextRange, const std::string& text) override {
        log.push_back("change:" + text);
        return allowChange;
    }
    void textViewDidChange(TextView&) override { log.push_back("did-change"); }
    void textViewDidBeginEditing(TextView&) override { log.push_back("did-begin"); }
    void textViewDidEndEditing(TextView&) override { log.push_back("did-end"); }
};

class TextViewTest : public controltest::ControlsTest {
protected:
    void SetUp() override {
        view = ui::makeView<TextView>(Rect(20, 20, 200, 120));
        view->setDelegate(&delegate);
        window->addSubview(view);
        token = foundation::NotificationCenter::defaultCenter().addObserver(
            TextView::TextDidChangeNotification, view.get(), [this](const foundation::Notification&) { ++changes; });
    }
    ViewDelegate delegate;
    std::shared_ptr<TextView> view;
    foundation::ObserverToken token;
    int changes = 0;
};

TEST_F(TextViewTest, ReturnTypesALineBreakAndEveryEditIsAnnounced) {
    fingers.tap(centerOf(*view));
    ASSERT_TRUE(view->isEditing());
    window->sendText("Caption");
    window->sendKey(Key::Return);
    window->sendText("line two");
    EXPECT_EQ(view->text(), "Caption\nline two");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(delegate.log, (Strings{"did-begin", "change:Caption", "did-change", "change:\n", "did-change",
                                     "change:line two", "did-change"}));
    delegate.allowChange = false;
    window->sendKey(Key::Backspace);
    EXPECT_EQ(view->text(), "Caption\nline two");
    EXPECT_EQ(changes, 3);

    view->setText("Replaced");
    EXPECT_EQ(changes, 3) << "text set in code is not announced";
    EXPECT_TRUE(view->resignFirstResponder());
    EXPECT_EQ(delegate.log.back(), "did-end");
}

TEST_F(TextViewTest, ShiftAndSelectAllMakeNoHiddenSelection) {
    view->setText("Caption");
    ASSERT_TRUE(view->becomeFirstResponder());
    window->sendKey(Key::Left, ui::KeyModifierShift);
    window->sendKey(Key::SelectAll);
    EXPECT_EQ(view->selectedRange(), (TextRange{6, 0})) << "only the caret moved";
    window->sendText("!");
    EXPECT_EQ(view->text(), "Captio!n") << "typing replaced text the view does not show as selected";
}

TEST_F(TextViewTest, AReadOnlyViewTakesNoKeyboardAndMeasuresItsLines) {
    view->setEditable(false);
    fingers.tap(centerOf(*view));
    EXPECT_FALSE(view->isEditing());
    EXPECT_EQ(window->firstResponder(), nullptr);

    view->setText("One");
    double one = view->sizeThatFits(graphics::Size{200, 0}).height;
    view->setText("One\nTwo\nThree");
    double three = view->sizeThatFits(graphics::Size{200, 0}).height;
    EXPECT_NEAR(three - one, 2 * view->font().lineHeight(), 1.0);
}

TEST_F(TextViewTest, TextViewShowsItsText) {
    view->setText("A caption that runs over several lines of the text view");
    view->setFont(graphics::Font::systemFont(15));
    graphics::Image picture = ui::renderView(*view, 2.0);
    controltest::savePicture(picture, "ui-textview.png");
    // Two lines at least: dark pixels in the first and in the second line.
    double lineHeight = view->font().lineHeight();
    EXPECT_GT(controltest::countPixels(picture, Rect(10, 16, 380, 2 * lineHeight), controltest::isDark), 50);
    EXPECT_GT(
        controltest::countPixels(picture, Rect(10, 16 + 2 * lineHeight, 380, 2 * lineHeight), controltest::isDark), 50);
}

}  // namespace
