#include "app/render/RenderOutput.h"

#include "app/core/FormatterUtil.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <sys/stat.h>

namespace renderoutput {

foundation::Error noFramesError(const std::string& domain) {
    return foundation::Error(domain, kErrorNoFrames, kNoFramesDescription);
}

foundation::Error writeFailedError(const std::string& domain, const foundation::Error& systemError) {
    return foundation::Error(domain, kErrorWriteFailed, systemError.description,
                             std::make_shared<const foundation::Error>(systemError));
}

namespace {

std::string sizeText(uint64_t bytes) {
    const std::string text =
        FormatterUtil::getFormatedFileSize(int64_t(std::min<uint64_t>(bytes, uint64_t(INT64_MAX))));
    return text.empty() ? foundation::format("%ld GB", {int64_t(bytes >> 30)}) : text;
}

}  // namespace

foundation::Status checkSpaceFor(const std::string& target, uint64_t neededBytes, const std::string& domain,
                                 int64_t code) {
    const std::string folder = foundation::path::deletingLastComponent(target);
    auto free = foundation::FileManager::defaultManager().freeSpace(folder);
    if (!free || *free >= neededBytes) return {};
    const std::string text = foundation::localizedFormat(
        "There is not enough space for \u201C%@\u201D: it needs at least %@, and %@ are free.",
        {foundation::path::lastComponent(target), sizeText(neededBytes), sizeText(*free)});
    return foundation::Error(
        domain, code, text,
        std::make_shared<const foundation::Error>(foundation::fileSystemError(ENOSPC, target, true)));
}

foundation::Error writeFailedError(const std::string& domain, const foundation::Error& systemError,
                                   const std::string& temporary, const std::string& target) {
    if (foundation::isOutOfSpaceError(systemError)) {
        const foundation::Error full = foundation::fileSystemError(ENOSPC, target, true);
        return foundation::Error(domain, kErrorWriteFailed, full.description,
                                 std::make_shared<const foundation::Error>(systemError));
    }
    foundation::Error told = systemError;
    for (size_t at = told.description.find(temporary); !temporary.empty() && at != std::string::npos;
         at = told.description.find(temporary, at + target.size()))
        told.description.replace(at, temporary.size(), target);
    return writeFailedError(domain, told);
}

foundation::Status replaceWithTemporary(foundation::TemporaryClaim& temporary, const std::string& target) {
    const foundation::FileManager& files = foundation::FileManager::defaultManager();
    struct stat existing;
    if (::lstat(target.c_str(), &existing) == 0) {
        if (auto removed = files.removeItem(target); !removed) {
            temporary.discard();
            return removed;
        }
    }
    foundation::Status moved = files.moveItem(temporary.path(), target);
    if (!moved) {
        temporary.discard();
        return moved;
    }
    temporary.release();
    return moved;
}

}  // namespace renderoutput
