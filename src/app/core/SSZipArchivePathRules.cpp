#include "app/core/SSZipArchivePathRules.h"

#include "platform/foundation/Strings.h"

#include <algorithm>

namespace ssziparchive {

std::optional<EntryPath> parseEntryName(std::string_view rawName) {
    if (rawName.empty() || rawName.find('\0') != std::string_view::npos) return std::nullopt;
    EntryPath entry;
    char last = rawName.back();
    entry.isDirectory = last == '/' || last == '\\';
    std::string name(rawName);
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.front() == '/') return std::nullopt;
    for (std::string& part : foundation::split(name, '/')) {
        if (part.empty() || part == ".") continue;
        if (part == "..") return std::nullopt;
        entry.components.push_back(std::move(part));
    }
    // "./" names the destination itself; only a folder entry may do that.
    if (entry.components.empty() && !entry.isDirectory) return std::nullopt;
    return entry;
}

bool linkStaysInside(const std::vector<std::string>& linkComponents, std::string_view target) {
    if (target.empty() || target.front() == '/' || target.find('\0') != std::string_view::npos) {
        return false;
    }
    size_t depth = linkComponents.empty() ? 0 : linkComponents.size() - 1;
    size_t climbs = 0;
    bool descended = false;
    for (const std::string& part : foundation::split(target, '/')) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (descended) return false;
            ++climbs;
        } else {
            descended = true;
        }
    }
    return climbs <= depth;
}

}  // namespace ssziparchive
