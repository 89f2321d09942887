// The keyboard's equivalents of taps, sent as Qt key events through the
// window host: alerts and action sheets, text fields, grids, keypads and
// scroll views; and the wheel's distance and a paging view's settling.

#include "ControlsTestSupport.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/host/WindowHost.h"
#include "platform/ui/lists/CollectionView.h"
#include "platform/ui/lists/ScrollView.h"
#include "platform/ui/text/TextField.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWindow>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using graphics::Point;
using graphics::Rect;
using graphics::Size;
using ui::IndexPath;
using ui::Key;
using Strings = std::vector<std::string>;

namespace {

class KeyboardTest : public controltest::ControlsTest {
protected:
    void SetUp() override {
        window->makeKeyAndVisible();
        host = std::make_unique<ui::WindowHost>(window);
        host->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        for (auto& alert : ui::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
        for (auto& sheet : ui::ActionSheet::visibleSheets())
            sheet->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
        host.reset();
        QCoreApplication::processEvents();
        ControlsTest::TearDown();
    }

    void key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, text);
        QGuiApplication::sendEvent(host->qWindow(), &event);
    }
    void type(const std::string& text) {
        for (char c : text) key(Qt::Key_unknown, Qt::NoModifier, QString(QChar(c)));
    }

    std::unique_ptr<ui::WindowHost> host;
};

// ---- alerts and action sheets -----------------------------------------------------------

class PanelLog : public ui::AlertViewDelegate, public ui::ActionSheetDelegate {
public:
    void clickedButtonAtIndex(ui::AlertView&, int i) override { log.push_back("clicked " + std::to_string(i)); }
    void didDismissWithButtonIndex(ui::AlertView&, int i) override { log.push_back("dismissed " + std::to_string(i)); }
    void clickedButtonAtIndex(ui::ActionSheet&, int i) override { log.push_back("clicked " + std::to_string(i)); }
    void didDismissWithButtonIndex(ui::ActionSheet&, int i) override {
        log.push_back("dismissed " + std::to_string(i));
    }
    Strings log;
};

TEST_F(KeyboardTest, ReturnChoosesAPanelsDefaultButtonAndEscapeItsCancel) {
    struct Case {
        const char* what;
        bool sheet;
        std::optional<std::string> cancel;
        std::optional<std::string> destructive;
        std::vector<std::string> others;
        int qtKey;
        Strings expected;
    };
    const Case cases[] = {
        {"alert: Return is the other button",
         false,
         "No",
         {},
         {"Delete"},
         Qt::Key_Return,
         {"clicked 1", "dismissed 1"}},
        {"alert: Escape is the cancel button",
         false,
         "No",
         {},
         {"Delete"},
         Qt::Key_Escape,
         {"clicked 0", "dismissed 0"}},
        {"alert: the first of several others",
         false,
         "Cancel",
         {},
         {"Ok", "Optimized (Slower)"},
         Qt::Key_Enter,
         {"clicked 1", "dismissed 1"}},
        {"alert: a lone cancel button is the default",
         false,
         "OK",
         {},
         {},
         Qt::Key_Return,
         {"clicked 0", "dismissed 0"}},
        {"alert: no cancel button, Escape is the system's cancel",
         false,
         {},
         {},
         {"Dismiss"},
         Qt::Key_Escape,
         {"dismissed -1"}},
        {"sheet: the destructive button when it is the only choice",
         true,
         "Cancel",
         "Delete",
         {},
         Qt::Key_Return,
         {"clicked 0", "dismissed 0"}},
        {"sheet: an other button before the destructive one",
         true,
         "Cancel",
         "Delete",
         {"Duplicate"},
         Qt::Key_Return,
         {"clicked 1", "dismissed 1"}},
        {"sheet: Escape is its cancel button",
         true,
         "Cancel",
         "Delete",
         {},
         Qt::Key_Escape,
         {"clicked 1", "dismissed 1"}},
    };
    // A field editing under the panel must not get the panel's keys.
    auto field = ui::makeView<ui::TextField>(Rect(10, 10, 200, 30));
    window->addSubview(field);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PanelLog delegate;
        ASSERT_TRUE(field->becomeFirstResponder());
        std::shared_ptr<ui::ButtonPanel> panel;
        if (c.sheet) {
            auto sheet = ui::makeView<ui::ActionSheet>("", &delegate, c.cancel, c.destructive, c.others);
            sheet->showInView(window.get());
            panel = sheet;
        } else {
            auto alert = ui::makeView<ui::AlertView>("Warning", "Sure?", &delegate, c.cancel, c.others);
            alert->show();
            panel = alert;
        }
        foundation::RunLoop::main().advance(1);
        type("x");
        key(c.qtKey);
        foundation::RunLoop::main().advance(1);
        EXPECT_EQ(delegate.log, c.expected);
        EXPECT_FALSE(panel->isVisible());
        EXPECT_EQ(field->text(), "") << "typing went past the panel";
        EXPECT_TRUE(field->isEditing()) << "the panel's key reached the field";
    }
}

// ---- text fields ----------------------------------------------------------------------------

class NameDelegate : public ui::TextFieldDelegate {
public:
    void textFieldDidEndEditing(ui::TextField& field) override { saved.push_back(field.text()); }
    Strings saved;
};

TEST_F(KeyboardTest, EscapeCancelsARenameAndReturnEndsIt) {
    auto field = ui::makeView<ui::TextField>(Rect(10, 10, 300, 30));
    NameDelegate delegate;
    field->setDelegate(&delegate);
    field->setText("My Movie");
    window->addSubview(field);

    ASSERT_TRUE(field->becomeFirstResponder());
    key(Qt::Key_Backspace);
    type("e!");
    EXPECT_EQ(field->text(), "My Movie!");
    key(Qt::Key_Escape);
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(field->text(), "My Movie") << "Escape keeps the old name";

    ASSERT_TRUE(field->becomeFirstResponder());
    type(" 2");
    key(Qt::Key_Return);
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(delegate.saved, (Strings{"My Movie", "My Movie 2"}));
    EXPECT_EQ(window->firstResponder(), nullptr);
}

TEST_F(KeyboardTest, SelectAllAndShiftArrowsSelectTextThatTypingReplaces) {
    auto field = ui::makeView<ui::TextField>(Rect(10, 10, 300, 30));
    field->setText("Sunrise");
    window->addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());

    struct Step {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        ui::TextRange selection;
    };
    const Step steps[] = {
        {Qt::Key_Left, Qt::ShiftModifier, {6, 1}},  // caret at the end, extended left
        {Qt::Key_Left, Qt::ShiftModifier, {5, 2}},  //
        {Qt::Key_Right, Qt::NoModifier, {7, 0}},    // collapses to the selection's end
        {Qt::Key_Home, Qt::ShiftModifier, {0, 7}},  //
        {Qt::Key_Left, Qt::NoModifier, {0, 0}},     // collapses to its start
        {Qt::Key_End, Qt::ShiftModifier, {0, 7}},   //
        {Qt::Key_Right, Qt::NoModifier, {7, 0}},    //
        {Qt::Key_A, Qt::ControlModifier, {0, 7}},   // select all
    };
    for (const Step& step : steps) {
        key(step.qtKey, step.modifiers, step.qtKey == Qt::Key_A ? QString(QChar(1)) : QString());
        EXPECT_EQ(field->selectedRange(), step.selection) << "after key " << step.qtKey;
    }
    type("Dusk");
    EXPECT_EQ(field->text(), "Dusk") << "typing replaces the selection; Ctrl+A types nothing";

    key(Qt::Key_Left, Qt::ShiftModifier);
    key(Qt::Key_Left, Qt::ShiftModifier);
    key(Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "Du");
    EXPECT_EQ(field->selectedRange(), (ui::TextRange{2, 0}));

    // The selection is drawn in the field's tint.
    field->setTintColor(graphics::Color::rgb(1, 0, 0));
    field->setBackgroundColor(graphics::Color::white());
    key(Qt::Key_A, Qt::ControlModifier, QString(QChar(1)));
    graphics::Image picture = ui::renderView(*field);
    EXPECT_GT(controltest::countPixels(picture, Rect(0, 0, 30, 30), controltest::near(255, 178, 178, 30)), 20);
}

// ---- grids, keypads and scroll views ------------------------------------------------------------

class Numbers : public ui::CollectionViewDataSource, public ui::CollectionViewDelegate {
public:
    explicit Numbers(size_t count) : count(count) {}
    size_t numberOfItemsInSection(ui::CollectionView&, size_t) override { return count; }
    ui::CollectionViewCellPtr cellForItemAtIndexPath(ui::CollectionView& view, const IndexPath& path) override {
        return view.dequeueReusableCellWithReuseIdentifier("cell", path);
    }
    void didSelectItemAtIndexPath(ui::CollectionView&, const IndexPath& path) override { chosen.push_back(path.row); }
    size_t count;
    std::vector<size_t> chosen;
};

TEST_F(KeyboardTest, ArrowsMoveTheGridsFocusRingAndReturnOpensTheItem) {
    // 100-point items with 10 between them in a 470-wide grid: four per row.
    auto layout = std::make_shared<ui::CollectionViewFlowLayout>();
    layout->setItemSize(Size{100, 100});
    layout->setMinimumInteritemSpacing(10);
    layout->setMinimumLineSpacing(10);
    layout->setSectionInset(graphics::EdgeInsets{10, 10, 10, 10});
    auto grid = ui::makeView<ui::CollectionView>(Rect(0, 0, 470, 320), layout);
    Numbers items(10);
    grid->registerClass([] { return ui::makeView<ui::CollectionViewCell>(); }, "cell");
    grid->setDataSource(&items);
    grid->setDelegate(&items);
    grid->setTintColor(graphics::Color::rgb(0.5, 0.1, 0.9));
    window->addSubview(grid);
    grid->layoutIfNeeded();

    struct Step {
        int qtKey;
        size_t focused;
    };
    const Step steps[] = {
        {Qt::Key_Right, 0},  // the first arrow shows the ring on the first item
        {Qt::Key_Right, 1}, {Qt::Key_Down, 5}, {Qt::Key_Down, 9}, {Qt::Key_Right, 9},  // no item after the last
        {Qt::Key_Up, 5},    {Qt::Key_Left, 4}, {Qt::Key_Left, 3}, {Qt::Key_Up, 3},     // none above the first row
    };
    for (const Step& step : steps) {
        key(step.qtKey);
        ASSERT_TRUE(grid->focusedIndexPath().has_value());
        EXPECT_EQ(grid->focusedIndexPath()->row, step.focused) << "after key " << step.qtKey;
    }
    ASSERT_NE(grid->focusRingView(), nullptr);
    EXPECT_EQ(grid->focusRingView()->layer().borderColor(), graphics::Color::rgb(0.5, 0.1, 0.9));
    auto focusedFrame = grid->layoutAttributesForItemAtIndexPath(*grid->focusedIndexPath())->frame;
    EXPECT_EQ(grid->focusRingView()->frame(), focusedFrame.insetBy(-3, -3));
    EXPECT_EQ(grid->subviews().back().get(), grid->focusRingView()) << "the ring is drawn over the cells";

    key(Qt::Key_Return);
    EXPECT_EQ(items.chosen, (std::vector<size_t>{3}));
    EXPECT_EQ(grid->indexPathsForSelectedItems(), (std::vector<IndexPath>{IndexPath::indexPathForItem(3, 0)}));

    // Items going away take the ring with them when its item goes.
    items.count = 2;
    grid->reloadData();
    EXPECT_FALSE(grid->focusedIndexPath().has_value());
    EXPECT_EQ(grid->focusRingView(), nullptr);
    grid->setDataSource(nullptr);
    grid->setDelegate(nullptr);
}

TEST_F(KeyboardTest, DigitsAndBackspaceReachAKeypadWhenNoFieldTakesThem) {
    Strings pressed;
    auto pad = ui::makeView<ui::View>(Rect(0, 0, 300, 300));
    for (int digit = 0; digit < 10; ++digit) {
        auto button = ui::makeView<ui::Button>(ui::ButtonType::System);
        button->setKeyEquivalent(std::to_string(digit));
        button->addTarget(
            nullptr, [&pressed, digit](ui::Control&) { pressed.push_back(std::to_string(digit)); },
            ui::ControlEventTouchUpInside);
        pad->addSubview(button);
    }
    auto erase = ui::makeView<ui::Button>(ui::ButtonType::System);
    erase->setKeyEquivalent(Key::Backspace);
    erase->addTarget(
        nullptr, [&pressed](ui::Control&) { pressed.push_back("<"); }, ui::ControlEventTouchUpInside);
    pad->addSubview(erase);
    window->addSubview(pad);

    type("4a2");
    key(Qt::Key_Backspace);
    static_cast<ui::Button*>(pad->subviews()[7].get())->setEnabled(false);
    type("7");
    pad->subviews()[1]->setHidden(true);
    type("1");
    EXPECT_EQ(pressed, (Strings{"4", "2", "<"})) << "letters, disabled and hidden keys do nothing";

    // An editing field takes the digits itself.
    auto field = ui::makeView<ui::TextField>(Rect(0, 300, 100, 20));
    window->addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());
    type("5");
    EXPECT_EQ(field->text(), "5");
    EXPECT_EQ(pressed.size(), 3u);
}

TEST_F(KeyboardTest, PageKeysScrollTheScrollViewOnScreen) {
    auto list = ui::makeView<ui::ScrollView>(Rect(0, 0, 480, 320));
    list->setContentSize(Size{480, 1000});
    auto pager = ui::makeView<ui::ScrollView>(Rect(0, 0, 400, 300));
    pager->setPagingEnabled(true);
    pager->setContentSize(Size{1200, 300});
    window->addSubview(list);

    struct Step {
        int qtKey;
        double offset;
    };
    // A page of a list is its height less a line (300), kept within the content (680 at most).
    const Step listSteps[] = {{Qt::Key_PageDown, 300}, {Qt::Key_PageDown, 600}, {Qt::Key_PageDown, 680},
                              {Qt::Key_PageUp, 380},   {Qt::Key_Home, 0},       {Qt::Key_End, 680}};
    for (const Step& step : listSteps) {
        key(step.qtKey);
        EXPECT_EQ(list->contentOffset(), (Point{0, step.offset})) << "after key " << step.qtKey;
    }

    // A sideways pager moves a whole page at a time.
    list->removeFromSuperview();
    window->addSubview(pager);
    const Step pagerSteps[] = {
        {Qt::Key_PageDown, 400}, {Qt::Key_PageDown, 800}, {Qt::Key_PageDown, 800}, {Qt::Key_PageUp, 400}};
    for (const Step& step : pagerSteps) {
        key(step.qtKey);
        EXPECT_EQ(pager->contentOffset(), (Point{step.offset, 0})) << "after key " << step.qtKey;
    }
}

TEST_F(KeyboardTest, EscapeAndReturnTapTheBarsCancelBackAndDoneButtons) {
    Strings tapped;
    auto item = [&](auto kind, const char* name) {
        return std::make_shared<ui::BarButtonItem>(kind,
                                                   [&tapped, name](ui::BarButtonItem&) { tapped.push_back(name); });
    };
    auto bar = ui::makeView<ui::Toolbar>(Rect(0, 276, 480, 44));
    auto cancel = item(ui::BarButtonSystemItem::Cancel, "cancel");
    auto done = item(ui::BarButtonSystemItem::Done, "done");
    bar->setItems({cancel, done});
    window->addSubview(bar);
    key(Qt::Key_Escape);
    key(Qt::Key_Return);
    EXPECT_EQ(tapped, (Strings{"cancel", "done"}));

    // An item may take another key, or none; a disabled one takes nothing.
    auto back = std::make_shared<ui::BarButtonItem>("Back", ui::BarButtonItemStyle::Plain,
                                                    [&tapped](ui::BarButtonItem&) { tapped.push_back("back"); });
    back->setKeyEquivalent(Key::Escape);
    cancel->setKeyEquivalent(std::nullopt);
    done->setEnabled(false);
    bar->setItems({cancel, back, done});
    key(Qt::Key_Escape);
    key(Qt::Key_Return);
    EXPECT_EQ(tapped, (Strings{"cancel", "done", "back"}));
    bar->removeFromSuperview();

    // A navigation bar's back button is Escape too.
    auto root = std::make_shared<ui::ViewController>();
    root->title = "Projects";
    auto navigation = std::make_shared<ui::NavigationController>(root);
    navigation->view()->setFrame(window->bounds());
    window->addSubview(navigation->viewPtr());
    navigation->pushViewController(std::make_shared<ui::ViewController>(), false);
    ASSERT_EQ(navigation->viewControllers().size(), 2u);
    key(Qt::Key_Escape);
    foundation::RunLoop::main().advance(1);
    EXPECT_EQ(navigation->topViewController(), root.get());
    navigation->view()->removeFromSuperview();
}

// ---- where keys go -------------------------------------------------------------------------------

// A button that logs its taps under a name.
std::shared_ptr<ui::Button> loggingButton(Strings& log, const char* name, Rect frame) {
    auto button = ui::makeView<ui::Button>(ui::ButtonType::System, frame);
    button->addTarget(
        nullptr, [&log, name](ui::Control&) { log.push_back(name); }, ui::ControlEventTouchUpInside);
    return button;
}

// An overlay over the whole screen that lets touches through to some views.
class ThroughOverlay : public ui::View {
public:
    using View::View;
    std::vector<ui::ViewPtr> through;
    std::vector<ui::ViewPtr> viewsReachedThrough() const override { return through; }
};

TEST_F(KeyboardTest, KeysGoWhereAClickCouldGo) {
    // A grid with a card over it that covers it exactly, as a project card
    // lies over the project grid.
    auto layout = std::make_shared<ui::CollectionViewFlowLayout>();
    layout->setItemSize(Size{100, 100});
    auto screen = ui::makeView<ui::View>(Rect(0, 0, 480, 320));
    auto grid = ui::makeView<ui::CollectionView>(Rect(0, 40, 480, 280), layout);
    Numbers items(6);
    grid->registerClass([] { return ui::makeView<ui::CollectionViewCell>(); }, "cell");
    grid->setDataSource(&items);
    grid->setDelegate(&items);
    screen->addSubview(grid);
    auto card = ui::makeView<ui::View>(Rect(0, 40, 480, 280));
    Strings tapped;
    auto back = loggingButton(tapped, "back", Rect(10, 10, 60, 30));
    back->setKeyEquivalent(Key::Escape);
    card->addSubview(back);
    screen->addSubview(card);
    // A small bar in front of both covers nothing wholly.
    auto bar = ui::makeView<ui::View>(Rect(0, 0, 480, 60));
    screen->addSubview(bar);
    window->addSubview(screen);
    grid->layoutIfNeeded();

    key(Qt::Key_Right);
    key(Qt::Key_Down);
    EXPECT_FALSE(grid->focusedIndexPath()) << "the card keeps the arrows from the grid behind it";
    key(Qt::Key_Escape);
    EXPECT_EQ(tapped, (Strings{"back"}));
    card->setHidden(true);
    key(Qt::Key_Right);
    ASSERT_TRUE(grid->focusedIndexPath());
    EXPECT_EQ(grid->focusedIndexPath()->row, 0u);
    // A card that takes no touches hides nothing.
    card->setHidden(false);
    card->setUserInteractionEnabled(false);
    key(Qt::Key_Right);
    EXPECT_EQ(grid->focusedIndexPath()->row, 1u);
    // An overlay that lets touches through to the grid lets its keys through too.
    auto overlay = ui::makeView<ThroughOverlay>(Rect(0, 0, 480, 320));
    screen->addSubview(overlay);
    key(Qt::Key_Right);
    EXPECT_EQ(grid->focusedIndexPath()->row, 1u) << "not yet let through";
    overlay->through = {grid};
    key(Qt::Key_Right);
    EXPECT_EQ(grid->focusedIndexPath()->row, 2u);
    grid->setDataSource(nullptr);
    grid->setDelegate(nullptr);
    screen->removeFromSuperview();

    // In a sideways pager only the page on screen takes keys.
    auto pager = ui::makeView<ui::ScrollView>(Rect(0, 0, 400, 300));
    pager->setContentSize(Size{800, 300});
    for (const char* name : {"first", "second"}) {
        auto page = ui::makeView<ui::View>(Rect(pager->subviews().size() * 400.0, 0, 400, 300));
        auto start = loggingButton(tapped, name, Rect(150, 200, 100, 40));
        start->setKeyEquivalent(Key::Return);
        page->addSubview(start);
        pager->addSubview(page);
    }
    window->addSubview(pager);
    key(Qt::Key_Return);
    pager->setContentOffset(Point{400, 0});
    key(Qt::Key_Return);
    EXPECT_EQ(tapped, (Strings{"back", "first", "second"}));
}

TEST_F(KeyboardTest, ControlsTakeSeveralKeysAndTheDesktopsUndoAndRedo) {
    Strings tapped;
    auto shutter = loggingButton(tapped, "shutter", Rect(0, 0, 80, 80));
    shutter->setKeyEquivalent(" ");
    shutter->addKeyEquivalent(Key::Return);
    auto undo = loggingButton(tapped, "undo", Rect(100, 0, 40, 40));
    undo->setKeyEquivalent(Key::Undo);
    auto redo = loggingButton(tapped, "redo", Rect(150, 0, 40, 40));
    redo->setKeyEquivalent(Key::Redo);
    auto panel = ui::makeView<ui::View>(Rect(0, 0, 200, 80));
    for (auto& button : {shutter, undo, redo}) panel->addSubview(button);
    window->addSubview(panel);
    type(" ");
    key(Qt::Key_Return);
    key(Qt::Key_Z, Qt::ControlModifier, QString(QChar(26)));
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, QString(QChar(26)));
    key(Qt::Key_Z, Qt::NoModifier, "z");  // a plain z is typing
    EXPECT_EQ(tapped, (Strings{"shutter", "shutter", "undo", "redo"}));
    // Setting a key equivalent replaces the others.
    shutter->setKeyEquivalent(Key::Tab);
    type(" ");
    EXPECT_EQ(tapped.size(), 4u);
}

// A screen with a key command of its own.
class CommandScreen : public ui::ViewController {
public:
    bool keyCommand(const ui::KeyPress& press) override {
        if (press.key != Key::Delete) return false;
        ++deletes;
        return true;
    }
    int deletes = 0;
};

TEST_F(KeyboardTest, AScreensKeyCommandsComeAfterItsViews) {
    auto screen = std::make_shared<CommandScreen>();
    screen->view()->setFrame(window->bounds());
    window->addSubview(screen->viewPtr());
    key(Qt::Key_Delete);
    EXPECT_EQ(screen->deletes, 1);
    Strings tapped;
    auto trash = loggingButton(tapped, "trash", Rect(0, 0, 40, 40));
    trash->setKeyEquivalent(Key::Delete);
    screen->view()->addSubview(trash);
    key(Qt::Key_Delete);
    EXPECT_EQ(tapped, (Strings{"trash"}));
    EXPECT_EQ(screen->deletes, 1);
    screen->view()->removeFromSuperview();
}

// ---- the wheel ----------------------------------------------------------------------------------

TEST(WheelScrollDistance, NotchesAreLinesAndTrackpadsGivePixels) {
    struct Case {
        Point angle, pixels;
        double scale;
        int lines;
        Point expected;
    };
    const Case cases[] = {
        {{0, -120}, {}, 1, 3, {0, -60}},       // one notch: three lines of 20 points
        {{0, 240}, {}, 2, 3, {0, 120}},        // the window's scale does not change notches
        {{0, 60}, {}, 1, 3, {0, 30}},          // half a notch of a fine wheel
        {{-120, 0}, {}, 1, 5, {-100, 0}},      // the desktop's lines per notch
        {{0, 120}, {}, 1, 0, {0, 20}},         // at least a line
        {{0, 120}, {0, 40}, 2, 3, {0, 20}},    // pixels of a window shown twice as large
        {{0, 120}, {-9, 30}, 1, 3, {-9, 30}},  // both axes of a trackpad
        {{0, 120}, {0, 10}, 0, 3, {0, 10}},    // no scale known
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ui::wheelScrollDistance(c.angle, c.pixels, c.scale, c.lines), c.expected)
            << c.angle.y << " " << c.pixels.y << " " << c.scale;
    }
}

TEST_F(KeyboardTest, APagingViewSettlesOnAPageOnceTheWheelRests) {
    auto pager = ui::makeView<ui::ScrollView>(Rect(0, 0, 480, 320));
    pager->setPagingEnabled(true);
    pager->setContentSize(Size{480, 960});
    window->addSubview(pager);
    auto wheel = [&](int notches) {
        QPointF at(100, 100);
        QWheelEvent event(at, host->qWindow()->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QGuiApplication::sendEvent(host->qWindow(), &event);
    };
    wheel(1);
    EXPECT_EQ(pager->contentOffset(), (Point{0, 60}));
    foundation::RunLoop::main().advance(ui::ScrollView::kWheelSettleDelay / 2);
    wheel(2);  // still turning: no settling yet
    foundation::RunLoop::main().advance(ui::ScrollView::kWheelSettleDelay / 2);
    EXPECT_EQ(pager->contentOffset(), (Point{0, 180}));
    EXPECT_FALSE(pager->isScrollAnimating());
    foundation::RunLoop::main().advance(ui::ScrollView::kWheelSettleDelay / 2 + 0.01);
    EXPECT_TRUE(pager->isScrollAnimating());
    foundation::RunLoop::main().advance(1);
    EXPECT_EQ(pager->contentOffset(), (Point{0, 320})) << "180 of 320 is nearer the second page";

    wheel(-1);  // back towards the first page, but not half way
    foundation::RunLoop::main().advance(1);
    EXPECT_EQ(pager->contentOffset(), (Point{0, 320}));
}

}  // namespace
