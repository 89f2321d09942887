#include "app/render/RenderOutput.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Uuid.h"

#include <cerrno>
#include <sys/stat.h>

namespace renderoutput {

foundation::Error noFramesError(const std::string& domain) {
    return foundation::Error(domain, kErrorNoFrames, kNoFramesDescription);
}

foundation::Error writeFailedError(const std::string& domain, const foundation::Error& systemError) {
    return foundation::Error(domain, kErrorWriteFailed, systemError.description,
                             std::make_shared<const foundation::Error>(systemError));
}

std::string temporaryPathBeside(const std::string& target) {
    namespace path = foundation::path;
    return path::appending(path::deletingLastComponent(target),
                           "." + path::lastComponent(target) + ".partial-" + foundation::makeUuidString());
}

foundation::Status replaceWithTemporary(const std::string& temporary, const std::string& target) {
    const foundation::FileManager& files = foundation::FileManager::defaultManager();
    struct stat existing;
    if (::lstat(target.c_str(), &existing) == 0) {
        if (auto removed = files.removeItem(target); !removed) {
            discardTemporary(temporary);
            return removed;
        }
    }
    foundation::Status moved = files.moveItem(temporary, target);
    if (!moved) discardTemporary(temporary);
    return moved;
}

void discardTemporary(const std::string& temporary) {
    (void)foundation::FileManager::defaultManager().removeItem(temporary);
}

}  // namespace renderoutput
