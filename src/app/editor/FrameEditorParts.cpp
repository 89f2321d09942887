// The editor's calls into its strip, timeline and preview player, kept in
// one place so the rest of the screen reads as operations on the project.
//
// PENDING: the strip (KWFrameByFrameView), the timeline
// (KWTimelineViewController) and the player (PreviewPlayer) are being built
// alongside this screen; until they are on main, the calls into them below
// are left out and only the model side runs.

#include "app/editor/FrameEditorModel.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/editor/preview/KWPreviewViewController.h"

void FrameEditorViewController::createStripAndTimeline() {
    // The timeline shows only while zoomed out.
    viewTimelineViewController_->setAlpha(0.0);
}

void FrameEditorViewController::createPreviewPlayer() {}

void FrameEditorViewController::reloadStrip() {}

void FrameEditorViewController::insertStripItem(const FramePtr& frame, int64_t atIndex) {
    (void)frame;
    (void)atIndex;
}

void FrameEditorViewController::removeFrameFromStripAndList(const FramePtr& frame, bool animated) {
    (void)animated;
    if (auto list = project_->getFrameList()) frameeditor::removeFrame(*list, frame);
}

void FrameEditorViewController::scrollStripToFrame(const FramePtr& frame, bool animated) {
    (void)animated;
    auto list = project_->getFrameList();
    if (!list || !frame || list->getIndexForFrame(frame) == foundation::kNotFound) return;
    list->setFrameAtPlayhead(frame);
    if (previewViewController_) previewViewController_->showFrame(frame);
}

void FrameEditorViewController::scrollTimelineToFrame(const FramePtr& frame) { (void)frame; }

void FrameEditorViewController::rebuildTimeline() {}

void FrameEditorViewController::startPlayer() {}

void FrameEditorViewController::stopPlayer() {}

void FrameEditorViewController::enableStripSelection(const FramePtr& anchor) { (void)anchor; }

void FrameEditorViewController::disableStripSelection() {}

void FrameEditorViewController::updateFrameViews(const FramePtr& frame) {
    if (previewViewController_) previewViewController_->updateFrame(frame);
}
