// What the add-media menu brings into the project, and the theme's title and
// credits cards kept in step with the movie theme.

#include "app/core/KWThemeItem.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/FrameEditorModel.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/editor/FramePanels.h"
#include "app/editor/preview/KWPreviewViewController.h"
#include "app/render/themes/ThemeMovieHandler.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/ui/controls/Button.h"

namespace n = editornotifications;

void FrameEditorViewController::actionMusic() {
    btnMusic_->setSelected(true);
    auto menu = std::make_shared<MediaSelectionViewController>(project_, ui::TableViewStyle::Plain);
    menu->setDelegate(this);
    kwPopoverController_ = std::make_shared<KWPopoverController>(menu);
    auto weak = foundation::weakFrom(this);
    kwPopoverController_->setHandlerDismissPopover([weak] {
        if (auto self = weak.lock()) self->btnMusic_->setSelected(false);
    });
    const graphics::Rect anchor = btnMusic_->superview()->convertRectToView(btnMusic_->frame(), view());
    kwPopoverController_->presentPopoverFromRect(
        anchor, *view(), isTablet() ? kPopoverArrowDirectionDown : kPopoverArrowDirectionLeft, true);
}

void FrameEditorViewController::actionMore() {
    btnMore_->setSelected(true);
    const int64_t fpsBefore = project_->getFPS();
    // Showing the panel already stores the speed and marks the movie for rendering.
    auto speed = std::make_shared<SpeedViewController>(project_);
    kwPopoverController_ = std::make_shared<KWPopoverController>(speed);
    kwPopoverController_->setPopoverContentSize(speed->preferredContentSize);
    auto weak = foundation::weakFrom(this);
    kwPopoverController_->setHandlerDismissPopover([weak, fpsBefore] {
        auto self = weak.lock();
        if (!self) return;
        self->btnMore_->setSelected(false);
        if (self->project_->getFPS() == fpsBefore) return;
        self->updateAudioHoldForAllFrames();
        self->updateAllAndSaveProject();
    });
    const graphics::Rect anchor = btnMore_->superview()->convertRectToView(btnMore_->frame(), view());
    kwPopoverController_->presentPopoverFromRect(
        anchor, *view(), isTablet() ? kPopoverArrowDirectionDown : kPopoverArrowDirectionRight, true);
}

void FrameEditorViewController::mediaSelectionDidSelect(int64_t choice) {
    if (kwPopoverController_) kwPopoverController_->dismissPopoverAnimated(true);
    auto list = project_->getFrameList();
    switch (choice) {
        case 2:
            if (list && list->frameAtPlayhead()) showAudioChooserForFrame(list->frameAtPlayhead());
            break;
        default:
            // PENDING: pictures (0), theme cards (1) and video (3) open their
            // importers once the pickers' screens are on main.
            break;
    }
}

void FrameEditorViewController::showThemeWithPageOpen(int32_t page) {
    // PENDING: the theme settings sheet (ThemeSettingsViewController) slides
    // up here once it is on main.
    (void)page;
}

void FrameEditorViewController::receiveThemeDoneNotification(const foundation::Notification&) {
    updateGUIWithStatus(true);
}

void FrameEditorViewController::receiveThemeDidChangeNotification(const foundation::Notification& notification) {
    const auto* theme = notification.userInfo.get(n::kThemeKey).objectAs<std::shared_ptr<KWThemeItem>>();
    applyTheme(theme && *theme ? std::optional<int64_t>((*theme)->themeID()) : std::nullopt);
}

void FrameEditorViewController::applyTheme(std::optional<int64_t> themeID) {
    auto list = project_->getFrameList();
    if (!list) return;
    const frameeditor::ThemeCards cards = frameeditor::themeCards(*list);
    if (themeID && *themeID == 0) {
        for (const FramePtr& card : {cards.title, cards.credits})
            if (card) removeFrameFromStripAndList(card, false);
        updateGUIWithStatus(true);
        updateAllAndSaveProject();
        return;
    }
    const int64_t hold = frameeditor::themeCardHold(frameeditor::framesPerSecond(*project_));
    FramePtr title = cards.title;
    FramePtr credits = cards.credits;
    // The credits' index is taken before the title's insertion has run: one
    // past the end, which the insertion turns into the end.
    const int64_t end = list->count() + 1;
    if (!title) {
        title = Frame::create(Frame::kTypeTitleCard);
        title->setDuration(hold);
        addFrames({title}, 0);
    }
    if (!credits) {
        credits = Frame::create(Frame::kTypeCreditsCard);
        credits->setDuration(hold);
        addFrames({credits}, end);
    }
    // Both cards drawn from the theme and the outline; the renderer ends in
    // "ThemeRenderingFinishedNotification" whatever happens.
    themeMovieHandler_ = ThemeMovieHandler::create(project_);
    themeMovieHandler_->updateThemeforTitle(title, credits);
}

void FrameEditorViewController::receiveOutlineHasChangedNotification(const foundation::Notification&) {
    auto list = project_->getFrameList();
    if (!list) return;
    const frameeditor::ThemeCards cards = frameeditor::themeCards(*list);
    if (cards.title || cards.credits) applyTheme(std::nullopt);
}

void FrameEditorViewController::receiveThemeRenderingFinishedNotification(const foundation::Notification&) {
    themeMovieHandler_.reset();
    auto list = project_->getFrameList();
    if (!list) return;
    const frameeditor::ThemeCards cards = frameeditor::themeCards(*list);
    if (cards.title) updateFrameViews(cards.title);
    if (cards.credits) {
        updateFrameViews(cards.credits);
        scrollStripToFrame(cards.credits, false);
    }
    updateAllAndSaveProject();
}

void FrameEditorViewController::receiveThemeShowTitleNotification(const foundation::Notification&) {
    auto list = project_->getFrameList();
    if (!list) return;
    if (FramePtr title = frameeditor::themeCards(*list).title) scrollStripToFrame(title, false);
}

void FrameEditorViewController::receiveThemeShowCreditsNotification(const foundation::Notification&) {
    auto list = project_->getFrameList();
    if (!list) return;
    if (FramePtr credits = frameeditor::themeCards(*list).credits) scrollStripToFrame(credits, false);
}
