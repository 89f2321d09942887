#pragma once

// Copy and paste of frames through the application's general pasteboard,
// within one project or between projects, and paste of a plain picture from
// another application as a new frame. Pasted frames get new identities and
// their own copies of every per-frame file.

#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class KWPasteboardHandler {
public:
    // The private pasteboard type of copied frames. Every version that is to
    // exchange frames must keep it.
    static constexpr const char* kFramesPasteboardType = "com.marrowick.tollivar.pasteboard.frames";
    static constexpr const char* kFramesKey = "UIPASTEBOARD_FRAMES";
    static constexpr const char* kLocationKey = "UIPASTEBOARD_LOCATION";

    using FramesHandler = std::function<void(std::vector<FramePtr>)>;

    // A file of a pasted frame's painting that is there but cannot be read
    // (not a regular file, unreadable, past the read bound): it was not
    // copied, and stays as it is where it was.
    struct UnreadFile {
        FramePtr pasted;            // the frame pasted without it
        std::string sourceFolder;   // where it is
        std::string sourceFrameID;  // the frame it belongs to there
        std::string fileName;       // its name there
    };
    // What a paste of copied frames brought: the frames whose files were
    // copied, and the painting files they came without.
    struct PasteOutcome {
        std::vector<FramePtr> frames;
        std::vector<UnreadFile> unreadable;
    };
    using OutcomeHandler = std::function<void(PasteOutcome)>;

    // The project frames are copied from and pasted into.
    explicit KWPasteboardHandler(std::shared_ptr<ProjectModel> project);

    // Replaces the pasteboard's contents with one item: the frames and the
    // project folder they come from, plus the first frame's full picture
    // (with the project's movie effect) as JPEG for other applications.
    void setFramesInPasteboard(const std::vector<FramePtr>& frames);

    // The number of copied frames; otherwise 1 when the pasteboard holds a
    // picture and 0 when not.
    int64_t getNumberOfFramesInPasteboard();

    // Copied frames: on a global queue, copies each frame's files into this
    // project under a new identifier and calls the handler there with the
    // frames whose files were copied. A picture: stores it as a new frame on
    // the calling thread and calls the handler at once (with no frame when
    // its files could not be stored). Neither: the handler is not called.
    void getFramesInPasterboardWithHandler(FramesHandler handler);
    // The same, telling also what of the frames' paintings could not be read.
    void getFramesInPasterboardWithOutcome(OutcomeHandler handler);

    // A new picture frame stored from the pasteboard's picture, made upright
    // and no larger than the largest movie size; none when there is no
    // picture or its files could not be stored.
    FramePtr getSingleImageFromPasteboard();

private:
    struct CopiedFrames {
        std::vector<FramePtr> frames;
        std::optional<std::string> location;
    };
    static std::optional<CopiedFrames> readCopiedFrames();
    // Reads the source folder once, whatever the number of frames.
    PasteOutcome pasteFrames(const CopiedFrames& copied);

    std::shared_ptr<ProjectModel> project;
};
