// What the frame-edit menu's choices do to the project: select, copy, paste,
// delete, reverse, hold, capture here, crop, merge, draw, erase and text.
// The menu only posts a notification per choice; every change happens here
// and ends in the insertion routine or a save.

#include "app/capture/CaptureViewController.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWPasteboardHandler.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/FrameEditorModel.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/editor/FramePanels.h"
#include "app/editor/HFImageEditorViewController.h"
#include "app/editor/KWFrameByFrameView.h"
#include "app/editor/KWFrameEditMenuViewController.h"
#include "app/editor/StripSelection.h"
#include "app/painter/PainterViewController.h"
#include "app/render/themes/ThemeCardEditViewController.h"
#include "app/render/themes/ThemeMovieHandler.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/alerts/UIActionSheet_MKBlockAdditions.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/media/Player.h"
#include "platform/ui/compositing/Animation.h"

#include <filesystem>

namespace n = editornotifications;

namespace {

// Pastes of at least this many frames show a notice while they run.
constexpr int64_t kPasteNoticeThreshold = 4;
constexpr int64_t kPasteNoticeSeconds = 20;
constexpr int64_t kMergedNoticeSeconds = 2;
constexpr graphics::Size kMenuSize{440, 160};
constexpr graphics::Size kHoldSize{320, 115};
constexpr double kMenuOffset = 35;
constexpr double kCardFadeSeconds = 0.25;

n::FrameRange selectionOf(const foundation::Notification& notification) {
    return n::selectionIn(notification.userInfo).value_or(n::FrameRange{});
}

void playSystemSound(const char* name, const char* type) {
    auto path = foundation::Bundle::main().pathForResource(name, type);
    if (!path) return;
    auto player = media::Player::create(*path);
    if (player.ok()) (*player)->play();
}

}  // namespace

void FrameEditorViewController::closeMenu(bool keepSelectionMode) {
    if (kwPopoverController_) kwPopoverController_->dismissPopoverAnimated(true);
    if (!keepSelectionMode) disableStripSelection();
}

// ---- menu --------------------------------------------------------------------------------------

void FrameEditorViewController::receiveNotificationDidSelectFrame(const foundation::Notification& notification) {
    const FramePtr frame = n::frameIn(notification.userInfo);
    const auto rect = n::viewRectIn(notification.userInfo);
    if (!frame || !rect) return;
    const int64_t inPasteboard = KWPasteboardHandler(project_).getNumberOfFramesInPasteboard();
    auto menu = std::make_shared<KWFrameEditMenuViewController>(frame, selectionOf(notification), inPasteboard);
    if (kwPopoverController_) kwPopoverController_->dismissPopoverAnimated(false);
    kwPopoverController_ = std::make_shared<KWPopoverController>(menu);
    kwPopoverController_->setPopoverContentSize(kMenuSize);
    // Below the tapped item, so the menu does not hide it.
    const graphics::Rect from{rect->origin.x, rect->origin.y + kMenuOffset, rect->size.width, rect->size.height};
    kwPopoverController_->presentPopoverFromRect(from, *view(), kPopoverArrowDirectionDown, true);
}

void FrameEditorViewController::receiveNotificationFrameEditMenuSelectSelected(
    const foundation::Notification& notification) {
    closeMenu(true);
    enableStripSelection(n::frameIn(notification.userInfo));
}

void FrameEditorViewController::receiveNotificationFrameEditMenuDeselectSelected(const foundation::Notification&) {
    closeMenu(false);
}

void FrameEditorViewController::receiveNotificationFrameEditMenuCopySelected(
    const foundation::Notification& notification) {
    closeMenu(false);
    const n::FrameRange range = selectionOf(notification);
    copyFrames(range.location, range.length);
}

void FrameEditorViewController::receiveNotificationFrameEditMenuPasteSelected(
    const foundation::Notification& notification) {
    closeMenu(false);
    pasteFrames(selectionOf(notification).location);
}

void FrameEditorViewController::receiveNotificationFrameEditMenuDeleteSelected(
    const foundation::Notification& notification) {
    closeMenu(false);
    const n::FrameRange range = selectionOf(notification);
    if (!askBeforeDeletingFrames(range.location, range.length)) deleteFrames(range.location, range.length);
}

void FrameEditorViewController::receiveNotificationFrameEditMenuReverseSelected(
    const foundation::Notification& notification) {
    closeMenu(false);
    const n::FrameRange range = selectionOf(notification);
    reverseFrames(range.location, range.length);
}

void FrameEditorViewController::receiveNotificationFrameEditMenuHoldSelected(
    const foundation::Notification& notification) {
    frameEditMenuHold(n::frameIn(notification.userInfo));
}

void FrameEditorViewController::receiveNotificationFrameEditMenuCaptureHereSelected(
    const foundation::Notification& notification) {
    closeMenu(false);
    frameEditMenuCaptureHere(n::frameIn(notification.userInfo));
}

void FrameEditorViewController::receiveNotificationFrameEditMenuCropSelected(
    const foundation::Notification& notification) {
    closeMenu(false);
    showImageEditorForFrame(n::frameIn(notification.userInfo));
}

void FrameEditorViewController::receiveNotificationFrameEditMenuDrawSelected(
    const foundation::Notification& notification) {
    closeMenu(false);
    const FramePtr frame = n::frameIn(notification.userInfo);
    if (frame) scrollStripToFrame(frame, false);
    showPainterWithOption(0, frame);
}

void FrameEditorViewController::receiveNotificationFrameEditMenuEraserSelected(
    const foundation::Notification& notification) {
    closeMenu(false);
    const FramePtr frame = n::frameIn(notification.userInfo);
    if (frame) scrollStripToFrame(frame, false);
    showPainterWithOption(1, frame);
}

void FrameEditorViewController::receiveNotificationFrameEditMenuTextSelected(
    const foundation::Notification& notification) {
    closeMenu(false);
    const FramePtr frame = n::frameIn(notification.userInfo);
    if (!frame) return;
    if (frame->type() == Frame::kTypeThemeTextCard)
        textCardEditForFrame(frame);
    else if (frame->type() == Frame::kTypeTitleCard || frame->type() == Frame::kTypeCreditsCard)
        showThemeWithPageOpen(1);
}

void FrameEditorViewController::receiveNotificationFrameEditMenuMergeSelected(
    const foundation::Notification& notification) {
    closeMenu(false);
    mergeImagesForFrame(n::frameIn(notification.userInfo));
}

// ---- operations on a range ------------------------------------------------------------------------

void FrameEditorViewController::copyFrames(int64_t location, int64_t length) {
    auto list = project_->getFrameList();
    if (!list) return;
    KWPasteboardHandler(project_).setFramesInPasteboard(frameeditor::copyableFrames(*list, location, length));
}

void FrameEditorViewController::pasteFrames(int64_t location) {
    auto handler = std::make_shared<KWPasteboardHandler>(project_);
    const int64_t expected = handler->getNumberOfFramesInPasteboard();
    if (expected >= kPasteNoticeThreshold)
        showInfoNotification(foundation::localized("Paste"), kPasteNoticeSeconds, true);
    auto weak = foundation::weakFrom(this);
    // The handler may run on a global queue; the editor is touched on the main queue only.
    handler->getFramesInPasterboardWithOutcome([weak, handler, expected,
                                                location](KWPasteboardHandler::PasteOutcome outcome) {
        foundation::DispatchQueue::main().async([weak, outcome = std::move(outcome), expected, location] {
            auto self = weak.lock();
            if (!self) return;
            const std::vector<FramePtr>& frames = outcome.frames;
            // Refused before anything is inserted or written; the copies'
            // files, held by nothing, go with the next opening's sweep.
            if (auto refused = frameeditor::framesTooLongToAddError(*self->project_, frames)) {
                self->hideNotification();
                self->showError(refused);
                return;
            }
            if (!frames.empty()) {
                self->insertFramesNow(frames, location);
                self->renderPastedCards(frames);
            }
            self->hideNotification();
            const bool missing = static_cast<int64_t>(frames.size()) != expected;
            auto list = self->project_->getFrameList();
            if (auto unread = list ? frameeditor::pastedPaintingsUnreadError(*list, outcome.unreadable, missing)
                                   : std::nullopt)
                self->showError(*unread);
            else if (missing)
                self->showError(frameeditor::pasteIncompleteError());
        });
    });
}

void FrameEditorViewController::renderPastedCards(const std::vector<FramePtr>& pasted) {
    std::vector<FramePtr> cards;
    for (const FramePtr& frame : pasted) {
        const bool card = frame->type() == Frame::kTypeTitleCard || frame->type() == Frame::kTypeCreditsCard ||
                          frame->type() == Frame::kTypeThemeTextCard;
        const auto picture = project_->pathForFile(KWImageProducer::frameFileName(frame->frameID()));
        if (card && !(picture && std::filesystem::exists(*picture))) cards.push_back(frame);
    }
    if (cards.empty()) return;
    if (!pastedCardsRenderer_) pastedCardsRenderer_ = ThemeMovieHandler::create(project_);
    pastedCardsRenderer_->renderCards(cards);
}

void FrameEditorViewController::deleteFrames(int64_t location, int64_t length) {
    auto list = project_->getFrameList();
    if (!list) return;
    std::vector<FramePtr> going = frameeditor::framesInRange(*list, location, length);
    std::erase_if(going, [](const FramePtr& frame) { return !frame->canDelete(); });
    if (!going.empty()) {
        // The store writes the shorter list first and only then removes the
        // files that no remaining entry names (two entries may share a
        // frame ID); when that write fails nothing is removed.
        foundation::Status removed = project_->removeFramesInRange(location, length);
        if (!removed) {
            saveProjectReportingFailure();
            return;
        }
        reloadStrip();
        std::vector<std::string> sounds;
        for (const FramePtr& frame : going)
            if (auto clip = frame->getAudio(); clip && clip->fileName()) sounds.push_back(*clip->fileName());
        deleteAudioFiles(sounds);
        playSystemSound("trash", "aiff");
        if (list->getIndexForFrame(list->frameAtPlayhead()) == foundation::kNotFound) {
            frameeditor::keepPlayheadListed(*list, location);
            scrollStripToFrame(list->frameAtPlayhead(), false);
        }
    }
    updateGUIWithStatus(true);
    updateAllAndSaveProject();
}

bool FrameEditorViewController::keyCommand(const ui::KeyPress& press) {
    if ((press.key != ui::Key::Delete && press.key != ui::Key::Backspace) || !press.text.empty()) return false;
    auto list = project_->getFrameList();
    const bool busy = isPlaying() || btnCloseModalController_ || audioConfigurationController_ ||
                      (kwPopoverController_ && kwPopoverController_->isPopoverVisible());
    if (!list || !playerViewController_ || busy) return false;
    const int64_t current = list->getIndexForFrame(list->frameAtPlayhead());
    if (current == foundation::kNotFound) return false;
    // What a tap on the centred frame would select: the marked run when
    // selection mode is on, else that frame.
    const n::FrameRange range =
        strip::selectionForTap(current, playerViewController_->selectionStartIndex(), current).selection;
    return askBeforeDeletingFrames(range.location, range.length);
}

bool FrameEditorViewController::askBeforeDeletingFrames(int64_t location, int64_t length) {
    auto list = project_->getFrameList();
    if (!list) return false;
    const std::vector<FramePtr> asked = frameeditor::framesInRange(*list, location, length);
    std::vector<FramePtr> going = asked;
    std::erase_if(going, [](const FramePtr& frame) { return !frame->canDelete(); });
    if (going.empty()) return false;
    auto weak = foundation::weakFrom(this);
    UIActionSheet_MKBlockAdditions::actionSheetWithTitle(
        frameeditor::deleteQuestion(going), "", foundation::localized("Delete"), {}, viewPlayerViewController_.get(),
        [weak, asked](int buttonIndex) {
            auto self = weak.lock();
            if (!self || buttonIndex != 0) return;
            self->disableStripSelection();
            // The frames asked about, where they stand now: a frame captured
            // while the question was up may have moved them.
            auto list = self->project_->getFrameList();
            const int64_t at = list ? list->getIndexForFrame(asked.front()) : foundation::kNotFound;
            const auto length = static_cast<int64_t>(asked.size());
            if (at == foundation::kNotFound || frameeditor::framesInRange(*list, at, length) != asked) return;
            self->deleteFrames(at, length);
        },
        [] {});
    return true;
}

void FrameEditorViewController::reverseFrames(int64_t location, int64_t length) {
    auto list = project_->getFrameList();
    if (!list) return;
    std::vector<FramePtr> reversed = frameeditor::framesInRange(*list, location, length);
    if (reversed.empty()) return;
    std::reverse(reversed.begin(), reversed.end());
    const FramePtr playhead = list->frameAtPlayhead();
    for (const FramePtr& frame : reversed) removeFrameFromStripAndList(frame, false);
    addFrames(reversed, location);
    // The playhead stays on its frame, which comes back with the insertion.
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::main().async([weak, playhead] {
        if (auto self = weak.lock()) self->scrollStripToFrame(playhead, false);
    });
}

void FrameEditorViewController::frameEditMenuCaptureHere(const FramePtr& frame) {
    auto list = project_->getFrameList();
    if (!list) return;
    const auto placement = frameeditor::captureHerePlacement(*list, frame);
    if (!placement) return;
    if (placement->slotIsListed) removeFrameFromStripAndList(placement->slot, true);
    addFrames({placement->slot}, placement->index);
}

void FrameEditorViewController::frameEditMenuHold(const FramePtr& frame) {
    if (!frame || !kwPopoverController_) return;
    const int64_t before = frame->getDuration();
    auto hold = std::make_shared<DuplicateFramesView>(frame, project_);
    // The popover takes the size of what it shows now.
    hold->preferredContentSize = kHoldSize;
    kwPopoverController_->updateContentViewController(hold);
    auto weak = foundation::weakFrom(this);
    kwPopoverController_->setHandlerDismissPopover([weak, frame, before] {
        auto self = weak.lock();
        if (!self || frame->getDuration() == before) return;
        self->updateFrameViews(frame);
        self->updateAllAndSaveProject();
    });
}

// ---- pictures -------------------------------------------------------------------------------------

void FrameEditorViewController::showImageEditorForFrame(const FramePtr& frame) {
    if (!frame) return;
    // Crop edits the unfiltered full picture; without one nothing opens.
    const auto source = frameeditor::originalPicture(*project_, frame);
    if (!source) return;
    auto editor = ImageEditor::create();
    editor->setCheckBounds(true);
    editor->setRotateEnabled(true);
    editor->setPanEnabled(true);
    editor->setSourceImage(*source);
    const auto preview =
        project_->fileDataForFileWithPreferredFilename(KWImageProducer::previewFileName(frame->frameID()));
    auto decoded =
        preview ? graphics::Image::decode(*preview) : foundation::Result<graphics::Image>(foundation::Error());
    editor->setPreviewImage(decoded.ok() && !decoded->isNull() ? *decoded : *source);
    editor->reset(false);
    auto weak = foundation::weakFrom(this);
    ImageEditor* shown = editor.get();
    editor->setDoneCallback([weak, frame, shown](std::optional<graphics::Image> image, bool canceled) {
        auto self = weak.lock();
        if (!self) return;
        if (image && !canceled) self->storeCroppedImage(*image, frame, shown->renderMapping());
        self->dismissViewControllerFromFrameEditorWithZoomIn(shown, frame);
    });
    presentViewControllerFromFrameEditorWithZoomIn(editor);
}

bool FrameEditorViewController::storeCroppedImage(const graphics::Image& image, const FramePtr& forFrame,
                                                  const graphics::AffineTransform& pictureMapping) {
    if (!forFrame || image.isNull()) return false;  // a cancelled crop writes nothing
    foundation::Status stored =
        frameeditor::replaceFramePicture(*project_, imageProducer(), image, forFrame->frameID(), pictureMapping);
    // A failure may come once the picture is replaced, when the painting follows.
    updateFrameViews(forFrame);
    if (!stored) {
        showError(foundation::Error(stored.error().domain, stored.error().code,
                                    frameeditor::saveFailureMessage(*project_, stored.error())));
        return false;
    }
    return true;
}

void FrameEditorViewController::mergeImagesForFrame(const FramePtr& frame) {
    auto list = project_->getFrameList();
    if (!list || !frame) return;
    const int64_t index = list->getIndexForFrame(frame);
    if (index == foundation::kNotFound) return;
    const auto sources = frameeditor::mergeSources(*project_, index);
    if (!sources[0]) return;  // nothing to merge onto
    const graphics::Image none;
    const graphics::Image merged =
        imageProducer().mergeImage(*sources[0], sources[1].value_or(none), sources[2].value_or(none));
    foundation::Status stored = frameeditor::replaceFramePicture(*project_, imageProducer(), merged, frame->frameID());
    // A failure may come once the picture is replaced, when the painting follows.
    updateFrameViews(frame);
    if (!stored) {
        showError(foundation::Error(stored.error().domain, stored.error().code,
                                    frameeditor::saveFailureMessage(*project_, stored.error())));
        return;
    }
    showInfoNotification(foundation::localized("Frames merged"), kMergedNoticeSeconds, false);
}

void FrameEditorViewController::showPainterWithOption(int32_t option, const FramePtr& forFrame) {
    if (!forFrame || (forFrame->type() == Frame::kTypeCaptureSlot)) return;
    auto list = project_->getFrameList();
    const int64_t index = list ? list->getIndexForFrame(forFrame) : foundation::kNotFound;
    if (index == foundation::kNotFound) return;
    if (option != 0 || !PainterViewController::drawingUndoesErase(*project_, index)) {
        presentPainterWithOption(option, forFrame);
        return;
    }
    auto alert = AlertView::create("", foundation::localized(PainterViewController::kDrawUndoesEraseMessage));
    alert->addButtonWithTitle(foundation::localized("Cancel"), {});
    alert->addButtonWithTitle(foundation::localized("Draw"),
                              [weak = foundation::weakFrom(this), forFrame](AlertView&, int) {
                                  if (auto self = weak.lock()) self->presentPainterWithOption(0, forFrame);
                              });
    alert->show();
}

void FrameEditorViewController::presentPainterWithOption(int32_t option, const FramePtr& forFrame) {
    auto list = project_->getFrameList();
    // Looked up again: the frame may have moved or gone while a question was up.
    const int64_t index = list ? list->getIndexForFrame(forFrame) : foundation::kNotFound;
    if (index == foundation::kNotFound) return;
    // Everything the painter needs (the picture, OpenGL ES) is checked before
    // the camera pauses; a painter that cannot open says why and changes nothing.
    auto created = PainterViewController::create(project_, index, option == 1);
    if (!created) {
        auto alert = AlertView::create("", created.error().description);
        alert->addButtonWithTitle(foundation::localized("OK"), {});
        alert->show();
        return;
    }
    if (isTablet() && captureViewController_) captureViewController_->pauseCameraCapture();
    std::shared_ptr<PainterViewController> painter = *created;
    auto weak = foundation::weakFrom(this);
    PainterViewController* shown = painter.get();
    painter->setHandlerComplete([weak, forFrame, shown] {
        auto self = weak.lock();
        if (!self) return;
        self->updateFrameViews(forFrame);
        self->dismissViewControllerFromFrameEditorWithZoomIn(shown, forFrame);
    });
    presentViewControllerFromFrameEditorWithZoomIn(painter);
}

void FrameEditorViewController::textCardEditForFrame(const FramePtr& frame) {
    if (!frame) return;
    scrollStripToFrame(frame, true);
    auto card = std::make_shared<ThemeCardEditViewController>(
        isTablet() ? "ThemeCardEditViewController_iPad" : "ThemeCardEditViewController", frame, project_);
    ui::View* cardView = card->view();
    cardView->setFrame(view()->bounds());
    cardView->setAlpha(0.0);
    addChildViewController(card);
    view()->addSubview(card->viewPtr());
    card->didMoveToParentViewController(this);
    ui::animate(kCardFadeSeconds, [cardView] { cardView->setAlpha(1.0); });
    auto weak = foundation::weakFrom(this);
    std::weak_ptr<ThemeCardEditViewController> weakCard = card;
    card->setHandlerComplete([weak, weakCard, frame](FramePtr) {
        foundation::DispatchQueue::main().async([weak, weakCard, frame] {
            auto self = weak.lock();
            auto leaving = weakCard.lock();
            if (!self || !leaving) return;
            ui::View* leavingView = leaving->view();
            ui::animate(
                kCardFadeSeconds, [leavingView] { leavingView->setAlpha(0.0); },
                [weak, weakCard, frame](bool) {
                    auto editor = weak.lock();
                    auto gone = weakCard.lock();
                    if (!editor || !gone) return;
                    editor->updateFrameViews(frame);
                    gone->willMoveToParentViewController(nullptr);
                    gone->view()->removeFromSuperview();
                    gone->removeFromParentViewController();
                });
        });
        if (auto self = weak.lock())
            if (foundation::Status saved = self->project()->saveFramelistToDisk(); !saved)
                self->showError(foundation::Error(saved.error().domain, saved.error().code,
                                                  frameeditor::saveFailureMessage(*self->project(), saved.error())));
    });
}
