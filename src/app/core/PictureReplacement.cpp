#include "app/core/PictureReplacement.h"

#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectDataWrapper.h"
#include "platform/foundation/PropertyList.h"

#include <filesystem>
#include <set>

namespace picturereplacement {

namespace {

using FrameIDs = std::set<std::string>;

// The noted frame IDs; none for a missing note, and none for one that does
// not read as a list of names (then nothing is known to heal).
FrameIDs noted(const ProjectDataWrapper& project) {
    FrameIDs ids;
    const auto data = project.fileDataForFileWithPreferredFilename(kNoteFileName);
    if (!data) return ids;
    const auto list = foundation::plist::parse(*data);
    if (!list || !list->isArray()) return ids;
    for (const foundation::Value& id : list->asArray())
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
    FrameIDs ids = noted(project);
    if (!ids.insert(frameID).second) return foundation::Status::success();
    return write(project, ids);
}

foundation::Status end(ProjectDataWrapper& project, const std::string& frameID) {
    FrameIDs ids = noted(project);
    if (ids.erase(frameID) == 0) return foundation::Status::success();
    return write(project, ids);
}

foundation::Status finish(ProjectDataWrapper& project, const FrameList& list) {
    const auto path = project.pathForFile(kNoteFileName);
    if (!path || !std::filesystem::exists(*path)) return foundation::Status::success();
    foundation::Status failed = foundation::Status::success();
    FrameIDs left;
    for (const std::string& id : noted(project)) {
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
