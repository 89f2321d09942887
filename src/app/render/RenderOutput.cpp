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

foundation::Error noFramesError(const std::string& domain, const std::optional<foundation::Error>& unreadable,
                                int64_t code) {
    if (!unreadable) return foundation::Error(domain, code, kNoFramesDescription);
    return foundation::Error(domain, code, unreadable->description,
                             std::make_shared<const foundation::Error>(*unreadable));
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

struct SizeUnit {
    uint64_t bytes;
    const char* name;
};

// The unit getFormatedFileSize gives `bytes` in.
SizeUnit unitOf(uint64_t bytes) {
    if (bytes <= 1025023) return {1ull << 10, "KB"};
    if (bytes <= 1049624575) return {1ull << 20, "MB"};
    return {1ull << 30, "GB"};
}

// `bytes` in `unit` with `decimals` decimals, truncated: "0.98 MB".
std::string sizeText(uint64_t bytes, SizeUnit unit, int decimals) {
    uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const unsigned __int128 scaled = static_cast<unsigned __int128>(bytes) * scale / unit.bytes;
    std::string text = std::to_string(static_cast<uint64_t>(scaled / scale));
    if (decimals > 0) {
        const std::string fraction = std::to_string(static_cast<uint64_t>(scaled % scale));
        text += "." + std::string(size_t(decimals) - fraction.size(), '0') + fraction;
    }
    return text + " " + unit.name;
}

}  // namespace

std::optional<std::string> notEnoughSpaceText(const std::string& name, uint64_t neededBytes, uint64_t freeBytes) {
    if (neededBytes <= freeBytes) return std::nullopt;
    std::string needed = sizeText(neededBytes), free = sizeText(freeBytes);
    // "needs 1 MB, and 1 MB are free" would be no reason: finer figures.
    const SizeUnit unit = unitOf(neededBytes);
    for (int decimals = 1; needed == free && decimals <= 3; ++decimals) {
        needed = sizeText(neededBytes, unit, decimals);
        free = sizeText(freeBytes, unit, decimals);
    }
    if (needed == free) {
        needed = std::to_string(neededBytes) + " bytes";
        free = std::to_string(freeBytes) + " bytes";
    }
    return foundation::localizedFormat(
        "There is not enough space for \u201C%@\u201D: it needs at least %@, and %@ are free.", {name, needed, free});
}

foundation::Status checkSpaceFor(const std::string& target, uint64_t neededBytes, const std::string& domain,
                                 int64_t code) {
    const std::string folder = foundation::path::deletingLastComponent(target);
    auto free = foundation::FileManager::defaultManager().freeSpace(folder);
    if (!free) return {};
    const std::optional<std::string> text =
        notEnoughSpaceText(foundation::path::lastComponent(target), neededBytes, *free);
    if (!text) return {};
    // A device that cannot be written reports what it likes as free (a
    // read-only one little or nothing): a folder that refuses a new file is
    // told as such, not as a full one.
    auto probe = foundation::TemporaryClaim::create(target, foundation::TemporaryClaim::Kind::File);
    if (!probe && !foundation::isOutOfSpaceError(probe.error()))
        return foundation::Error(domain, code, probe.error().description,
                                 std::make_shared<const foundation::Error>(probe.error()));
    return foundation::Error(
        domain, code, *text,
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
