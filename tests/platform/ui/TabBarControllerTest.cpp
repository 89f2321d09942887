// Tab bar controllers: one child on screen at a time, selection by taps and
// by code, and the delegate's say.

#include "ScreenTestSupport.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/TabBarController.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using screentest::Log;

class Chooser : public ui::TabBarControllerDelegate {
public:
    bool shouldSelectViewController(ui::TabBarController&, ui::ViewController& controller) override {
        return controller.title != refused;
    }
    void didSelectViewController(ui::TabBarController& tabs, ui::ViewController& controller) override {
        told.push_back(controller.title + "@" + std::to_string(tabs.selectedIndex()));
    }
    std::string refused;
    std::vector<std::string> told;
};

class TabBarControllerTest : public screentest::ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        ignoredEvents = {":load", "Move"};
        tabs = std::make_shared<ui::TabBarController>();
        tabs->setViewControllers({make("one"), make("two"), make("three")});
        tabs->setDelegate(&chooser);
        window->setRootViewController(tabs);
        window->layoutIfNeeded();
    }
    void tapTab(size_t index) {
        window->layoutIfNeeded();
        const graphics::Rect tab = tabs->tabBar().rectForItemAtIndex(index);
        fingers.tap(inWindow(tabs->tabBar(), graphics::Point{tab.midX(), tab.midY()}));
        window->layoutIfNeeded();
    }
    bool onScreen(size_t index) const {
        const auto& child = tabs->viewControllers()[index];
        return child->isViewLoaded() && child->view()->window() == window.get();
    }
    std::shared_ptr<ui::TabBarController> tabs;
    Chooser chooser;
};

TEST_F(TabBarControllerTest, OnlyTheSelectedChildIsOnScreenAboveTheBar) {
    EXPECT_EQ(tabs->selectedIndex(), 0u);
    EXPECT_TRUE(onScreen(0));
    EXPECT_FALSE(onScreen(1));
    EXPECT_EQ(take(), (Log{"one:willAppear", "one:didAppear"}));
    const graphics::Rect content = tabs->viewControllers()[0]->view()->frame();
    EXPECT_EQ(content, graphics::Rect(0, 0, 1024, 768 - ui::TabBar::kHeight));
    std::vector<std::string> titles;
    for (const auto& item : tabs->tabBar().items()) titles.push_back(item.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(TabBarControllerTest, TappingATabSelectsItAndTellsTheDelegate) {
    take();
    tapTab(2);
    EXPECT_EQ(tabs->selectedIndex(), 2u);
    EXPECT_EQ(tabs->selectedViewController(), tabs->viewControllers()[2].get());
    EXPECT_TRUE(onScreen(2));
    EXPECT_FALSE(onScreen(0));
    EXPECT_EQ(take(), (Log{"one:willDisappear", "one:didDisappear", "three:willAppear", "three:didAppear"}));
    EXPECT_EQ(chooser.told, (std::vector<std::string>{"three@2"}));
    EXPECT_EQ(tabs->tabBar().selectedIndex(), 2u);

    // The delegate may refuse; code selects without asking or telling.
    chooser.refused = "two";
    tapTab(1);
    EXPECT_EQ(tabs->selectedIndex(), 2u);
    tabs->setSelectedIndex(1);
    EXPECT_TRUE(onScreen(1));
    tabs->setSelectedIndex(7);
    EXPECT_EQ(tabs->selectedIndex(), 1u);
    EXPECT_EQ(chooser.told.size(), 1u);
}

TEST_F(TabBarControllerTest, NewChildrenReplaceTheOldOnesAndTabsTakeTheirPictures) {
    tabs->setSelectedIndex(2);
    auto solo = make("solo");
    tabs->setViewControllers({solo});
    window->layoutIfNeeded();
    EXPECT_EQ(tabs->selectedIndex(), 0u);  // 2 no longer fits
    EXPECT_EQ(tabs->childViewControllers().size(), 1u);
    EXPECT_TRUE(onScreen(0));
    tabs->setTabBarItem(0, ui::TabBarItem{"Solo", graphics::Image::filled(30, 30, {0, 0, 0, 255}), 4});
    EXPECT_EQ(tabs->tabBar().items().at(0).title, "Solo");
    EXPECT_EQ(tabs->tabBarItemAtIndex(0).tag, 4);
    savePicture("TabBar.png");
}

TEST_F(TabBarControllerTest, TheChosenTabTakesTheWindowsTint) {
    const graphics::RGBA tint{212, 3, 215, 255};
    window->setTintColor(graphics::Color::rgb8(tint.r, tint.g, tint.b));
    for (size_t i = 0; i < 3; ++i)
        tabs->setTabBarItem(i, ui::TabBarItem{"Tab", graphics::Image::filled(30, 30, {0, 0, 0, 255}), 0});
    tabs->setSelectedIndex(1);
    window->layoutIfNeeded();
    const graphics::Image picture = ui::renderView(*window, 1.0);
    // Pixels in the tint colour in each tab: only in the chosen one.
    for (size_t i = 0; i < 3; ++i) {
        const graphics::Rect tab =
            inWindow(&tabs->tabBar())
                .intersection(tabs->tabBar().convertRectToView(tabs->tabBar().rectForItemAtIndex(i), nullptr));
        int tinted = 0;
        for (int y = int(tab.minY()); y < int(tab.maxY()); ++y)
            for (int x = int(tab.minX()); x < int(tab.maxX()); ++x) tinted += picture.pixelAt(x, y) == tint;
        EXPECT_EQ(tinted > 100, i == 1) << "tab " << i << ": " << tinted;
    }
}

}  // namespace
