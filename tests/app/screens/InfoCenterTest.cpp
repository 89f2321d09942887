// The info centre and the help pages: rows driven by fingers, texts from the
// configuration lists, help pages from the resources, and page names that
// must not reach outside the help folder.

#include "ScreenTestSupport.h"
#include "app/capture/CaptureViewController.h"
#include "app/screens/InfoCenterHelpViewController.h"
#include "app/screens/InfoCenterViewController.h"
#include "app/screens/MainViewController.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "support/HostInput.h"

#include <QtCore/qnamespace.h>

namespace {

using Block = InfoCenterHelpViewController::Block;
using Kind = InfoCenterHelpViewController::Block::Kind;

class Finisher : public InfoCenterDelegate {
public:
    void infoCenterDidFinish(InfoCenterViewController& infoCenter) override {
        ++calls;
        infoCenter.dismissViewController(false);
    }
    int calls = 0;
};

class InfoCenterTest : public testsupport::ScreenTest {
protected:
    explicit InfoCenterTest(bool phone = false)
        : ScreenTest(phone ? graphics::Rect(0, 0, 568, 320) : graphics::Rect(0, 0, 1024, 768)) {}
    void SetUp() override {
        ScreenTest::SetUp();
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
    }
    // The info centre as the root screen shows it, its Done told to `finisher`.
    std::shared_ptr<InfoCenterViewController> presentInfoCenter(Finisher& finisher) {
        auto info = std::make_shared<InfoCenterViewController>();
        info->setDelegate(&finisher);
        info->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
        root->presentViewController(info, false);
        advance(1.0);
        return info;
    }
    std::shared_ptr<ui::ViewController> root;
};

TEST_F(InfoCenterTest, RowsShowHelpSupportAndAboutAndDoneAsksTheDelegate) {
    Finisher finisher;
    auto info = presentInfoCenter(finisher);
    savePicture("info_center.png");

    tap(info->supportButton());
    advance(0.5);
    EXPECT_EQ(alertMessages(),
              std::vector<std::string>{"Write to us at support@marrowick.com with the subject \"Support request\"."});
    ui::AlertView::visibleAlerts().back()->dismissWithClickedButtonIndex(0, false);

    tap(info->aboutButton());
    advance(0.5);
    // The bundle-identifier list's name wins over the general one.
    ASSERT_EQ(alertMessages().size(), 1u);
    EXPECT_TRUE(alertMessages()[0].starts_with("Tollivar version ")) << alertMessages()[0];
    ui::AlertView::visibleAlerts().back()->dismissWithClickedButtonIndex(0, false);

    tap(info->helpButton());
    advance(1.0);
    auto* navigation = dynamic_cast<ui::NavigationController*>(info->presentedViewController());
    ASSERT_NE(navigation, nullptr);
    auto* help = dynamic_cast<InfoCenterHelpViewController*>(navigation->topViewController());
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->subpage(), "index");
    // The help screen closes itself with Done.
    auto done = help->navigationItem().rightBarButtonItem();
    ASSERT_NE(done, nullptr);
    done->action()(*done);
    advance(1.0);
    EXPECT_EQ(info->presentedViewController(), nullptr);

    tap(info->doneButton());
    advance(1.0);
    EXPECT_EQ(finisher.calls, 1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(InfoCenterTest, HelpPageMarkupBecomesTitleHeadingsParagraphsAndItems) {
    auto blocks = InfoCenterHelpViewController::parsePage(
        "Remote camera\r\n\nFirst line\ncontinues here.\n## Connecting\n- one\n-  two \n\nLast.");
    EXPECT_EQ(blocks, (std::vector<Block>{{Kind::Title, "Remote camera"},
                                          {Kind::Paragraph, "First line continues here."},
                                          {Kind::Heading, "Connecting"},
                                          {Kind::Bullet, "one"},
                                          {Kind::Bullet, "two"},
                                          {Kind::Paragraph, "Last."}}));
    EXPECT_TRUE(InfoCenterHelpViewController::parsePage("\n\n  \n").empty());
}

TEST_F(InfoCenterTest, ShippedPagesLoadAndOtherNamesAreRefused) {
    for (const char* page : {"index", "capture", "editor", "kelbrin-remotecamera"}) {
        auto blocks = InfoCenterHelpViewController::loadPage(page);
        ASSERT_TRUE(blocks.has_value()) << page;
        EXPECT_EQ(blocks->front().kind, Kind::Title) << page;
        EXPECT_GE(blocks->size(), 3u) << page;
    }
    for (const char* page : {"", "missing", "../config/Info", "help/index", "index.txt", "a b"}) {
        EXPECT_FALSE(InfoCenterHelpViewController::loadPage(page).has_value()) << page;
    }
    EXPECT_EQ(InfoCenterHelpViewController::onlineAddressForPage("kelbrin-remotecamera"),
              "https://www.marrowick.com/tollivar/help/kelbrin-remotecamera");
}

TEST_F(InfoCenterTest, SubpageSelectsThePageShownAndUnknownPagesSaySo) {
    auto help = std::make_shared<InfoCenterHelpViewController>();
    help->setSubpage("kelbrin-remotecamera");
    auto navigation = std::make_shared<ui::NavigationController>(help);
    navigation->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    root->presentViewController(navigation, false);
    advance(1.0);
    ASSERT_FALSE(help->blockLabels().empty());
    EXPECT_EQ(help->blockLabels().front()->text(), "Remote camera");
    EXPECT_EQ(help->blockLabels().back()->text(),
              "More help online: https://www.marrowick.com/tollivar/help/kelbrin-remotecamera");
    savePicture("help_page.png");

    help->setSubpage("../../etc/passwd");
    ASSERT_GE(help->blocks().size(), 2u);
    EXPECT_EQ(help->blocks()[1].text, "This help page is not available.");
    // Labels are laid out one below the other, none overlapping.
    ui::prepareForRendering(*window, 1.0);
    auto labels = help->blockLabels();
    for (size_t i = 1; i < labels.size(); ++i) EXPECT_GE(labels[i]->frame().minY(), labels[i - 1]->frame().maxY());
}

// Escape, pressed on the desktop's keyboard, closes a help page as Done
// does and as it closes the other sheets, in the phone's window and the
// tablet's: the page opened from the info centre's Help row (the centre stays
// and a second Escape closes it) and a page opened alone, as the capture
// screen and the editor open theirs.
using HelpPageKeysTest = testsupport::AtTabletAndPhone<InfoCenterTest>;

TEST_P(HelpPageKeysTest, EscapeClosesTheHelpPage) {
    testsupport::HostInput input(window);
    Finisher finisher;
    auto info = presentInfoCenter(finisher);
    tap(info->helpButton());
    advance(1.0);
    ASSERT_TRUE(dynamic_cast<ui::NavigationController*>(info->presentedViewController()));
    input.key(Qt::Key_Escape);
    advance(1.0);
    EXPECT_EQ(info->presentedViewController(), nullptr) << "the help page stays";
    EXPECT_EQ(root->presentedViewController(), info.get()) << "the info centre went with it";
    EXPECT_EQ(finisher.calls, 0);
    input.key(Qt::Key_Escape);
    advance(1.0);
    EXPECT_EQ(finisher.calls, 1);

    auto page = std::make_shared<InfoCenterHelpViewController>();
    page->setSubpage("kelbrin-remotecamera");
    root->presentViewController(std::make_shared<ui::NavigationController>(page), true);
    advance(1.0);
    input.key(Qt::Key_Escape);
    advance(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Windows, HelpPageKeysTest, ::testing::Bool(), testsupport::tabletOrPhone);

}  // namespace

namespace testsupport {
namespace {

// The capture screen and the editor build below these screens; the root
// screen hands them the help pages.
TEST(HelpPagesBelowTheScreens, TheRootScreenHandsCaptureAndEditorTheirHelpPages) {
    CaptureViewController::setHelpPageFactory(nullptr);
    EXPECT_EQ(CaptureViewController::makeHelpPage(""), nullptr);
    MainViewController root("MainViewController");
    for (const char* page : {"", "kelbrin-remotecamera"}) {
        auto help = std::dynamic_pointer_cast<InfoCenterHelpViewController>(CaptureViewController::makeHelpPage(page));
        ASSERT_NE(help, nullptr) << page;
        EXPECT_EQ(help->subpage(), *page ? page : InfoCenterHelpViewController::kDefaultPage);
    }
    CaptureViewController::setHelpPageFactory(nullptr);
}

}  // namespace
}  // namespace testsupport
