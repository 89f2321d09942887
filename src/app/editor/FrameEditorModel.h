#pragma once

// The frame editor's work on the project, apart from its views: where frames
// go, which frames an operation takes, how a picture is replaced and what a
// failed save tells the user. The editor screen calls these; tests call them
// directly.

#include "app/core/Frame.h"
#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWPasteboardHandler.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace frameeditor {

// The index an insertion uses: clamped to [0, count].
int64_t clampedInsertionIndex(int64_t index, int64_t count);

// Inserts the frames in their given order starting at the clamped index and
// returns, for each frame in that order, the index it stands at (so the
// strip can follow); a frame already in the list is left where it is and
// reported at its index.
std::vector<int64_t> insertFrames(FrameList& list, const std::vector<FramePtr>& frames, int64_t atIndex);

// Removes the frame from the list; a playhead left on it moves to the entry
// that took its place (the last entry when it was last).
void removeFrame(FrameList& list, const FramePtr& frame);
// Moves a playhead that is on no listed frame to the entry at `index`, cut to the list.
void keepPlayheadListed(FrameList& list, int64_t index);

// The frames of [location, location + length) in the list, the range cut to
// the list (an empty result for a range outside it).
std::vector<FramePtr> framesInRange(const FrameList& list, int64_t location, int64_t length);
// What Copy puts on the pasteboard: the range without the capture slot.
std::vector<FramePtr> copyableFrames(const FrameList& list, int64_t location, int64_t length);

// Capture here on `frame`: the capture slot to insert (the list's first one,
// or a new one when it has none) and the index to insert it at (the frame's
// index before anything moves). None when `frame` is the slot or not listed.
struct CaptureHerePlacement {
    FramePtr slot;
    int64_t index;
    bool slotIsListed;
};
std::optional<CaptureHerePlacement> captureHerePlacement(const FrameList& list, const FramePtr& frame);

// The theme cards: the first frame of type 2 (title) and of type 3 (credits).
struct ThemeCards {
    FramePtr title;
    FramePtr credits;
};
ThemeCards themeCards(const FrameList& list);
// The hold of a new theme card: four seconds at the project's frame rate.
int64_t themeCardHold(int64_t fps);
// The project's frame rate as every reader uses it: at least 1.
int64_t framesPerSecond(ProjectModel& project);

// The title of the question asked before `going` is deleted: empty when only
// pictures go (the sheet's Delete button says it); otherwise one line per
// card among them naming the card and the frames of the movie its hold
// takes with it ("The title card goes with its 20 frames.").
std::string deleteQuestion(const std::vector<FramePtr>& going);

// Replaces the three pictures of `frameID` with `image`
// (KWImageProducer::replaceImage: a failure before the full picture is in
// place leaves the old picture whole, and a cut anywhere leaves the three
// agreeing at the latest after the project's next opening). The new
// picture, made from what the frame showed, is also where a painted frame's
// next painting starts, with the painting it holds taken out of the strokes
// and what it hides moved by `pictureMapping` (where a crop put each point
// of the old picture, in unit coordinates; none for a merge): see
// notePictureReplacement. A failure once the picture is replaced leaves the
// rest to the painter's next opening. Parts of the painting that cannot be
// read stay as they are: the change goes through and fails with
// painterfiles::pictureChangedPartsLeftError naming them, or, where the
// painting could not follow it, is not made (pictureNotChangedError).
// A full storage fails with the store error 623 (storageFullError).
foundation::Status replaceFramePicture(ProjectModel& project, KWImageProducer& producer, const graphics::Image& image,
                                       const std::string& frameID,
                                       const std::optional<graphics::AffineTransform>& pictureMapping = std::nullopt);

// The unfiltered full picture of a frame (no movie effect); none without a
// stored full-size file.
std::optional<graphics::Image> originalPicture(ProjectModel& project, const FramePtr& frame);
// The unfiltered pictures merge combines for the entry at `index`: the
// entries at index, index - 1 and index - 2 (none for an index below 0 or a
// frame without a stored picture).
std::vector<std::optional<graphics::Image>> mergeSources(ProjectModel& project, int64_t index);

// The text an alert about a failed save of the project shows: the project by
// its name and why, in the user's words (saveFailureText); a painting's own
// error as it says it.
std::string saveFailureMessage(ProjectModel& project, const foundation::Error& error);

// The error of a paste that delivered fewer frames than were counted.
foundation::Error pasteIncompleteError();
// The error of a paste whose frames came without what of their paintings
// could not be read, said once: each frame by its place in the list, the
// parts in the painter's words; with `framesMissing` it also says what
// pasteIncompleteError says. None when everything was read.
std::optional<foundation::Error> pastedPaintingsUnreadError(const FrameList& list,
                                                            const std::vector<KWPasteboardHandler::UnreadFile>& unread,
                                                            bool framesMissing);

// Whether the project can still save its list with `frames` added (tried in
// memory, and taken out again): none when it can, or when that cannot be
// told (the save then says what failed); otherwise the error that says, in
// the user's words, by how much the texts would be too long.
std::optional<foundation::Error> framesTooLongToAddError(ProjectModel& project, const std::vector<FramePtr>& frames);

// Why a project cannot be opened in the editor (or played): its frame list
// or metadata cannot be read. A list that cannot be read is told by the
// project's name ("The project “NAME” cannot be opened: ..."), its file's
// error underlying. None when it can.
std::optional<foundation::Error> projectOpenError(ProjectModel& project);

}  // namespace frameeditor
