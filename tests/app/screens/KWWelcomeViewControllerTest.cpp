// The welcome pager: its pages on the paged view, closing it with a finger,
// and the has-seen flag kept in the user defaults across launches.

#include "ScreenTestSupport.h"
#include "app/screens/KWWelcomeViewController.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/controls/Button.h"

namespace {

class WelcomeTest : public testsupport::ScreenTest {
protected:
    // The pager presented over a plain root screen.
    std::shared_ptr<KWWelcomeViewController> present() {
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
        auto welcome = std::make_shared<KWWelcomeViewController>();
        root->presentViewController(welcome, false);
        advance(0.5);
        return welcome;
    }
    std::shared_ptr<ui::ViewController> root;
};

TEST_F(WelcomeTest, PagesSwipeAndStartOnTheLastPageCloses) {
    auto welcome = present();
    ui::prepareForRendering(*window, 1.0);
    auto* pager = welcome->pagedView();
    ASSERT_NE(pager, nullptr);
    EXPECT_EQ(pager->pageViewDictionary().size(), 2u);  // the first page and its neighbour
    savePicture("welcome.png");

    const int64_t last = static_cast<int64_t>(KWWelcomeViewController::pages().size()) - 1;
    fingers.drag({{800, 400}, {200, 400}}, 0.3);
    advance(2.0);
    EXPECT_EQ(pager->indexForSelectedPage(), 1);

    pager->scrollToPageAtIndex(last, false);
    advance(0.5);
    ASSERT_NE(welcome->startButton()->window(), nullptr);
    tap(welcome->startButton());
    advance(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(WelcomeTest, ArrowsTurnThePagesAndReturnGoesOnThenStarts) {
    auto welcome = present();
    auto* pager = welcome->pagedView();
    const int64_t last = static_cast<int64_t>(KWWelcomeViewController::pages().size()) - 1;
    ASSERT_GE(last, 2);
    struct Step {
        ui::Key key;
        int64_t page;
    };
    const Step steps[] = {
        {ui::Key::Left, 0},  // nothing before the first page
        {ui::Key::Right, 1}, {ui::Key::Right, 2}, {ui::Key::Left, 1}, {ui::Key::Return, 2},
    };
    for (const Step& step : steps) {
        EXPECT_TRUE(fingers.press(step.key));
        advance(1.0);
        EXPECT_EQ(pager->indexForSelectedPage(), step.page) << "after key " << int(step.key);
    }
    // Return turns pages up to the last; there the Start button takes it.
    for (int64_t page = 2; page < last; ++page) {
        fingers.press(ui::Key::Return);
        advance(1.0);
    }
    ASSERT_EQ(pager->indexForSelectedPage(), last);
    EXPECT_EQ(root->presentedViewController(), welcome.get());
    EXPECT_TRUE(fingers.press(ui::Key::Return));
    advance(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(WelcomeTest, HasSeenFlagIsKeptInTheUserDefaults) {
    EXPECT_FALSE(KWWelcomeViewController::getHasSeen());
    KWWelcomeViewController::setHasSeen(true);
    // A new launch reads the defaults file again.
    foundation::UserDefaults::resetStandardUserDefaults();
    EXPECT_TRUE(KWWelcomeViewController::getHasSeen());
    EXPECT_TRUE(foundation::UserDefaults::standard().boolForKey(KWWelcomeViewController::kHasSeenKey));
}

}  // namespace
