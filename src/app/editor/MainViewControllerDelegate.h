#pragma once

// How the project browser and the frame editor hand a project to the root
// screen, which switches between them. It lives with the editor, the lower
// of the targets that use it, so that the editor needs nothing of the
// screens above it.

#include "app/core/ProjectModel.h"

class ProjectExplorer;
class FrameEditorViewController;

class MainViewControllerDelegate {
public:
    virtual ~MainViewControllerDelegate() = default;
    // The browser hands over the project to edit (a new, empty one for the
    // new-project entry).
    virtual void didFinishProjectExplorer(ProjectExplorer* projectExplorer, const ProjectModelPtr& withProject) = 0;
    // The frame editor hands its project back.
    virtual void didFinishFrameEditor(FrameEditorViewController* frameEditor, const ProjectModelPtr& withProject) = 0;
};
