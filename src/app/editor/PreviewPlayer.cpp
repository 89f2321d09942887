#include "app/editor/PreviewPlayer.h"

#include "app/editor/EditorNotifications.h"
#include "platform/foundation/NotificationCenter.h"

namespace {
constexpr const char* kTickKey = "playPreview";
}

PreviewPlayer::PreviewPlayer(ProjectModelPtr project, KWTimelineViewControllerPtr timelineViewController)
    : project_(std::move(project)), timelineViewController_(std::move(timelineViewController)) {}

void PreviewPlayer::play() { playFrom(-1, -1); }

void PreviewPlayer::playFrom(int64_t start, int64_t stop) {
    (void)stop;
    if (isPlaying_) return;
    auto list = project_ ? project_->getFrameList() : nullptr;
    expandedFrameList_ = list ? timeline::ExpandedFrames(*list) : timeline::ExpandedFrames();
    int64_t entry = start;
    if (entry == -1) entry = expandedFrameList_.firstEntryOf(list ? list->frameAtPlayhead() : nullptr).value_or(0);
    // A start outside the film (the capture slot, a stale index) plays from the beginning.
    if (entry < 0 || entry >= expandedFrameList_.count()) entry = 0;
    const double millisecondsPerFrame = timeline::millisecondsPerFrame(project_ ? project_->getFPS() : 1);
    duration_ = timeline::playbackDuration(millisecondsPerFrame, expandedFrameList_.count());
    isPlaying_ = true;
    const int64_t startTime = timeline::startTime(millisecondsPerFrame, entry);
    if (timelineViewController_) timelineViewController_->scrollToTimeIndex(startTime, false);
    if (timerController_) {
        timerController_->setCurentTimeIndex(startTime);
        timerController_->play();
    }
    playPreview();
    foundation::NotificationCenter::defaultCenter().post(editornotifications::kDidStartPlaying, this);
}

void PreviewPlayer::playPreview() {
    if (!isPlaying_ || expandedFrameList_.empty()) return;
    const int64_t now = getCurentTimeIndex();
    if (now < duration_) {
        if (timelineViewController_) timelineViewController_->scrollToTimeIndex(now, false);
    } else if (isLoopPlayback_) {
        if (timerController_) timerController_->setCurentTimeIndex(0);
        if (timelineViewController_) timelineViewController_->scrollToTimeIndex(0, false);
    }
    scheduleTick();
}

void PreviewPlayer::scheduleTick() {
    // One chain of ticks at a time: a tick left pending by a quick stop and
    // play, or an extra call from outside, would otherwise run a second
    // chain beside this one.
    life_.cancelPerforms(kTickKey);
    life_.performAfter(
        kTickInterval, [this] { playPreview(); }, kTickKey);
}

void PreviewPlayer::stop() {
    if (!isPlaying_) return;
    isPlaying_ = false;
    life_.cancelPerforms(kTickKey);
    if (timerController_) timerController_->stop();
    foundation::NotificationCenter::defaultCenter().post(editornotifications::kDidStopPlaying, this);
}

int64_t PreviewPlayer::getCurentTimeIndex() const {
    return timerController_ ? timerController_->getCurentTimeIndex() : 0;
}
