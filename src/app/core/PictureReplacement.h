#pragma once

// The note that keeps a frame's three pictures (full, preview, thumbnail)
// showing one picture when their replacement is cut short.
//
// The three cannot be replaced in one step. While they are, the project's
// folder holds "pictures.replacing", a property list of the frame IDs whose
// pictures are being replaced: written before the first picture goes in,
// cleared once the last is in. The project's next opening finds it there
// after a crash, a kill or a failed write, and makes the preview and the
// thumbnail of each noted frame again from its full picture, which is then
// the old one or the new one, whole. Only listed frames are touched.

#include "platform/foundation/Error.h"

#include <string>

class FrameList;
class ProjectDataWrapper;

namespace picturereplacement {

inline constexpr const char* kNoteFileName = "pictures.replacing";

// Adds the frame to the note, before its first picture is replaced.
foundation::Status begin(ProjectDataWrapper& project, const std::string& frameID);
// Takes the frame from the note (the file goes with the last frame), once
// its three pictures agree.
foundation::Status end(ProjectDataWrapper& project, const std::string& frameID);
// At the opening of the project, with the list just read: the small
// pictures of every noted frame in `list` are made again from its full
// picture, then the note goes. A frame whose pictures cannot be made stays
// noted for the next opening, and its failure is returned. Nothing happens
// (and nothing is read but the folder's entry) without a note.
foundation::Status finish(ProjectDataWrapper& project, const FrameList& list);

}  // namespace picturereplacement
