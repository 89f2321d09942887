#include "TestDrives.h"

#include "app/core/KWProjects.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/screens/KWProjectDetailViewController.h"
#include "app/screens/MainViewController.h"
#include "app/screens/ProjectExplorer.h"
#include "app/screens/TollivarAppDelegate.h"
#include "app/share/ShareViewController.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "components/dropbox/DBSession.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/ActivityViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/host/Application.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace testdrives {

namespace {

// The browser's fade-in at launch, and a little more.
constexpr double kBrowserFadeInSeconds = 1.5;
// How often the drives look at a screen, and how long they let one settle
// (the editor reads its strip, the browser fades in).
constexpr double kTestPollSeconds = 0.05;
constexpr double kTestSettleSeconds = 2.0;

// For tests of the real binary only: runs `action` once the browser is up.
// The launch queues the browser's loading before it says it has finished;
// the action is queued behind it and then waits out the browser's 1 s
// fade-in. A fixed delay from the start of the process instead would, on a
// loaded machine whose launch outlasts it, come before the browser exists.
void whenBrowserIsUpForTests(std::function<void()> action) {
    static std::vector<foundation::ObserverToken> observers;
    observers.push_back(foundation::NotificationCenter::defaultCenter().addObserver(
        ui::Application::DidFinishLaunchingNotification, nullptr,
        [action = std::move(action)](const foundation::Notification&) {
            foundation::RunLoop::main().post(
                [action] { foundation::RunLoop::main().performAfter(kBrowserFadeInSeconds, action); });
        }));
}

void printForTests(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// For tests of the real binary only: chooses the share service of that
// title on the card's share sheet, then prints "share shown" once its
// screen shows and "estimates shown" once every export type on it shows its
// size estimate. False when there is no such service.
bool shareForTests(KWProjectDetailViewController& card, const std::string& service) {
    card.actionShare();
    auto* sheet = dynamic_cast<library::ActivityViewController*>(
        card.sharePopover() ? card.sharePopover()->contentViewController().get() : card.presentedViewController());
    if (!sheet) return false;
    const auto offered = sheet->offeredActivities();
    size_t index = 0;
    while (index < offered.size() && offered[index]->activityTitle() != service) ++index;
    if (index == offered.size()) return false;
    sheet->chooseActivityAtIndex(index);
    auto* navigation = dynamic_cast<ui::NavigationController*>(sheet->presentedViewController());
    auto* screen = navigation ? dynamic_cast<ShareViewController*>(navigation->topViewController()) : nullptr;
    if (!screen) return false;
    foundation::RunLoop::main().scheduleTimer(
        kTestPollSeconds, true, [weak = foundation::weakFrom(screen), shown = false](foundation::Timer& timer) mutable {
            auto showing = weak.lock();
            if (!showing) return timer.invalidate();
            if (!shown && showing->isVisible()) {
                shown = true;
                printForTests("share shown");
            }
            for (size_t i = 0; i < showing->typeButtons().size(); ++i)
                if (showing->typeButtons()[i]->currentTitle() == showing->exportTypes()[i].title()) return;
            if (!shown) return;
            printForTests("estimates shown");
            timer.invalidate();
        });
    return true;
}

// The card of the first listed project; null when there is none.
KWProjectDetailViewController* openCardForTests() {
    auto* delegate = dynamic_cast<TollivarAppDelegate*>(ui::Application::shared().delegate());
    ProjectExplorer* explorer = delegate ? delegate->mainViewController->viewExplorer() : nullptr;
    auto& projects = KWProjects::getInstance().getProjects();
    if (explorer && projects.size() >= 2) explorer->showProjectDetail(projects[1], 1);
    return explorer ? explorer->projectDetailView() : nullptr;
}

// For tests of the real binary only: what a user does who made the first
// listed project before sharing it. Its card's Edit opens it in the editor,
// where it plays for as long as it lasts; the projects button leaves the
// editor for the card ("card", or "no card"), and a second later the
// project is shared with `service` (shareForTests).
void editThenShareForTests(const std::string& service) {
    auto* delegate = dynamic_cast<TollivarAppDelegate*>(ui::Application::shared().delegate());
    KWProjectDetailViewController* card = openCardForTests();
    auto list = card && card->project() ? card->project()->getFrameList() : nullptr;
    if (!delegate || !list) return printForTests("no card");
    const double seconds =
        double(list->getExpandedFrameList().count()) / double(std::max<int64_t>(1, card->project()->getFPS()));
    card->actionEdit();
    MainViewController& main = *delegate->mainViewController;
    auto& loop = foundation::RunLoop::main();
    loop.performAfter(kTestSettleSeconds, [&main, &loop, service, seconds] {
        if (FrameEditorViewController* editor = main.viewFrameEditor()) editor->playPreview();
        loop.performAfter(seconds, [&main, &loop, service] {
            FrameEditorViewController* editor = main.viewFrameEditor();
            if (!editor) return printForTests("no card");
            if (editor->isPlaying()) editor->stopPreview();
            editor->actionProjectExplorer();
            loop.performAfter(kTestSettleSeconds, [&main, &loop, service] {
                KWProjectDetailViewController* back =
                    main.viewExplorer() ? main.viewExplorer()->projectDetailView() : nullptr;
                printForTests(back ? "card" : "no card");
                if (!back) return;
                loop.performAfter(1.0, [weak = foundation::weakFrom(back), service] {
                    auto shown = weak.lock();
                    if (!shown || !shareForTests(*shown, service)) printForTests("no share");
                });
            });
        });
    });
}

}  // namespace

// For tests of the real binary only. TOLLIVAR_TEST_CARD, once the browser
// is up, opens the card of the first listed project as a tap on its tile
// does, then with "type:<text>" starts editing the name and types the text
// through the window's keyboard path, or with "duplicate" taps Duplicate;
// then it prints "card" on standard output ("no card" when it could not).
// With "share:<service>" it edits, then shares the project
// (editThenShareForTests).
void driveCardForTests() {
    const char* action = std::getenv("TOLLIVAR_TEST_CARD");
    if (!action) return;
    whenBrowserIsUpForTests([action = std::string(action)] {
        if (action.starts_with("share:")) return editThenShareForTests(action.substr(6));
        bool done = false;
        KWProjectDetailViewController* card = openCardForTests();
        if (card && action.starts_with("type:") && card->textFieldName()->becomeFirstResponder()) {
            ui::Window::keyWindow()->sendText(action.substr(5));
            done = true;
        } else if (card && action == "duplicate") {
            card->actionDuplicate();
            done = true;
        }
        printForTests(done ? "card" : "no card");
    });
}

// For tests of the real binary only. TOLLIVAR_TEST_DROPBOX=link, once the
// browser is up, starts the Dropbox login as the share screen's Dropbox
// button does and prints "DropboxLoginNotification true" (or "false") on
// standard output for each login answer the application posts; "no session"
// when no Dropbox session was installed at launch.
void driveDropboxLoginForTests() {
    const char* action = std::getenv("TOLLIVAR_TEST_DROPBOX");
    if (!action || std::string_view(action) != "link") return;
    static foundation::ObserverToken observer = foundation::NotificationCenter::defaultCenter().addObserver(
        "DropboxLoginNotification", nullptr, [](const foundation::Notification& notification) {
            const bool linked = notification.userInfo.get("DropboxLoginNotification").asBool(false);
            std::printf("DropboxLoginNotification %s\n", linked ? "true" : "false");
            std::fflush(stdout);
        });
    whenBrowserIsUpForTests([] {
        std::shared_ptr<DBSession> session = DBSession::sharedSession();
        if (!session) {
            std::printf("no session\n");
            std::fflush(stdout);
            return;
        }
        session->linkFromController(nullptr);
    });
}

}  // namespace testdrives
