// Every way out of every share service opened from a project's card comes
// back to that card, its toolbar drawn and answering, in the tablet's window
// (the sheet in a popover) and in the phone's (the sheet presented over the
// card, the service's screen over the whole window); then the sheet opens
// and the service is used once more. YouTube and Dropbox answer from
// loopback servers, the mail program is a recorder script.

#include "ScreenTestSupport.h"
#include "app/core/KWImageProducer.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "app/screens/KWProjectDetailViewController.h"
#include "app/share/DropboxConnectHandler.h"
#include "app/share/DropboxTestServices.h"
#include "app/share/ICloudConnectHandler.h"
#include "app/share/InternetReachability.h"
#include "app/share/ShareTestSupport.h"
#include "app/share/ShareViewController.h"
#include "app/share/YouTubeTestServices.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/library/ActivityViewController.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using foundation::RunLoop;

enum class Way {
    SheetCancel,    // the sheet's own Cancel, nothing chosen
    SheetEscape,    // Escape on the sheet
    Cancel,         // Cancel on the service's form
    Escape,         // Escape on the service's form
    Done,           // "Medium - 360p" shared, then Done
    Failed,         // "Medium - 360p" refused by the service, then Cancel on the panel
    SignInGivenUp,  // the account's sign-in left unfinished
    Performed,      // a service without a screen of its own
};

struct Exit {
    const char* service;  // its title on the sheet; empty for the sheet itself
    Way way;
};

const char* const kWayNames[] = {"SheetCancel", "SheetEscape", "Cancel",        "Escape",
                                 "Done",        "Failed",      "SignInGivenUp", "Performed"};

const Exit kExits[] = {
    {"", Way::SheetCancel},
    {"", Way::SheetEscape},
    {"Photos", Way::Cancel},
    {"Photos", Way::Escape},
    {"Photos", Way::Done},
    {"Photos", Way::Failed},
    {"YouTube", Way::Cancel},
    {"YouTube", Way::Escape},
    {"YouTube", Way::SignInGivenUp},
    {"YouTube", Way::Done},
    {"YouTube", Way::Failed},
    {"Dropbox", Way::Cancel},
    {"Dropbox", Way::Escape},
    {"Dropbox", Way::SignInGivenUp},
    {"Dropbox", Way::Done},
    {"Dropbox", Way::Failed},
    {"Save to Folder", Way::Cancel},
    {"Save to Folder", Way::Escape},
    {"Save to Folder", Way::Done},
    {"Save to Folder", Way::Failed},
    {"Mail", Way::Cancel},
    {"Mail", Way::Escape},
    {"Mail", Way::Done},
    {"Mail", Way::Failed},
    {"Duplicate", Way::Performed},
};

std::string exitName(const ::testing::TestParamInfo<std::tuple<bool, Exit>>& info) {
    std::string service = std::get<1>(info.param).service;
    std::erase(service, ' ');
    return std::string(std::get<0>(info.param) ? "Phone" : "Tablet") + service +
           kWayNames[int(std::get<1>(info.param).way)];
}

class CardShareExitsTest : public testsupport::ScreenTest,
                           public ::testing::WithParamInterface<std::tuple<bool, Exit>> {
protected:
    CardShareExitsTest()
        : ScreenTest(phone() ? graphics::Rect(0, 0, 568, 320) : graphics::Rect(0, 0, 1024, 768)),
          programs(folders.root() + "/programs") {}

    static bool phone() { return std::get<0>(GetParam()); }
    static const Exit& exit() { return std::get<1>(GetParam()); }
    static bool is(const std::string& service, Way way) { return exit().service == service && exit().way == way; }

    void SetUp() override {
        ScreenTest::SetUp();
        if (phone()) {
            ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
            ui::Device::current().setScreenBounds(window->bounds());
        }
        InternetReachability::setStatusProvider([] { return 1; });
        // The services on the network answer from loopback servers, each
        // only for its own cases: the others need them on the sheet only.
        if (exit().service == std::string("YouTube")) setUpYouTube();
        if (exit().service == std::string("Dropbox")) setUpDropbox();
        programs.mailHandler("mail.desktop");
        programs.mailer(is("Mail", Way::Failed) ? 1 : 0);
        library::PhotoLibrary::setAccessDenied(is("Photos", Way::Failed));
        if (is("Save to Folder", Way::Failed)) {
            // A file where the folder goes.
            fs::create_directories(fs::path(ICloudConnectHandler::saveFolder()).parent_path());
            std::ofstream(ICloudConnectHandler::saveFolder()) << "not a folder";
        }

        // One picture: every showing of a service's screen measures the size
        // of each type, which takes long enough for one.
        auto project = ProjectModel::create();
        FramePtr frame = Frame::create(Frame::kTypePicture);
        ASSERT_TRUE(KWImageProducer(project)
                        .storeImage(graphics::Image::filled(320, 180, {40, 120, 200, 255}), frame->frameID())
                        .ok());
        project->getFrameList()->insertFrame(frame, project->getFrameList()->getCaptureIndex());
        project->setName("My Movie");
        ASSERT_TRUE(project->saveAllDataToDisk());
        card = std::make_shared<KWProjectDetailViewController>();
        root = showFillingRoot(card);
        card->showAnimationFromProjectExplorerForProject(project, {40, 120, 160, 90});
        RunLoop::main().runUntilIdle();
        advance(1);
    }
    void TearDown() override {
        card.reset();
        ScreenTest::TearDown();
        library::PhotoLibrary::setAccessDenied(false);
        InternetReachability::setStatusProvider(nullptr);
        youtube.reset();
        dropbox.reset();
    }

    void setUpYouTube() {
        youtube.emplace(folders.root());
        youtube->answerAccountCalls();
        youtube->writeServicesFile();
        if (is("YouTube", Way::Failed)) youtube->videos.failNextChunks(1, 500);
        if (!is("YouTube", Way::SignInGivenUp)) youtube->saveAccount();
    }

    void setUpDropbox() {
        dropbox.emplace(folders.root(), !is("Dropbox", Way::SignInGivenUp));
        dropbox->server.reply("POST", "/1/files_put/sandbox/My_Movie.mov",
                              is("Dropbox", Way::Failed)
                                  ? testsupport::HttpReply{507, R"({"error": "over quota"})", "text/javascript"}
                                  : testsupport::HttpReply{200, R"({"path": "/My_Movie.mov", "rev": "1", "bytes": 1})",
                                                           "text/javascript"});
    }

    // A tap in the middle of where the view is drawn; false when nothing of
    // it shows.
    bool tapWhereDrawn(ui::View* view) {
        if (!view) return false;
        const graphics::Rect drawn = drawnRect(*view);
        if (drawn.isEmpty()) return false;
        fingers.tap({drawn.midX(), drawn.midY()});
        return true;
    }

    // The share sheet opened with a tap on the card's share button, where
    // the card shows it.
    std::shared_ptr<library::ActivityViewController> openSheet() {
        if (!tapWhereDrawn(card->shareBtn()->view())) return nullptr;
        advance(1);
        std::shared_ptr<ui::ViewController> shown;
        if (KWPopoverController* popover = card->sharePopover(); popover && popover->isPopoverVisible())
            shown = popover->contentViewController();
        else if (ui::ViewController* presented = root->presentedViewController())
            shown = presented->shared_from_this();
        return std::dynamic_pointer_cast<library::ActivityViewController>(shown);
    }

    // The way out taken on a sheet opened from the card.
    void leave(Way way) {
        std::shared_ptr<library::ActivityViewController> sheet = openSheet();
        ASSERT_NE(sheet, nullptr) << "no share sheet";
        if (way == Way::SheetCancel) {
            ASSERT_TRUE(tapWhereDrawn(sheet->cancelButton()));
            return;
        }
        if (way == Way::SheetEscape) {
            EXPECT_TRUE(fingers.press(ui::Key::Escape));
            return;
        }
        const auto offered = sheet->offeredActivities();
        auto cells = sheet->activityCells();
        auto chosen = std::find_if(offered.begin(), offered.end(),
                                   [](const auto& activity) { return activity->activityTitle() == exit().service; });
        ASSERT_NE(chosen, offered.end()) << "not on the sheet";
        ASSERT_TRUE(tapWhereDrawn(cells.at(size_t(chosen - offered.begin()))));
        advance(1);
        if (way == Way::Performed) {
            RunLoop::main().runUntilIdle();
            return;
        }
        auto* navigation = dynamic_cast<ui::NavigationController*>(sheet->presentedViewController());
        ASSERT_NE(navigation, nullptr) << "no service screen";
        auto* screen = dynamic_cast<ShareViewController*>(navigation->viewControllers().at(0).get());
        ASSERT_NE(screen, nullptr);
        switch (way) {
            case Way::Escape:
                EXPECT_TRUE(fingers.press(ui::Key::Escape));
                return;
            case Way::Cancel:
                ASSERT_TRUE(tapWhereDrawn(screen->navigationItem().leftBarButtonItem()->view()));
                return;
            case Way::SignInGivenUp:
                return giveUpSignIn(*navigation);
            default:
                return shareAndLeave(*screen, way);
        }
    }

    void giveUpSignIn(ui::NavigationController& navigation) {
        if (exit().service == std::string("YouTube")) {
            ASSERT_TRUE(RunLoop::main().runUntil([&] { return navigation.viewControllers().size() == 2; }, 60));
            advance(1);
            ASSERT_TRUE(tapWhereDrawn(navigation.navigationBar().backButtonView())) << "no way back from the sign-in";
            return;
        }
        // Dropbox signs in in the browser, which comes back without a link.
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !dropbox->opened.empty(); }, 60));
        foundation::Dictionary info;
        info.set(DropboxConnectHandler::kLoginNotification, foundation::Value(false));
        foundation::NotificationCenter::defaultCenter().post(DropboxConnectHandler::kLoginNotification, nullptr, info);
    }

    void shareAndLeave(ShareViewController& screen, Way way) {
        const auto& types = screen.exportTypes();
        auto type = std::find_if(types.begin(), types.end(), [](const auto& t) { return t.title() == "Medium - 360p"; });
        ASSERT_NE(type, types.end());
        ui::Button* button = screen.typeButtons().at(size_t(type - types.begin())).get();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return button->isEnabled(); }, 60)) << "the account never came";
        ASSERT_TRUE(tapWhereDrawn(button));
        auto panel = screen.panel();
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return panel->navigationItem().rightBarButtonItem() != nullptr; },
                                             600));
        advance(1);
        const std::string ending = panel->navigationItem().rightBarButtonItem()->title();
        if (way == Way::Done) {
            ASSERT_EQ(ending, "Done") << panel->infoText();
            if (exit().service == std::string("Save to Folder")) {
                EXPECT_TRUE(fs::exists(ICloudConnectHandler::saveFolder() + "/My Movie.mov")) << "no movie saved";
            }
            ASSERT_TRUE(tapWhereDrawn(panel->navigationItem().rightBarButtonItem()->view()));
            return;
        }
        ASSERT_NE(ending, "Done") << "the service did not refuse";
        ASSERT_TRUE(tapWhereDrawn(panel->navigationItem().leftBarButtonItem()->view()));
    }

    // The card alone on screen again: its toolbar drawn, and every button
    // of it answering where the toolbar is drawn.
    void expectCardBack() {
        advance(1);
        EXPECT_EQ(root->presentedViewController(), nullptr);
        EXPECT_FALSE(card->sharePopover() && card->sharePopover()->isPopoverVisible());
        const graphics::Rect toolbar = drawnRect(*card->toolbar());
        EXPECT_EQ(toolbar, inWindow(card->toolbar())) << "the toolbar is not drawn whole";
        for (ui::BarButtonItem* item : {card->backBtn(), card->playBtn(), card->shareBtn(), card->duplicateBtn(),
                                        card->trashBtn(), card->editBtn()}) {
            ui::View* view = item->view();
            ASSERT_NE(view, nullptr);
            EXPECT_TRUE(toolbar.contains(centerOf(*view)));
            EXPECT_EQ(window->hitTest(centerOf(*view), nullptr), view) << item->title() << " does not answer";
        }
    }

    sharetest::ProgramRecorders programs;
    std::optional<YouTubeTestServices> youtube;
    std::optional<DropboxTestServices> dropbox;
    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<KWProjectDetailViewController> card;
};

TEST_P(CardShareExitsTest, ComesBackToTheCardWithItsControlsAndTheSheetOpensAgain) {
    ASSERT_NO_FATAL_FAILURE(leave(exit().way));
    {
        SCOPED_TRACE("after the way out");
        expectCardBack();
    }
    if (phone() && exit().way == Way::Done) savePicture("card-after-" + exitName({GetParam(), 0}) + ".png");
    // Once more, leaving by the key every screen of the sheet answers.
    const bool chooses = *exit().service && exit().way != Way::Performed;
    ASSERT_NO_FATAL_FAILURE(leave(!*exit().service ? Way::SheetCancel : chooses ? Way::Escape : Way::Performed));
    SCOPED_TRACE("after the sheet's second showing");
    expectCardBack();
}

INSTANTIATE_TEST_SUITE_P(EveryService, CardShareExitsTest,
                         ::testing::Combine(::testing::Bool(), ::testing::ValuesIn(kExits)), exitName);

}  // namespace
