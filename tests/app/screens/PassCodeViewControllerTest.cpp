// The pass-code screen typed on with fingers: a new code twice to set it,
// the stored code once to pass, and exactly one answer per screen.

#include "ScreenTestSupport.h"
#include "app/screens/PassCodeViewController.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"

namespace {

class PassCodeTest : public testsupport::ScreenTest {
protected:
    explicit PassCodeTest(bool phone = false)
        : ScreenTest(phone ? graphics::Rect(0, 0, 568, 320) : graphics::Rect(0, 0, 1024, 768)) {}
    void SetUp() override {
        ScreenTest::SetUp();
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
    }
    void present() {
        screen = std::make_shared<PassCodeViewController>();
        screen->setCompletionHandler([this](bool accepted) { answers.push_back(accepted); });
        auto navigation = std::make_shared<ui::NavigationController>(screen);
        navigation->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
        root->presentViewController(navigation, false);
        advance(1.0);
    }
    void type(const std::string& digits) {
        for (char digit : digits) tap(screen->digitButton(digit - '0'));
    }

    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<PassCodeViewController> screen;
    std::vector<bool> answers;
};

TEST_F(PassCodeTest, NewCodeTypedTwiceAlikeIsStoredAndSaved) {
    present();
    EXPECT_EQ(screen->mode(), PassCodeViewController::Mode::Set);
    type("1");
    type("9");
    tap(screen->deleteButton());
    EXPECT_EQ(screen->enteredCode(), "1");
    type("234");
    EXPECT_EQ(screen->mode(), PassCodeViewController::Mode::Confirm);
    EXPECT_EQ(screen->filledMarks(), 0u);
    advance(0.5);
    savePicture("passcode_confirm.png");
    EXPECT_TRUE(answers.empty());
    type("1234");
    EXPECT_EQ(answers, std::vector<bool>{true});
    EXPECT_EQ(DataManager::sharedDataManager().passCode(), "1234");

    // Saved to the settings file, not just kept in memory.
    DataManager::resetForTesting();
    DataManager::loadState();
    EXPECT_EQ(DataManager::sharedDataManager().passCode(), "1234");
}

TEST_F(PassCodeTest, DifferentSecondEntryStartsOverWithoutStoring) {
    present();
    type("1234");
    type("4321");
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(screen->mode(), PassCodeViewController::Mode::Set);
    EXPECT_EQ(screen->messageLabel()->text(), "The pass codes did not match. Please try again.");
    EXPECT_FALSE(DataManager::sharedDataManager().passCode().has_value());
    type("5555");
    type("5555");
    EXPECT_EQ(answers, std::vector<bool>{true});
    EXPECT_EQ(DataManager::sharedDataManager().passCode(), "5555");
}

TEST_F(PassCodeTest, StoredCodeMustBeTypedOnceAndWrongCodesAreRefused) {
    DataManager::sharedDataManager().setPassCode("0420");
    present();
    EXPECT_EQ(screen->mode(), PassCodeViewController::Mode::Check);
    type("0421");
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(screen->messageLabel()->text(), "Wrong pass code. Please try again.");
    EXPECT_EQ(screen->filledMarks(), 0u);
    type("0420");
    EXPECT_EQ(answers, std::vector<bool>{true});
    EXPECT_EQ(DataManager::sharedDataManager().passCode(), "0420");
    // Further keys after the answer change nothing.
    screen->enterDigit(1);
    EXPECT_EQ(answers.size(), 1u);
}

TEST_F(PassCodeTest, CancelAnswersNoOnceAndKeepsTheStoredCode) {
    DataManager::sharedDataManager().setPassCode("1111");
    present();
    type("11");
    auto cancelItem = screen->navigationItem().leftBarButtonItem();
    ASSERT_NE(cancelItem, nullptr);
    cancelItem->action()(*cancelItem);
    screen->cancel();
    EXPECT_EQ(answers, std::vector<bool>{false});
    EXPECT_EQ(DataManager::sharedDataManager().passCode(), "1111");
}

}  // namespace

namespace {

TEST_F(PassCodeTest, TheKeyboardTypesOnTheKeypadAndEscapeCancels) {
    present();
    // Digits and Backspace as the window host hands them over; letters do nothing.
    for (const char* text : {"7", "x", "3"}) window->sendText(text);
    window->sendKey(ui::Key::Backspace);
    for (const char* text : {"5", "0", "1"}) window->sendText(text);
    EXPECT_EQ(screen->mode(), PassCodeViewController::Mode::Confirm);
    for (const char* text : {"7", "5", "0", "1"}) window->sendText(text);
    EXPECT_EQ(answers, std::vector<bool>{true});
    EXPECT_EQ(DataManager::sharedDataManager().passCode(), "7501");
    root->dismissViewController(false);

    present();
    window->sendText("9");
    window->sendKey(ui::Key::Escape);  // the navigation bar's Cancel
    EXPECT_EQ(answers, (std::vector<bool>{true, false}));
    EXPECT_EQ(screen->enteredCode(), "9");
}

}  // namespace

namespace {

class PassCodeWindowsTest : public testsupport::AtTabletAndPhone<PassCodeTest> {};

// Every key of the keypad lies whole in the window, and the prompt and the
// message read whole, through a mismatch, in the window's size.
TEST_P(PassCodeWindowsTest, TheKeypadAndItsTextsShowWhole) {
    present();
    const graphics::Rect shown = window->bounds();
    auto expectWhole = [&](const char* step) {
        SCOPED_TRACE(step);
        window->layoutIfNeeded();
        for (int digit = 0; digit <= 9; ++digit) {
            ui::Button& key = *screen->digitButton(digit);
            EXPECT_TRUE(shown.contains(inWindow(&key)) && !drawnRect(key).isNull())
                << digit << " at " << inWindow(&key).toString();
        }
        EXPECT_TRUE(shown.contains(inWindow(screen->deleteButton()))) << inWindow(screen->deleteButton()).toString();
        for (ui::Label* label : {screen->promptLabel(), screen->messageLabel()}) {
            if (!label->text().empty()) {
                EXPECT_EQ(textCutFault(*label), "");
            }
        }
    };
    expectWhole("a new code");
    type("1234");
    expectWhole("the new code again");
    type("9876");
    ASSERT_FALSE(screen->messageLabel()->text().empty());
    expectWhole("after a mismatch");
    savePicture(std::string("passcode_mismatch_") + (GetParam() ? "phone.png" : "tablet.png"));
}

INSTANTIATE_TEST_SUITE_P(Windows, PassCodeWindowsTest, ::testing::Bool(), testsupport::tabletOrPhone);

}  // namespace
