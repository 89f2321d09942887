// One-time help overlays: shown until the user dismisses them once, then
// never again, remembered in a property list that outside tools can read.

#include "ScreenTestSupport.h"
#include "app/widgets/views/HelpManager.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"

#include <fstream>

namespace {

class Delegate : public HelpManagerDelegate {
public:
    void helpManangerDidFinish(HelpManager& helpManager) override {
        finished.push_back(helpManager.name());
        stillOnScreen = helpManager.view()->superview() != nullptr;
        held.reset();  // as the screens do: release it in the callback
    }
    std::vector<std::string> finished;
    bool stillOnScreen = true;
    std::shared_ptr<HelpManager> held;
};

class HelpManagerTest : public testsupport::ScreenTest {
protected:
    std::string helpFile() const { return folders.documents() + "/" + HelpManager::kHelpManagerFile; }

    std::shared_ptr<HelpManager> showHelp(const std::string& name, Delegate& delegate) {
        auto help = HelpManager::initWithName(name);
        if (!help) return nullptr;
        help->setDelegate(&delegate);
        help->viewPtr()->setFrame(window->bounds());
        help->setPositionNextBtn(HelpManager::kBottomLeft);
        help->setPositionLabel({612, 384});
        window->addSubview(help->viewPtr());
        help->show();
        advance(0.5);
        return help;
    }
};

TEST_F(HelpManagerTest, ShowsUntilDismissedOnceThenNeverAgain) {
    Delegate delegate;
    delegate.held = showHelp("Timeline", delegate);
    ASSERT_NE(delegate.held, nullptr);
    auto* help = delegate.held.get();
    EXPECT_DOUBLE_EQ(help->view()->alpha(), 1.0);
    EXPECT_EQ(help->textLabel()->text(), HelpManager::helpTextForName("Timeline"));
    // Next sits in the bottom-left corner, the text centred on the given point.
    EXPECT_LT(help->nextButton()->frame().midX(), 512);
    EXPECT_GT(help->nextButton()->frame().midY(), 384);
    EXPECT_NEAR(help->textLabel()->frame().midX(), 612, 0.5);
    savePicture("help_manager.png");

    // Not yet dismissed: a second overlay of the name may still come.
    EXPECT_NE(HelpManager::initWithName("Timeline"), nullptr);

    tap(help->nextButton());
    advance(0.5);
    EXPECT_EQ(delegate.finished, std::vector<std::string>{"Timeline"});
    EXPECT_FALSE(delegate.stillOnScreen);
    EXPECT_EQ(delegate.held, nullptr);

    EXPECT_EQ(HelpManager::initWithName("Timeline"), nullptr);
    EXPECT_NE(HelpManager::initWithName("Media"), nullptr);

    auto read = testsupport::runPython(
        "import plistlib,sys\nd=plistlib.load(open(sys.argv[1],'rb'))\nprint(sorted(d.items()))", {helpFile()});
    ASSERT_EQ(read.exitCode, 0) << read.output;
    EXPECT_EQ(read.output, "[('Timeline', True)]\n");
}

TEST_F(HelpManagerTest, DismissingTwiceTellsTheDelegateOnceAndKeepsEveryName) {
    Delegate delegate;
    auto first = showHelp("Mask", delegate);
    first->dismiss();
    first->dismiss();
    advance(0.5);
    auto second = showHelp("PaintColor", delegate);
    second->dismiss();
    advance(0.5);
    EXPECT_EQ(delegate.finished, (std::vector<std::string>{"Mask", "PaintColor"}));
    EXPECT_TRUE(HelpManager::wasDismissed("Mask"));
    EXPECT_TRUE(HelpManager::wasDismissed("PaintColor"));
}

TEST_F(HelpManagerTest, UnreadableFileShowsTheHelpAgainAndIsRepairedOnDismissal) {
    { std::ofstream(helpFile()) << "not a property list"; }
    Delegate delegate;
    auto help = showHelp("Speed", delegate);
    ASSERT_NE(help, nullptr);
    help->dismiss();
    advance(0.5);
    EXPECT_TRUE(HelpManager::wasDismissed("Speed"));
}

TEST_F(HelpManagerTest, TextStaysOnTheOverlayNearAnEdge) {
    Delegate delegate;
    auto help = HelpManager::initWithName("Effects");
    help->viewPtr()->setFrame(window->bounds());
    help->setPositionLabel({1000, 760});
    help->setPositionNextBtn(7);  // unknown codes take the bottom-right corner
    window->addSubview(help->viewPtr());
    help->show();
    auto label = help->textLabel()->frame();
    EXPECT_LE(label.maxX(), 1024);
    EXPECT_LE(label.maxY(), 768);
    EXPECT_EQ(help->positionNextBtn(), HelpManager::kBottomRight);
    EXPECT_GT(help->nextButton()->frame().midX(), 512);
}

}  // namespace
