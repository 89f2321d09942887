#include "app/core/FrameMeta.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

#include <cerrno>

using foundation::Value;

namespace {

// Earlier releases kept a few keys here, a text card's words and its theme's
// number among them: some hundreds of bytes. The file comes with a project,
// perhaps from a shared archive, so no more than a thousand times that is
// read, whatever it is, and a property list of that size parses within a
// few megabytes.
constexpr size_t kMaximumFileBytes = size_t(1) << 20;

}  // namespace

FrameMeta::FrameMeta(std::string frameID, std::string andProjectPath)
    : frameID_(std::move(frameID)), projectPath_(std::move(andProjectPath)) {
    if (!hasPlainFrameID()) return;
    auto bytes = foundation::readRegularFile(filePath(), kMaximumFileBytes);
    if (!bytes) return;
    auto stored = foundation::plist::parse(*bytes);
    if (stored && stored->isDictionary()) dictMeta_ = stored->asDictionary();
}

std::string FrameMeta::fileNameForFrameID(const std::string& frameID) { return "meta-" + frameID + ".meta"; }

std::string FrameMeta::filePath() const {
    return foundation::path::appending(projectPath_, fileNameForFrameID(frameID_));
}

void FrameMeta::setValue(Value value, std::string forKey) {
    if (value.isNull())
        dictMeta_.remove(forKey);
    else
        dictMeta_.set(std::move(forKey), std::move(value));
}

bool FrameMeta::hasPlainFrameID() const {
    return !frameID_.empty() && frameID_.find('/') == std::string::npos && frameID_.find('\0') == std::string::npos;
}

foundation::Status FrameMeta::saveMetaData() const {
    if (dictMeta_.empty()) return foundation::Status::success();
    if (!hasPlainFrameID())
        return foundation::Error(foundation::kPOSIXErrorDomain, EINVAL, "Not a frame identifier: " + frameID_);
    return foundation::plist::writeFile(Value(dictMeta_), filePath(), foundation::plist::Format::Xml);
}
