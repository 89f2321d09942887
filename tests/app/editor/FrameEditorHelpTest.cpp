// The help bubbles' geometry, the overlay's expand, collapse and close, the
// editor's coach marks (one per editor), its help overlay on both idioms,
// the help pages, and its notices and error texts.

#include "EditorTestSupport.h"
#include "app/capture/CaptureViewController.h"
#include "app/capture/TimerConfigurationViewController.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/FrameEditorHelp.h"
#include "app/editor/KWFrameByFrameView.h"
#include "app/widgets/alerts/Hudy.h"
#include "app/widgets/popover/FWTPopoverView.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "app/widgets/views/HelpManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"

#include <filesystem>
#include <functional>

namespace editortest {
namespace {

namespace h = frameeditorhelp;
namespace n = editornotifications;
using graphics::Rect;

TEST(FrameEditorHelpGeometry, MoreButtonFromTheTextWidthAndTheBlock) {
    struct Case {
        ui::UserInterfaceIdiom idiom;
        double textWidth;
        bool block;
        bool more;
        double contentWidth, labelWidth;
    } cases[] = {
        {ui::UserInterfaceIdiom::Phone, 250, false, false, 250, 250},  // 250 < 277.5
        {ui::UserInterfaceIdiom::Phone, 300, false, true, 150, 125},
        {ui::UserInterfaceIdiom::Phone, 250, true, true, 150, 125},  // an action always gets the button
        {ui::UserInterfaceIdiom::Phone, 277.5, false, false, 277.5, 277.5},
        {ui::UserInterfaceIdiom::Unspecified, 278, false, true, 150, 125},
        {ui::UserInterfaceIdiom::Pad, 370, false, false, 370, 370},
        {ui::UserInterfaceIdiom::Pad, 371, false, true, 200, 175},
    };
    for (const Case& c : cases) {
        const h::ShortBubble bubble = h::shortBubble(c.textWidth, h::bubbleWidth(c.idiom), c.block);
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.idiom) << " " << c.textWidth << " " << c.block);
        EXPECT_EQ(bubble.hasMoreButton, c.more);
        EXPECT_DOUBLE_EQ(bubble.contentWidth, c.contentWidth);
        EXPECT_EQ(bubble.labelFrame, Rect(5, 0, c.labelWidth, 40));
    }
}

TEST(FrameEditorHelpGeometry, AutomaticArrowFromTheQuarterOfTheView) {
    const graphics::Size view{1024, 768};
    struct Case {
        FWTPopoverArrowDirection requested;
        Rect rect;
        FWTPopoverArrowDirection expected;
    } cases[] = {
        {0, {900, 700, 10, 10}, FWTPopoverArrowDirectionDown},  // lower right
        {0, {900, 100, 10, 10}, FWTPopoverArrowDirectionRight},
        {0, {100, 100, 10, 10}, FWTPopoverArrowDirectionLeft},
        {0, {100, 700, 10, 10}, FWTPopoverArrowDirectionDown},
        {0, {512, 384, 10, 10}, FWTPopoverArrowDirectionLeft},  // on the halves: not greater
        {FWTPopoverArrowDirectionUp, {900, 700, 10, 10}, FWTPopoverArrowDirectionUp},
        {FWTPopoverArrowDirectionNone, {50, 720, 1, 1}, FWTPopoverArrowDirectionNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(h::arrowDirection(c.requested, c.rect, view), c.expected)
            << c.rect.origin.x << "," << c.rect.origin.y;
}

TEST(FrameEditorHelpGeometry, ABubbleSlidesOrTurnsAwayFromTheEdgeAndFromBubblesShownBefore) {
    const Rect view{0, 0, 1024, 768};
    FWTPopoverView bubble;
    bubble.contentSize = {130, 40};
    const Rect button{900, 720, 44, 44};  // at the bottom edge
    const Rect side{10, 300, 44, 44};     // at the left edge
    struct Case {
        const char* what;
        Rect rect;
        FWTPopoverArrowDirection wanted;
        std::vector<Rect> shown;
        FWTPopoverArrowDirection direction;
        double slide;
    } cases[] = {
        {"no room below: above", button, FWTPopoverArrowDirectionUp, {}, FWTPopoverArrowDirectionDown, 0},
        {"above is free", button, FWTPopoverArrowDirectionDown, {}, FWTPopoverArrowDirectionDown, 0},
        {"a bubble elsewhere", button, FWTPopoverArrowDirectionDown, {{100, 600, 150, 100}},
         FWTPopoverArrowDirectionDown, 0},
        {"a bubble just above: slid down clear of it", side, FWTPopoverArrowDirectionLeft, {{60, 250, 150, 52}},
         FWTPopoverArrowDirectionLeft, 0},
        {"a bubble overlapping a little: slid", side, FWTPopoverArrowDirectionLeft, {{60, 250, 150, 56}},
         FWTPopoverArrowDirectionLeft, 4},
        {"a bubble in the way: the other side", button, FWTPopoverArrowDirectionDown, {{850, 600, 174, 110}},
         FWTPopoverArrowDirectionRight, 0},
        {"everywhere taken: where it fits", button, FWTPopoverArrowDirectionUp, {view}, FWTPopoverArrowDirectionDown,
         0},
        {"no arrow stays", button, FWTPopoverArrowDirectionNone, {view}, FWTPopoverArrowDirectionNone, 0},
    };
    for (const Case& c : cases) {
        const h::BubblePlace place = h::freePlace(bubble, c.rect, c.wanted, view, c.shown);
        EXPECT_EQ(place.direction, c.direction) << c.what;
        EXPECT_EQ(place.slide, c.slide) << c.what;
        const FWTPopoverView::Placement placement =
            bubble.placementFromRect(c.rect, place.direction, view, place.slide);
        EXPECT_TRUE(view.contains(placement.adjustment.frame)) << c.what;
    }
}

// What is wrong with the bubbles on screen: two that overlap, or one that
// covers the point it shows (bubbles without an arrow excepted). Empty when
// nothing is.
std::string bubbleFaults(const FrameEditorHelp& help) {
    std::string faults;
    const auto& bubbles = help.popovers();
    for (size_t i = 0; i < bubbles.size(); ++i) {
        const Rect body = bubbles[i]->bodyFrame();
        for (size_t j = i + 1; j < bubbles.size(); ++j)
            if (body.intersects(bubbles[j]->bodyFrame()))
                faults += "\"" + help.helpItems()[i].text + "\" overlaps \"" + help.helpItems()[j].text + "\"\n";
        const Rect aim = help.helpItems()[i].rect;
        const graphics::Point point{aim.width() == 1 ? aim.minX() : aim.midX(),
                                    aim.height() == 1 ? aim.minY() : aim.midY()};
        if (bubbles[i]->arrow().direction != FWTPopoverArrowDirectionNone && body.insetBy(1, 1).contains(point))
            faults += "\"" + help.helpItems()[i].text + "\" covers what it shows\n";
    }
    return faults;
}

class HelpOverlayTest : public EditorTest {
protected:
    explicit HelpOverlayTest(bool phone = false) : EditorTest(phone) {}
    // The overlay over the window's root view, with items given by the test.
    std::shared_ptr<FrameEditorHelp> show(const std::function<void(FrameEditorHelp&)>& items) {
        root = ui::makeView<ui::View>(window->bounds());
        window->addSubview(root);
        auto help = std::make_shared<FrameEditorHelp>();
        items(*help);
        help->showHelpInView(*root);
        advance(1);
        return help;
    }
    ui::ViewPtr root;
};

class PhoneHelpOverlayTest : public HelpOverlayTest {
protected:
    PhoneHelpOverlayTest() : HelpOverlayTest(true) {}
};

TEST_F(PhoneHelpOverlayTest, BubblesExpandCollapseRunTheirActionAndClose) {
    const std::string longText(60, 'w');  // far wider than 277.5 points
    int ran = 0;
    auto help = show([&](FrameEditorHelp& help) {
        help.addHelp("Short.", {10, 10, 40, 40});
        help.addHelp(longText, {500, 250, 40, 40});
        help.addHelp("Tap.", {40, 280, 1, 1}, FWTPopoverArrowDirectionNone, h::moreHelpColor(), [&ran] { ++ran; });
    });
    ASSERT_EQ(help->popovers().size(), 3u);
    EXPECT_EQ(help->closeButton()->frame(), root->frame());
    // Sizes, arrows and colours of the short bubbles.
    EXPECT_EQ(help->popovers()[0]->contentSize, (graphics::Size{h::measureText("Short.") + 10, 40}));
    // The long one shows its whole text at once, as an expanded bubble lays it out.
    const graphics::Size text = graphics::Font::systemFont(12).sizeOfText(longText, 300);
    const graphics::Size whole{text.width + 10, std::max(40.0, text.height + 10)};
    EXPECT_EQ(help->popovers()[1]->contentSize, whole);
    EXPECT_EQ(help->popovers()[1]->contentView()->viewWithTag(1), nullptr) << "no more to show";
    EXPECT_EQ(help->popovers()[1]->arrow().direction, FWTPopoverArrowDirectionDown);
    EXPECT_EQ(help->popovers()[0]->arrow().direction, FWTPopoverArrowDirectionLeft);
    EXPECT_EQ(help->popovers()[0]->backgroundHelper().fillColor, h::defaultColor());
    EXPECT_EQ(help->popovers()[2]->backgroundHelper().fillColor, h::moreHelpColor());
    savePicture("edhelp_overlay_bubbles_phone.png");

    // Expanding it and collapsing it again keeps the whole text.
    help->actionHelpBtn(1);
    advance(1);
    EXPECT_TRUE(help->isExpanded(1));
    EXPECT_EQ(help->popovers()[1]->contentSize, (graphics::Size{text.width + 10, text.height + 10}));
    EXPECT_EQ(help->popovers()[1]->arrow().direction, FWTPopoverArrowDirectionDown);
    EXPECT_EQ(help->popovers().size(), 3u);
    help->actionCloseExtendedHelp(1);
    advance(1);
    EXPECT_FALSE(help->isExpanded(1));
    EXPECT_EQ(help->popovers()[1]->contentSize, whole);

    // A bubble with an action runs it and nothing else.
    help->actionHelpBtn(2);
    EXPECT_EQ(ran, 1);
    EXPECT_FALSE(help->isExpanded(2));

    // A tap on the layer asks to close; dismissing removes everything.
    int closes = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        FrameEditorHelp::kCloseNotification, help.get(), [&closes](const foundation::Notification&) { ++closes; });
    tap(help->closeButton());
    EXPECT_EQ(closes, 1);
    help->dismissHelp();
    advance(1);
    EXPECT_EQ(help->closeButton(), nullptr);
    EXPECT_TRUE(help->popovers().empty());
    for (const auto& child : root->subviews()) EXPECT_EQ(dynamic_cast<FWTPopoverView*>(child.get()), nullptr);
}

TEST_F(HelpOverlayTest, ReplacedTextShowsAtTheNextShowing) {
    auto help = show([](FrameEditorHelp& help) {
        help.addHelp("One.", {10, 10, 20, 20});
        help.addHelp("Two.", {10, 10, 20, 20});
    });
    help->replaceHelpAtRect({10, 10, 20, 20}, "Changed.");
    help->replaceHelpAtRect({0, 0, 1, 1}, "Nowhere.");
    EXPECT_EQ(help->helpItems()[0].text, "Changed.");
    EXPECT_EQ(help->helpItems()[1].text, "Two.");
    help->showHelpInView(*root);
    EXPECT_EQ(help->popovers().size(), 2u);
}

// ---- the editor's overlay and coach marks ---------------------------------------------------

bool showsLabel(const ui::View& view, const std::string& text) {
    if (auto* label = dynamic_cast<const ui::Label*>(&view); label && label->text() == text) return true;
    for (const auto& child : view.subviews())
        if (showsLabel(*child, text)) return true;
    return false;
}

// How many coach marks the editor's view shows, and the name of the last.
int coachMarksOnScreen(const ui::View& view, std::string* name = nullptr) {
    int shown = 0;
    for (const auto& child : view.subviews())
        for (const char* mark : {"Timeline", "Media", "CopyPaste", "Speed", "Effects"})
            if (child->alpha() > 0 && showsLabel(*child, HelpManager::helpTextForName(mark))) {
                ++shown;
                if (name) *name = mark;
            }
    return shown;
}

// Dismisses the coach marks of the names, as an earlier editor would have.
void dismissBefore(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        auto help = HelpManager::initWithName(name);
        ASSERT_NE(help, nullptr) << name;
        help->show();
        help->dismiss();
    }
}

std::string picturesOf(int count) { return std::string(static_cast<size_t>(count), 'A'); }

TEST_F(EditorTest, CoachMarkFromTheEntryCountAndWhatWasDismissedBefore) {
    struct Case {
        int pictures;  // the capture slot makes one more entry
        std::vector<std::string> dismissed;
        const char* shown;
    } cases[] = {
        {9, {}, ""},  // 10 entries
        {10, {}, "Timeline"},
        {15, {"Timeline"}, "Media"},
        {15, {}, "Timeline"},
        {20, {"Timeline", "Media"}, "CopyPaste"},
        {24, {"Timeline", "Media", "CopyPaste"}, ""},  // 25 entries: Speed not yet
        {25, {"Timeline", "Media", "CopyPaste"}, "Speed"},
        {30, {"Timeline", "Media", "CopyPaste", "Speed"}, "Effects"},
        {39, {"Timeline", "Media", "CopyPaste", "Speed", "Effects"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pictures);
        std::filesystem::remove(folders.documents() + "/" + HelpManager::kHelpManagerFile);
        dismissBefore(c.dismissed);
        open(projectOfPictures(picturesOf(c.pictures)));
        advance(1);
        std::string name;
        EXPECT_EQ(coachMarksOnScreen(*editor->view(), &name), *c.shown ? 1 : 0);
        EXPECT_EQ(name, c.shown);
        EXPECT_EQ(editor->isHelpShownThisTime(), *c.shown != 0);
        if (editor->helpManager()) {
            EXPECT_EQ(editor->helpManager()->name(), c.shown);
        }
        EXPECT_LIST_INVARIANTS(editor->project());
        editor.reset();
        settle();
    }
}

TEST_F(EditorTest, OneCoachMarkPerEditorLife) {
    open(projectOfPictures(picturesOf(39)));  // 40 entries: every mark is due
    advance(1);
    ASSERT_NE(editor->helpManager(), nullptr);
    EXPECT_EQ(editor->helpManager()->name(), "Timeline");
    EXPECT_EQ(editor->helpManager()->positionNextBtn(), HelpManager::kBottomRight);
    EXPECT_EQ(editor->helpManager()->positionLabel(), editor->viewPlayerViewController()->center());
    savePicture("edhelp_coach_mark_tablet.png");
    editor->helpManager()->dismiss();
    advance(2);
    EXPECT_EQ(editor->helpManager(), nullptr);  // told it finished
    for (int i = 0; i < 5; ++i) {
        editor->updateGUIWithStatus(i % 2 == 0);
        advance(1);
        EXPECT_EQ(coachMarksOnScreen(*editor->view()), 0);
    }
    // A new editor on the same project shows the next one.
    auto project = editor->project();
    editor.reset();
    settle();
    open(project);
    advance(1);
    ASSERT_NE(editor->helpManager(), nullptr);
    EXPECT_EQ(editor->helpManager()->name(), "Media");
    EXPECT_EQ(coachMarksOnScreen(*editor->view()), 1);
}

TEST_F(PhoneEditorTest, CoachMarkOnThePhoneUsesTheLowerLeftNextButtonExceptForSpeed) {
    dismissBefore({"Timeline", "Media", "CopyPaste"});
    open(projectOfPictures(picturesOf(25)));
    advance(1);
    ASSERT_NE(editor->helpManager(), nullptr);
    EXPECT_EQ(editor->helpManager()->name(), "Speed");
    EXPECT_EQ(editor->helpManager()->positionNextBtn(), HelpManager::kBottomRight);
    const graphics::Point more =
        editor->viewRightControls()->convertPointToView(editor->btnMore()->center(), editor->view());
    EXPECT_EQ(editor->helpManager()->positionLabel(), more);
    editor.reset();
    settle();
    std::filesystem::remove(folders.documents() + "/" + HelpManager::kHelpManagerFile);
    open(projectOfPictures(picturesOf(10)));
    advance(1);
    ASSERT_NE(editor->helpManager(), nullptr);
    EXPECT_EQ(editor->helpManager()->positionNextBtn(), HelpManager::kBottomLeft);
    savePicture("edhelp_coach_mark_phone.png");
}

TEST_F(EditorTest, ATapOnAControlUnderACoachMarkOrTheHelpClosesItAndWorksTheControl) {
    auto popoverUp = [this] { return editor->popoverController() && editor->popoverController()->isPopoverVisible(); };
    auto sheetUp = [this] { return editor->outlineNavigationController() != nullptr; };
    struct Case {
        const char* shown;  // the coach mark, or "" for the help overlay
        int pictures;
        std::function<const ui::View*()> control;
        std::function<bool()> worked;
    };
    const Case cases[] = {
        {"Timeline", 10, [this] { return editor->btnMusic(); }, popoverUp},
        {"Media", 15, [this] { return editor->btnMusic(); }, popoverUp},
        {"CopyPaste", 20,
         [this] {
             ui::ViewPtr item = editor->playerViewController()->carousel()->currentItemView();
             return KWFrameByFrameView::itemSubview(*item, KWFrameByFrameView::kTagThumbnail);
         },
         popoverUp},
        {"Speed", 25, [this] { return editor->btnMore(); }, popoverUp},
        {"Effects", 30, [this] { return editor->btnTheme(); }, sheetUp},
        {"Effects", 30, [this] { return editor->btnHelp(); }, [this] { return editor->frameEditorHelp() != nullptr; }},
        {"", 3, [this] { return editor->btnMusic(); }, popoverUp},
        {"", 3, [this] { return editor->btnTheme(); }, sheetUp},
        // Their own buttons do what they do, and nothing under them: Next
        // closes the mark; the help button closes the help.
        {"Timeline", 10, [this] { return editor->helpManager()->nextButton(); },
         [&] { return !popoverUp() && !sheetUp(); }},
        {"", 3, [this] { return editor->btnHelp(); }, [this] { return !editor->btnHelp()->isSelected(); }},
    };
    const std::vector<std::string> marks{"Timeline", "Media", "CopyPaste", "Speed", "Effects"};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (*c.shown ? c.shown : "the help") << " over " << c.pictures);
        std::filesystem::remove(folders.documents() + "/" + HelpManager::kHelpManagerFile);
        const auto before = std::find(marks.begin(), marks.end(), std::string(c.shown));
        dismissBefore(*c.shown ? std::vector<std::string>(marks.begin(), before) : marks);
        open(projectOfPictures(picturesOf(c.pictures)));
        advance(1);
        if (!*c.shown) {
            tap(editor->btnHelp());
            advance(1);
            ASSERT_NE(editor->frameEditorHelp(), nullptr);
        }
        std::string name;
        ASSERT_EQ(coachMarksOnScreen(*editor->view(), &name), *c.shown ? 1 : 0);
        EXPECT_EQ(name, c.shown);
        const std::string entries = namesOfList(*editor->project());
        const ui::View* control = c.control();
        tap(control);
        advance(1);
        EXPECT_TRUE(c.worked());
        EXPECT_EQ(coachMarksOnScreen(*editor->view()), 0);
        EXPECT_EQ(editor->helpManager(), nullptr);
        EXPECT_TRUE(!*c.shown || HelpManager::wasDismissed(c.shown));
        // The help button opens the help in place of a mark; else no help is left.
        EXPECT_EQ(editor->frameEditorHelp() != nullptr, *c.shown && control == editor->btnHelp());
        EXPECT_EQ(namesOfList(*editor->project()), entries);
        editor.reset();
        settle();
    }
}

// The texts of the overlay's bubbles, in order.
std::vector<std::string> textsOf(const FrameEditorHelp& help) {
    std::vector<std::string> texts;
    for (const auto& item : help.helpItems()) texts.push_back(item.text);
    return texts;
}

TEST_F(EditorTest, HelpOverlayOnTheTabletTogglesWithTheButtonAndItsLayer) {
    dismissBefore({"Timeline"});
    open(projectOfPictures("ABC"));
    tap(editor->btnHelp());
    advance(1);
    ASSERT_NE(editor->frameEditorHelp(), nullptr);
    EXPECT_TRUE(editor->btnHelp()->isSelected());
    const FrameEditorHelp& help = *editor->frameEditorHelp();
    EXPECT_EQ(textsOf(help).size(), 11u);
    EXPECT_EQ(textsOf(help).back(), "Need more help. Tap here.");
    EXPECT_EQ(help.helpItems().back().rect, Rect(50, 720, 1, 1));
    EXPECT_EQ(help.helpItems()[3].rect, Rect(948, 353, 60, 60));
    EXPECT_EQ(help.helpItems()[4].arrowDirection, FWTPopoverArrowDirectionDown);
    EXPECT_EQ(help.popovers().size(), 11u);
    EXPECT_EQ(bubbleFaults(help), "");
    savePicture("edhelp_help_overlay_tablet.png");
    // The layer's tap closes it through the notification.
    help.closeButton()->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
    advance(1);
    EXPECT_EQ(editor->frameEditorHelp(), nullptr);
    EXPECT_FALSE(editor->btnHelp()->isSelected());
    // Another overlay's close is not ours.
    tap(editor->btnHelp());
    FrameEditorHelp other;
    foundation::NotificationCenter::defaultCenter().post(n::kFrameEditorHelpClose, &other);
    EXPECT_NE(editor->frameEditorHelp(), nullptr);
    editor->actionHelp();  // the layer covers the button now
    EXPECT_EQ(editor->frameEditorHelp(), nullptr);
    EXPECT_FALSE(editor->btnHelp()->isSelected());
}

TEST_F(EditorTest, TabletControlsSitWhereTheFixedHelpRectanglesPoint) {
    open(projectOfPictures("ABC"));
    auto help = editor->prepareFrameEditorHelp();
    // The centre of each fixed rectangle lies on a shown control.
    std::function<bool(const ui::View&, graphics::Point)> hits = [&](const ui::View& view, graphics::Point point) {
        if (view.isHidden() || view.alpha() == 0) return false;
        if (auto* button = dynamic_cast<const ui::Control*>(&view)) {
            const Rect frame = view.superview()->convertRectToView(view.frame(), editor->view());
            if (frame.contains(point) && button != editor->btnCloseModalController()) return true;
        }
        for (const auto& child : view.subviews())
            if (hits(*child, point)) return true;
        return false;
    };
    for (const char* text :
         {"Capture images.", "Change camera settings.", "Setup a timer to capture images at a regularly interval.",
          "Overlay or Onion Skin setting.", "Jump to start or capture frame.", "Need more help. Tap here."}) {
        auto item = std::find_if(help->helpItems().begin(), help->helpItems().end(),
                                 [text](const FrameEditorHelpItem& item) { return item.text == text; });
        ASSERT_NE(item, help->helpItems().end()) << text;
        const graphics::Point centre{item->rect.midX(), item->rect.midY()};
        EXPECT_TRUE(hits(*editor->view(), centre)) << text << " at " << centre.x << "," << centre.y;
    }
}

TEST_F(PhoneEditorTest, HelpOverlayOnThePhonePointsAtTheButtons) {
    dismissBefore({"Timeline"});
    open(projectOfPictures("ABC"));
    editor->actionHelp();
    advance(1);
    ASSERT_NE(editor->frameEditorHelp(), nullptr);
    const FrameEditorHelp& help = *editor->frameEditorHelp();
    EXPECT_EQ(textsOf(help),
              (std::vector<std::string>{"Back to projects.", "Add voice over.", "Add background music.",
                                        "Change themes and more.", "Capture images.", "Project settings.",
                                        "Play movie preview.",
                                        "Frame-by-Frame view. Tap to scroll. Double-tap for timeline. Tap and hold "
                                        "to for more options.",
                                        "Need more help. Tap here."}));
    EXPECT_EQ(help.helpItems()[6].rect,
              editor->viewRightControls()->convertRectToView(editor->btnPlay()->frame(), editor->view()));
    EXPECT_EQ(help.helpItems()[3].arrowDirection, FWTPopoverArrowDirectionLeft);
    EXPECT_EQ(help.helpItems()[8].rect, Rect(40, 280, 1, 1));
    // The strip's long text comes whole, as an expanded bubble's; the short ones stay narrow.
    const h::ShortBubble strip = h::wholeTextBubble(textsOf(help)[7], 150, false);
    EXPECT_EQ(help.popovers()[7]->contentSize, (graphics::Size{strip.contentWidth + 10, strip.contentHeight}));
    EXPECT_GT(help.popovers()[7]->contentSize.width, 160);
    EXPECT_LT(help.popovers()[0]->contentSize.width, 160);
    EXPECT_EQ(bubbleFaults(help), "");
    savePicture("edhelp_help_overlay_phone.png");
}

// The editor in the tablet's window and in the phone's.
class HelpReadingTest : public testsupport::AtTabletAndPhone<EditorTest> {
protected:
    ui::Label* labelOf(const FrameEditorHelp& help, size_t bubble) {
        for (const auto& child : help.popovers()[bubble]->contentView()->subviews())
            if (auto* label = dynamic_cast<ui::Label*>(child.get())) return label;
        return nullptr;
    }
};

// Every tip of the help reads whole on screen with the text it was given,
// short and expanded, and the bubbles keep clear of each other.
TEST_P(HelpReadingTest, EveryHelpTipReadsWhole) {
    dismissBefore({"Timeline"});
    open(projectOfPictures("ABC"));
    editor->actionHelp();
    advance(1);
    ASSERT_NE(editor->frameEditorHelp(), nullptr);
    FrameEditorHelp& help = *editor->frameEditorHelp();
    EXPECT_EQ(bubbleFaults(help), "");
    savePicture(std::string("edhelp_whole_tips_") + (phone_ ? "phone.png" : "tablet.png"));
    for (size_t i = 0; i < help.helpItems().size(); ++i) {
        const std::string& text = help.helpItems()[i].text;
        ASSERT_NE(labelOf(help, i), nullptr) << text;
        EXPECT_EQ(labelOf(help, i)->text(), text);
        EXPECT_EQ(textCutFault(*labelOf(help, i)), "") << "short bubble";
        EXPECT_TRUE(window->bounds().contains(help.popovers()[i]->bodyFrame())) << text;
        if (help.helpItems()[i].block) continue;
        help.actionHelpBtn(i);
        advance(1);
        ASSERT_NE(labelOf(help, i), nullptr) << text;
        EXPECT_EQ(textCutFault(*labelOf(help, i)), "") << "expanded bubble";
        help.actionCloseExtendedHelp(i);
        advance(1);
    }
}

// Each coach mark's text reads whole beside its Next button, both inside
// the window; the phone's strip lies by the button.
TEST_P(HelpReadingTest, CoachMarksReadWholeBesideTheirNextButton) {
    const std::vector<std::string> marks{"Timeline", "Media", "CopyPaste", "Speed", "Effects"};
    for (size_t i = 0; i < marks.size(); ++i) {
        SCOPED_TRACE(marks[i]);
        std::filesystem::remove(folders.documents() + "/" + HelpManager::kHelpManagerFile);
        dismissBefore(std::vector<std::string>(marks.begin(), marks.begin() + static_cast<long>(i)));
        open(projectOfPictures(picturesOf(10 + 5 * static_cast<int>(i))));
        advance(1);
        HelpManager* mark = editor->helpManager();
        ASSERT_NE(mark, nullptr);
        ASSERT_EQ(mark->name(), marks[i]);
        if (i == 0) savePicture(std::string("edhelp_coach_mark_clear_") + (phone_ ? "phone.png" : "tablet.png"));
        const Rect text = inWindow(mark->textLabel());
        const Rect next = inWindow(mark->nextButton());
        EXPECT_TRUE(!text.intersects(next) && window->bounds().contains(text) && window->bounds().contains(next))
            << "text " << text.toString() << ", Next " << next.toString();
        EXPECT_FALSE(drawnTextRect(*mark->textLabel()).intersects(drawnRect(*mark->nextButton())));
        EXPECT_EQ(textCutFault(*mark->textLabel()), "");
        editor.reset();
        settle();
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, HelpReadingTest, ::testing::Bool(), testsupport::tabletOrPhone);

TEST_F(EditorTest, MoreHelpBubbleOpensTheHelpPagesInAFormSheet) {
    std::vector<std::string> asked;
    CaptureViewController::setHelpPageFactory([&asked](const std::string& page) {
        asked.push_back(page);
        return std::make_shared<ui::ViewController>("HelpPage");
    });
    dismissBefore({"Timeline"});
    open(projectOfPictures("AB"));
    editor->actionHelp();
    advance(1);
    editor->frameEditorHelp()->actionHelpBtn(editor->frameEditorHelp()->helpItems().size() - 1);
    EXPECT_EQ(editor->presentedViewController(), nullptr);  // on the main queue
    settle();
    advance(1);
    auto* navigation = dynamic_cast<ui::NavigationController*>(editor->presentedViewController());
    ASSERT_NE(navigation, nullptr);
    EXPECT_EQ(navigation->modalPresentationStyle, ui::ModalPresentationStyle::FormSheet);
    EXPECT_EQ(asked, (std::vector<std::string>{""}));
    CaptureViewController::setHelpPageFactory(nullptr);
}

// ---- notices and errors ----------------------------------------------------------------------

TEST_F(EditorTest, ErrorTextsAndNoticeTimes) {
    open(projectOfPictures("AB"));
    struct Case {
        foundation::Error error;
        const char* message;
    } cases[] = {
        {{"FrameEditor", 2090, ""}, "Ups. An unknown error occured. (FrameEditor-2090)"},
        {{"NSPOSIXErrorDomain", 28, "No space left on device"}, "No space left on device"},
    };
    for (const Case& c : cases) {
        editor->showError(c.error);
        settle();
        const auto messages = alertMessages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(), c.message);
    }
    const size_t alerts = alertMessages().size();
    editor->showError(std::nullopt);
    settle();
    EXPECT_EQ(alertMessages().size(), alerts);

    editor->showInfoNotification("Wait", 0, true);
    settle();
    ASSERT_NE(editor->hudy(), nullptr);
    EXPECT_EQ(editor->hudy()->dismissAfterTime, 20);
    Hudy* first = editor->hudy();
    foundation::NotificationCenter::defaultCenter().post(n::kShowActivity, editor.get(),
                                                         {{n::kInfoKey, foundation::Value("Importing...")}});
    settle();
    ASSERT_NE(editor->hudy(), first);  // replaced
    EXPECT_EQ(editor->hudy()->caption, "Importing...");
    EXPECT_TRUE(editor->hudy()->isActivity);
    EXPECT_EQ(editor->hudy()->dismissAfterTime, 20);
}

// The embedded camera (the synthetic one) answering presses of its shutter
// delivered as fingers in the window, whatever help is up.
class ShutterUnderHelpTest : public EditorTest {
protected:
    CaptureViewController& camera() { return *editor->captureViewController(); }
    void openAndWaitForTheCamera(const ProjectModelPtr& project) {
        open(project);
        ASSERT_NE(editor->captureViewController(), nullptr);
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return camera().captureSource() && camera().captureSource()->isReadyToCapture(); }, 30.0));
    }
    int64_t pictures() {
        int64_t count = 0;
        for (const FramePtr& frame : *editor->project()->getFrameList())
            count += frame->type() == Frame::kTypePicture ? 1 : 0;
        return count;
    }
    // A finger on the shutter, or the keys that press it; returns once its
    // picture is stored.
    enum class Press { Finger, Space, Return };
    void pressShutter(Press by = Press::Finger) {
        const int64_t before = pictures();
        if (by == Press::Finger)
            tap(camera().recordBtn());
        else
            ASSERT_TRUE(by == Press::Space ? fingers.type(" ") : fingers.press(ui::Key::Return));
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return pictures() == before + 1 && !camera().isCapturing(); }, 30.0))
            << "press " << before + 1;
        settle();
    }
    // Waits on the virtual clock until the time-lapse has stored `count` pictures.
    void waitForPictures(int64_t count) {
        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return pictures() >= count; }, 60.0));
        settle();
    }
    void chooseInterval(int64_t seconds) {
        camera().actionTimerConfiguration();
        auto picker = std::dynamic_pointer_cast<TimerConfigurationViewController>(
            camera().popoverController()->contentViewController());
        ASSERT_NE(picker, nullptr);
        picker->handlerValueChange(seconds);
        camera().popoverController()->dismissPopoverAnimated(false);
    }
};

TEST_F(ShutterUnderHelpTest, FourteenPressesInANewProjectMakeFourteenFramesAndLaterOnesGoThroughTheCoachMark) {
    openAndWaitForTheCamera(ProjectModel::create());
    for (int press = 1; press <= 14; ++press) {
        pressShutter();
        EXPECT_EQ(coachMarksOnScreen(*editor->view()), 0) << "press " << press;  // not while shooting
    }
    EXPECT_EQ(pictures(), 14);
    EXPECT_LIST_INVARIANTS(editor->project());
    ASSERT_TRUE(editor->project()->getProjectPath().has_value());

    // The next update that is not a capture shows the due mark over the camera;
    // the shutter answers under it, to keys and fingers, and under the help
    // overlay too. Keys leave the help up; a finger's press closes it.
    editor->updateGUIWithStatus(true);
    advance(1);
    std::string name;
    ASSERT_EQ(coachMarksOnScreen(*editor->view(), &name), 1);
    EXPECT_EQ(name, "Timeline");
    pressShutter(Press::Space);
    EXPECT_EQ(pictures(), 15);
    EXPECT_EQ(coachMarksOnScreen(*editor->view()), 1);
    pressShutter();
    EXPECT_EQ(pictures(), 16);
    advance(1);
    ASSERT_EQ(coachMarksOnScreen(*editor->view()), 0);
    tap(editor->btnHelp());
    advance(1);
    ASSERT_NE(editor->frameEditorHelp(), nullptr);
    pressShutter(Press::Return);
    EXPECT_NE(editor->frameEditorHelp(), nullptr);
    pressShutter();
    EXPECT_EQ(pictures(), 18);
    advance(1);
    EXPECT_EQ(editor->frameEditorHelp(), nullptr);
    EXPECT_LIST_INVARIANTS(editor->project());
}

TEST_F(ShutterUnderHelpTest, NoHelpComesUpWhileATimeLapseRunsAndItsShutterStopsItUnderAnyHelp) {
    openAndWaitForTheCamera(projectOfPictures(picturesOf(8)));  // 9 entries
    chooseInterval(2);
    tap(camera().recordBtn());
    ASSERT_TRUE(camera().isTimerRunning());
    waitForPictures(12);  // 13 entries: the first mark is due
    editor->updateGUIWithStatus(true);
    tap(editor->btnHelp());
    advance(1);
    EXPECT_EQ(coachMarksOnScreen(*editor->view()), 0);
    EXPECT_EQ(editor->frameEditorHelp(), nullptr);
    tap(camera().recordBtn());
    EXPECT_FALSE(camera().isTimerRunning());
    settle();

    // Idle again: the mark comes with the next update. A time-lapse started
    // and stopped under it.
    editor->updateGUIWithStatus(true);
    advance(1);
    ASSERT_EQ(coachMarksOnScreen(*editor->view()), 1);
    tap(camera().recordBtn());
    ASSERT_TRUE(camera().isTimerRunning());
    waitForPictures(pictures() + 2);
    tap(camera().recordBtn());
    EXPECT_FALSE(camera().isTimerRunning());
    settle();
    const int64_t stopped = pictures();
    advance(6);
    settle();
    EXPECT_EQ(pictures(), stopped);
    EXPECT_LIST_INVARIANTS(editor->project());
}

}  // namespace
}  // namespace editortest
