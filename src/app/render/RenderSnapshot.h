#pragma once

// What a render reads of its project, taken on the main thread when the
// export starts. The project's metadata and frame list live on the main
// thread and may change there while the render runs on its queues; the
// render reads this copy instead, so it shows the project as it was when
// the export started. Frames are shared, but what a render reads of them
// (type and frameID) never changes.

#include "app/core/ExpandedFrames.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/render/ThemeCard.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

struct RenderSnapshot {
    ExpandedFrames frames;
    KWImageProducer::PictureSettings pictures;
    // The output file's name without extension (outputNameOf).
    std::string outputName;
    // What each card frame of the movie shows, for a render that draws its
    // cards anew.
    std::map<const Frame*, ThemeCard> cards;
    // Why the project's frame list cannot be read, told as a user is told it
    // on opening the project; a render of such a project ends with this,
    // not as one of a project without frames.
    std::optional<foundation::Error> unreadable;

    // Main thread.
    static RenderSnapshot ofProject(ProjectModel& project);
    // How many snapshots the calling thread has taken so far: lets a
    // screen's tests show what it reads of a project, and how often.
    static uint64_t takenOnThisThread();
    // The project's movie by position, as it is now; none for a frame list
    // that cannot be read. Main thread.
    static ExpandedFrames framesOf(ProjectModel& project);
    // The project's sanitised name, or "My_Stop_Ziruru_Movie" when it has
    // none that survives sanitising. Main thread.
    static std::string outputNameOf(ProjectModel& project);
};
