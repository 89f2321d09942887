// Voice-over, audio clips and music in the editor.
//
// PENDING: filled by the editor's audio work (voice-over panel, clip panel,
// pickers); until then the controls that lead here do nothing.

#include "app/editor/FrameEditorViewController.h"

void FrameEditorViewController::showAudioRecorder() {}
void FrameEditorViewController::hideAudioRecorder() {}
void FrameEditorViewController::showAudioChooserForFrame(const FramePtr&) {}
void FrameEditorViewController::showAudioControllerForFrame(const FramePtr&) {}
void FrameEditorViewController::addAudioToFrame(const FramePtr&, const std::string&, const std::optional<std::string>&,
                                                int32_t) {}
bool FrameEditorViewController::updateAudioHoldForAllFrames() { return false; }
void FrameEditorViewController::deleteAudioFile(const std::string&) {}
void FrameEditorViewController::receiveNotificationFrameEditMenuAudioSelected(const foundation::Notification&) {}
void FrameEditorViewController::receiveAudioControllerDoneNotification(const foundation::Notification&) {}
void FrameEditorViewController::receiveAudioControllerRemoveClipNotification(const foundation::Notification&) {}
void FrameEditorViewController::audioRecorderDidStartRecording(AudioRecorderViewController&) {}
void FrameEditorViewController::audioRecorderDidStopRecording(AudioRecorderViewController&) {}
void FrameEditorViewController::audioRecorderDidCancelRecording(AudioRecorderViewController&) {}
void FrameEditorViewController::audioRecorderDidStartPlayback(AudioRecorderViewController&) {}
void FrameEditorViewController::audioRecorderDidStopPlayback(AudioRecorderViewController&) {}
void FrameEditorViewController::audioRecorderDidAcceptRecording(AudioRecorderViewController&, const std::string&) {}
