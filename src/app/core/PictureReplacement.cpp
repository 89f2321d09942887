#include "app/core/PictureReplacement.h"

#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectDataWrapper.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"

#include <filesystem>
#include <set>

namespace picturereplacement {

namespace {

using FrameIDs = std::set<std::string>;

// The most a note can need: every frame of the list noted, each ID written
// with room to spare (escaped, in either format), and room for IDs of
// frames since taken off the list.
size_t noteSizeLimit(const FrameList* list) {
    constexpr size_t kRoomBytes = 64 << 10, kEntryBytes = 64;
    size_t limit = kRoomBytes;
    if (list)
        for (const FramePtr& frame : *list) limit += kEntryBytes + 6 * frame->frameID().size();
    return limit;
}

// The noted frame IDs; none for a missing note, and none for one that does
// not read as a list of names (then nothing is known to heal). Read only as
// a small regular file of the project's own: a note larger than the list's
// frames can need, a link, a FIFO or a device names nothing, and never
// holds or floods the reader.
FrameIDs noted(const ProjectDataWrapper& project, const FrameList* list) {
    FrameIDs ids;
    const auto path = project.pathForFile(kNoteFileName);
    if (!path) return ids;
    const auto data = foundation::readRegularFile(*path, noteSizeLimit(list), foundation::Links::Refuse);
    if (!data) return ids;
    const auto read = foundation::plist::parse(*data);
    if (!read || !read->isArray()) return ids;
    for (const foundation::Value& id : read->asArray())
        if (id.isString() && !id.asString().empty()) ids.insert(id.asString());
    return ids;
}

foundation::Status write(ProjectDataWrapper& project, const FrameIDs& ids) {
    if (ids.empty()) return project.removeRegularFileWithPreferredFilename(kNoteFileName);
    foundation::Array list;
    for (const std::string& id : ids) list.push_back(foundation::Value(id));
    auto data = foundation::plist::serialize(foundation::Value(list), foundation::plist::Format::Xml);
    if (!data) return data.error();
    return project.updateRegularFileWithContents(*data, kNoteFileName);
}

}  // namespace

foundation::Status begin(ProjectDataWrapper& project, const std::string& frameID) {
    FrameIDs ids = noted(project, project.getFrameList().get());
    if (!ids.insert(frameID).second) return foundation::Status::success();
    return write(project, ids);
}

foundation::Status end(ProjectDataWrapper& project, const std::string& frameID) {
    FrameIDs ids = noted(project, project.getFrameList().get());
    if (ids.erase(frameID) == 0) return foundation::Status::success();
    return write(project, ids);
}

foundation::Status finish(ProjectDataWrapper& project, const FrameList& list) {
    const auto path = project.pathForFile(kNoteFileName);
    std::error_code ignored;
    if (!path || !std::filesystem::exists(std::filesystem::symlink_status(*path, ignored)))
        return foundation::Status::success();
    foundation::Status failed = foundation::Status::success();
    FrameIDs left;
    for (const std::string& id : noted(project, &list)) {
        // A frame no longer listed shows nowhere; its files are swept.
        if (!list.containsFrameWithFrameID(id)) continue;
        if (foundation::Status made = KWImageProducer::createThumbNailAndPreviewForFrameID(project, id); !made) {
            left.insert(id);
            if (failed) failed = made;
        }
    }
    if (foundation::Status written = write(project, left); !written && failed) return written;
    return failed;
}

}  // namespace picturereplacement
