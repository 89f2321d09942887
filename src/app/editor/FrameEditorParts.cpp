// The editor's calls into its strip, timeline and preview player, kept in
// one place so the rest of the screen reads as operations on the project.

#include "app/audio/KWAudioController.h"
#include "app/editor/FrameEditorModel.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/editor/KWFrameByFrameView.h"
#include "app/editor/KWTimelineViewController.h"
#include "app/editor/PreviewPlayer.h"
#include "app/preview/KWPreviewViewController.h"

namespace {

constexpr unsigned kFill = ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight;

// Puts a child screen's view into a container of the editor, filling it.
void embed(ui::ViewController& parent, const std::shared_ptr<ui::ViewController>& child, ui::View& container) {
    ui::View* view = child->view();
    view->setFrame({0, 0, container.bounds().width(), container.bounds().height()});
    view->setAutoresizingMask(kFill);
    parent.addChildViewController(child);
    container.addSubview(child->viewPtr());
    child->didMoveToParentViewController(&parent);
}

}  // namespace

void FrameEditorViewController::createStripAndTimeline() {
    playerViewController_ = std::make_shared<KWFrameByFrameView>(project_);
    embed(*this, playerViewController_, *viewPlayerViewController_);
    timelineViewController_ = std::make_shared<KWTimelineViewController>(project_);
    embed(*this, timelineViewController_, *viewTimelineViewController_);
    // The strip shows first.
    viewTimelineViewController_->setAlpha(0.0);
}

void FrameEditorViewController::createPreviewPlayer() {
    previewPlayer_ = std::make_shared<PreviewPlayer>(project_, timelineViewController_);
    previewPlayer_->setTimerController(audioController_.get());
}

void FrameEditorViewController::reloadStrip() {
    if (playerViewController_) playerViewController_->updateAllFrames();
}

void FrameEditorViewController::insertStripItems(const std::vector<int64_t>& atIndexes) {
    if (playerViewController_) playerViewController_->insertFrames(atIndexes, true);
}

void FrameEditorViewController::removeFrameFromStripAndList(const FramePtr& frame, bool animated) {
    auto list = project_->getFrameList();
    if (!list || list->getIndexForFrame(frame) == foundation::kNotFound) return;
    // The strip finds the item by the frame's index, so it goes first.
    if (playerViewController_) playerViewController_->removeFrame(frame, animated);
    frameeditor::removeFrame(*list, frame);
}

void FrameEditorViewController::scrollStripToFrame(const FramePtr& frame, bool animated) {
    auto list = project_->getFrameList();
    if (!list || !frame || list->getIndexForFrame(frame) == foundation::kNotFound) return;
    if (playerViewController_) {
        playerViewController_->scrollToFrame(frame, animated);
    }
    // Not animated, the strip's centre is the frame at once; the playhead and
    // the pane follow it even before the strip reports the change.
    if (!animated) {
        list->setFrameAtPlayhead(frame);
        if (previewViewController_) previewViewController_->showFrame(frame);
    }
}

void FrameEditorViewController::scrollTimelineToFrame(const FramePtr& frame) {
    if (timelineViewController_ && frame) timelineViewController_->scrollToFrame(frame, false);
}

void FrameEditorViewController::rebuildTimeline() {
    if (timelineViewController_) timelineViewController_->updateView();
}

void FrameEditorViewController::startPlayer() {
    if (previewPlayer_) previewPlayer_->play();
}

void FrameEditorViewController::stopPlayer() {
    if (previewPlayer_) previewPlayer_->stop();
}

void FrameEditorViewController::enableStripSelection(const FramePtr& anchor) {
    if (playerViewController_ && anchor) playerViewController_->enabledSelectionModeForFrame(anchor);
}

void FrameEditorViewController::disableStripSelection() {
    if (playerViewController_) playerViewController_->disableSelectionMode();
}

void FrameEditorViewController::updateFrameViews(const FramePtr& frame) {
    if (playerViewController_ && frame) playerViewController_->updateFrame(frame);
    if (previewViewController_) previewViewController_->updateFrame(frame);
}
