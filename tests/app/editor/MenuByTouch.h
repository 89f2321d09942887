#pragma once

// The editor with the frame-edit menu driven as the user drives it: by the
// notifications the menu posts (OperationsTest), or by a finger on the
// strip's frame and on the menu's entry where they are drawn, with the
// painter and the crop editor it opens (MenuByTouchTest).

#include "EditorTestSupport.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/KWFrameByFrameView.h"
#include "app/editor/KWFrameEditMenuViewController.h"
#include "app/painter/PainterViewController.h"
#include "app/widgets/carousel/iCarousel.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/Pasteboard.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controls/Label.h"

#include <functional>
#include <string>
#include <vector>

namespace editortest {

class OperationsTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        library::Pasteboard::general().clear();
    }
    void TearDown() override {
        library::Pasteboard::general().clear();
        EditorTest::TearDown();
    }
    // Posts a menu choice for the entry at `index` with the selection (location, length).
    void choose(const char* name, int64_t index, int64_t location, int64_t length) {
        auto list = editor->project()->getFrameList();
        foundation::NotificationCenter::defaultCenter().post(
            name, nullptr,
            {{editornotifications::kFrameKey, editornotifications::box(list->getFrameAtIndex(index))},
             {editornotifications::kSelectionKey,
              editornotifications::box(editornotifications::FrameRange{location, length})}});
        settle();
    }
    SavedListStamp savedListStamp() { return editortest::savedListStamp(*editor->project()); }
    // The question on screen before a Delete as "title|button|button", or
    // "none".
    std::string deleteQuestion() {
        settle();
        advance(0.5);
        const auto sheets = ui::ActionSheet::visibleSheets();
        if (sheets.size() != 1) return sheets.empty() ? "none" : "several";
        std::string shown = sheets[0]->title();
        for (int i = 0; i < sheets[0]->numberOfButtons(); ++i) shown += "|" + sheets[0]->buttonTitleAtIndex(i);
        return shown;
    }
    // Its answer, by a finger on the button.
    void answer(const std::string& button) {
        const auto sheets = ui::ActionSheet::visibleSheets();
        ASSERT_EQ(sheets.size(), 1u);
        for (int i = 0; i < sheets[0]->numberOfButtons(); ++i)
            if (sheets[0]->buttonTitleAtIndex(i) == button) tap(sheets[0]->buttonViewAtIndex(i));
        advance(0.5);
        settle();
        EXPECT_TRUE(ui::ActionSheet::visibleSheets().empty());
    }
    bool waitFor(const std::function<bool()>& done) { return foundation::RunLoop::main().runUntil(done, 60.0); }
};

// The menu as a finger works it: a tap on the strip's item, then on the
// menu's cell of that title.
class MenuByTouchTest : public OperationsTest {
protected:
    void chooseFromMenu(int64_t index, const std::string& title) {
        // What the finger sees: laid out as the host does before each frame
        // (the strip fills again after a full-screen painter closed).
        ui::prepareForRendering(*window, 1.0);
        ui::ViewPtr item = editor->playerViewController()->carousel()->itemViewAtIndex(index);
        ASSERT_NE(item, nullptr) << index;
        tap(KWFrameByFrameView::itemSubview(*item, 0));
        advance(0.5);  // the strip waits to tell a tap from a double tap
        ASSERT_NE(editor->popoverController(), nullptr);
        auto menu = std::dynamic_pointer_cast<KWFrameEditMenuViewController>(
            editor->popoverController()->contentViewController());
        ASSERT_NE(menu, nullptr);
        advance(1);
        for (const auto& cell : menu->collectionView()->visibleCells()) {
            auto* menuCell = dynamic_cast<KWFrameEditMenuCollectionViewCell*>(cell.get());
            if (menuCell && menuCell->label()->text() == title) {
                tap(menuCell);
                settle();
                advance(1);
                return;
            }
        }
        FAIL() << "no " << title << " in the menu";
    }
    PainterViewController* painter() { return dynamic_cast<PainterViewController*>(editor->presentedViewController()); }
    // The open painter, touched and closed by its back button, which saves.
    void paint(const std::function<void(PainterViewController&)>& touches) {
        ASSERT_NE(painter(), nullptr);
        if (HelpManager* help = painter()->helpManager()) {
            help->dismiss();
            advance(1);
        }
        touches(*painter());
        tap(painter()->toolPalette()->btnBack());
        settle();
        advance(1);
        ASSERT_EQ(editor->presentedViewController(), nullptr);
    }
    void paintLine() {
        paint([&](PainterViewController& shown) {
            std::vector<graphics::Point> path;
            for (int i = 0; i <= 10; ++i)
                path.push_back(inWindow(*shown.drawingView(), graphics::Point{100 + 30.0 * i, 100 + 20.0 * i}));
            fingers.drag(path, 0.3);
        });
    }
    // What the strip's badge and the camera's display say now.
    std::string counters() {
        return editor->playerViewController()->labelFrameNumber()->text() + " | " +
               editor->captureViewController()->frameLabel()->text();
    }
    std::string stripBadgeFor(int64_t count) {
        return std::to_string(editor->playerViewController()->getCurrentFrame() + 1) + " / " + std::to_string(count);
    }
};

}  // namespace editortest
