// What the add-media menu brings into the project, and the theme's title and
// credits cards kept in step with the movie theme.

#include "app/capture/CaptureImportController.h"
#include "app/capture/KWImportVideoController.h"
#include "app/core/KWThemeItem.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/FrameEditorModel.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/editor/FramePanels.h"
#include "app/preview/KWPreviewViewController.h"
#include "app/render/screens/ThemeSettingsViewController.h"
#include "app/render/themes/ThemeCardTableViewController.h"
#include "app/render/themes/ThemeMovieHandler.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "app/widgets/views/NXNavigationController.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controls/Button.h"

namespace n = editornotifications;

namespace {

constexpr graphics::Size kSpeedSize{360, 74};
constexpr double kThemeSheetHeight = 170;
constexpr double kThemeSheetTopPhone = 150;
constexpr double kThemeSheetTopTablet = 476;
constexpr double kThemeSheetSeconds = 0.25;

}  // namespace

void FrameEditorViewController::actionMusic() {
    btnMusic_->setSelected(true);
    auto menu = std::make_shared<MediaSelectionViewController>(project_, ui::TableViewStyle::Plain);
    menu->setDelegate(this);
    if (kwPopoverController_) kwPopoverController_->dismissPopoverAnimated(false);
    kwPopoverController_ = std::make_shared<KWPopoverController>(menu);
    auto weak = foundation::weakFrom(this);
    kwPopoverController_->setHandlerDismissPopover([weak] {
        if (auto self = weak.lock()) self->btnMusic_->setSelected(false);
    });
    kwPopoverController_->presentPopoverFromRect(btnMusic_->convertRectToView(btnMusic_->bounds(), view()), *view(),
                                                 isTablet() ? kPopoverArrowDirectionDown : kPopoverArrowDirectionLeft,
                                                 true);
}

void FrameEditorViewController::actionMore() {
    btnMore_->setSelected(true);
    const int64_t fps = project_->getFPS();
    auto speed = std::make_shared<SpeedViewController>(project_);
    if (kwPopoverController_) kwPopoverController_->dismissPopoverAnimated(false);
    kwPopoverController_ = std::make_shared<KWPopoverController>(speed);
    kwPopoverController_->setPopoverContentSize(kSpeedSize);
    auto weak = foundation::weakFrom(this);
    kwPopoverController_->setHandlerDismissPopover([weak, fps] {
        auto self = weak.lock();
        if (!self) return;
        self->btnMore_->setSelected(false);
        if (self->project_->getFPS() == fps) return;
        self->updateAudioHoldForAllFrames();
        self->updateAllAndSaveProject();
    });
    kwPopoverController_->presentPopoverFromRect(btnMore_->convertRectToView(btnMore_->bounds(), view()), *view(),
                                                 isTablet() ? kPopoverArrowDirectionDown : kPopoverArrowDirectionRight,
                                                 true);
}

void FrameEditorViewController::mediaSelectionDidSelect(MediaSelectionViewController&, int64_t didSelect) {
    if (kwPopoverController_) kwPopoverController_->dismissPopoverAnimated(true);
    auto list = project_->getFrameList();
    auto weak = foundation::weakFrom(this);
    switch (didSelect) {
        case 0: {
            auto importer = CaptureImportController::create(project_);
            importer->setHandlerImportComplete([weak](const std::vector<FramePtr>& frames) {
                if (auto self = weak.lock(); self && !frames.empty()) self->addFrames(frames);
            });
            mediaImporter_ = importer;
            importer->showImagePickerWithController(*this);
            break;
        }
        case 1: {
            auto chooser = std::make_shared<ThemeCardTableViewController>(project_);
            chooser->setHandlerComplete([weak](FramePtr card) {
                auto self = weak.lock();
                if (!self || !card) return;
                if (auto refused = frameeditor::framesTooLongToAddError(*self->project_, {card}))
                    self->showError(refused);
                else
                    self->addFrames({card});
            });
            auto navigation = std::make_shared<NXNavigationController>(chooser);
            navigation->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
            presentViewController(navigation, true);
            break;
        }
        case 2:
            if (list && list->frameAtPlayhead()) showAudioChooserForFrame(list->frameAtPlayhead());
            break;
        case 3: {
            auto importer = KWImportVideoController::create(project_);
            std::weak_ptr<KWImportVideoController> weakImporter = importer;
            importer->setHandlerImportComplete(
                [weak, weakImporter](const std::optional<std::vector<FramePtr>>& frames) {
                    auto self = weak.lock();
                    if (!self) return;
                    if (!frames || frames->empty()) {
                        if (auto importer = weakImporter.lock(); importer && importer->error())
                            self->showError(importer->error());
                        return;
                    }
                    self->addFrames(*frames);
                });
            mediaImporter_ = importer;
            importer->showVideoPickerWithController(*this);
            break;
        }
        default:
            break;
    }
}

void FrameEditorViewController::showThemeWithPageOpen(int32_t page) {
    updateGUIWithStatus(false);
    auto settings = std::make_shared<ThemeSettingsViewController>(ThemeSettingsViewController::kNibName, project_);
    // Before the navigation view exists: making it loads the sheet's view,
    // which opens the page.
    settings->setShowPageAtStart(page);
    auto navigation = std::make_shared<NXNavigationController>(settings);
    outlineNavigationController_ = navigation;
    const graphics::Rect bounds = view()->bounds();
    ui::View* sheet = navigation->view();
    sheet->setFrame({0, bounds.height(), bounds.width(), kThemeSheetHeight});
    btnCloseModalController_ =
        makeCloseModalButton([this] { receiveThemeDoneNotification(foundation::Notification{}); });
    addChildViewController(navigation);
    view()->addSubview(navigation->viewPtr());
    navigation->didMoveToParentViewController(this);
    const double top = isTablet() ? kThemeSheetTopTablet : kThemeSheetTopPhone;
    ui::animate(kThemeSheetSeconds, [sheet, bounds, top] {
        sheet->setFrame({0, top, bounds.width(), bounds.height() - top});
    });
}

void FrameEditorViewController::receiveThemeDoneNotification(const foundation::Notification&) {
    if (btnCloseModalController_) {
        btnCloseModalController_->removeFromSuperview();
        btnCloseModalController_.reset();
    }
    auto sheet = std::move(outlineNavigationController_);
    if (!sheet) {
        updateGUIWithStatus(true);
        return;
    }
    ui::View* sheetView = sheet->view();
    const graphics::Rect bounds = view()->bounds();
    auto weak = foundation::weakFrom(this);
    ui::animate(
        kThemeSheetSeconds,
        [sheetView, bounds] {
            sheetView->setFrame({0, bounds.height(), bounds.width(), sheetView->frame().height()});
        },
        [weak, sheet](bool) {
            sheet->willMoveToParentViewController(nullptr);
            sheet->view()->removeFromSuperview();
            sheet->removeFromParentViewController();
            if (auto self = weak.lock()) self->updateGUIWithStatus(true);
        });
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

void FrameEditorViewController::receiveThemeRenderingFinishedNotification(const foundation::Notification& notification) {
    auto list = project_->getFrameList();
    if (pastedCardsRenderer_ && notification.object == pastedCardsRenderer_.get()) {
        pastedCardsRenderer_.reset();
        if (!list) return;
        for (const FramePtr& frame : *list)
            if (frame->type() != Frame::kTypePicture && frame->type() != Frame::kTypeCaptureSlot)
                updateFrameViews(frame);
        return;
    }
    themeMovieHandler_.reset();
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
