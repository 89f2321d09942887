// Coach marks and the help overlay of the editor.
//
// PENDING: filled by the editor's help work (coach marks, help bubbles, help
// pages); until then the help button does nothing.

#include "app/editor/FrameEditorViewController.h"

void FrameEditorViewController::updateCoachMarks() {}
void FrameEditorViewController::helpManangerDidFinish(HelpManager*) {}
void FrameEditorViewController::showInternalHelp() {}
void FrameEditorViewController::actionHelp() {}
void FrameEditorViewController::receiveFrameEditorHelpCloseNotification(const foundation::Notification&) {
    actionHelp();
}
