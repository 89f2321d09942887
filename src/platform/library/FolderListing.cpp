#include "platform/library/FolderListing.h"

#include "platform/foundation/Collation.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Utf8.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace library {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// A listing tells how far it has come after this many names.
constexpr size_t kNamesBetweenWatches = 256;
constexpr uint32_t kReplacement = 0xFFFD;

// The characters of Windows-1252's bytes 0x80-0x9F (0: none); from 0xA0 on
// its bytes are Latin-1's, which are the code points of the same values.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool sortsBefore(const FolderEntry& a, const FolderEntry& b) {
    if (a.isFolder != b.isFolder) return a.isFolder;
    if (int order = foundation::localizedCaseInsensitiveCompare(a.displayName, b.displayName); order != 0)
        return order < 0;
    // Names that differ only in case (or only in what cannot be shown) still
    // get one order, every time.
    return a.name < b.name;
}

// The first `count` characters of the text (fewer when it is shorter), and
// how many it has; a byte that is no well-formed UTF-8 counts as one.
std::pair<std::string_view, size_t> leadingCharacters(std::string_view text, size_t count) {
    size_t at = 0, taken = 0;
    for (; taken < count && at < text.size(); ++taken) {
        uint32_t codePoint = 0;
        at += std::max<size_t>(1, foundation::decodeUtf8(text, at, codePoint));
    }
    return {text.substr(0, at), taken};
}

}  // namespace

std::string displayFileName(std::string_view name) {
    std::string shown;
    shown.reserve(name.size());
    for (size_t at = 0; at < name.size();) {
        uint32_t codePoint = 0;
        const size_t length = foundation::decodeUtf8(name, at, codePoint);
        if (length == 0) {
            const auto byte = static_cast<unsigned char>(name[at]);
            codePoint = byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
        }
        // Controls, C0 and C1 (and the bytes that stand for nothing, 0 above).
        if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0)) codePoint = kReplacement;
        foundation::appendUtf8(shown, codePoint);
        at += std::max<size_t>(length, 1);
    }
    return shown;
}

FolderListing listFolder(const std::string& folder, const std::function<bool(std::string_view name)>& acceptsFile,
                         bool showHidden, const ListingWatch& watch) {
    FolderListing listing;
    listing.folder = folder;
    auto stopped = [&](size_t namesRead) {
        if (!watch || watch(namesRead)) return false;
        listing.error = foundation::Error::posix(ECANCELED, folder);
        listing.entries.clear();
        return true;
    };
    if (stopped(0)) return listing;
    foundation::FileDescriptor descriptor =
        foundation::FileDescriptor::open(folder, O_RDONLY | O_DIRECTORY | O_NONBLOCK);
    if (!descriptor) {
        listing.error = foundation::Error::posix(errno, folder);
        return listing;
    }
    // The stream takes the descriptor over and closes it.
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(descriptor.get()));
    if (!dir) {
        listing.error = foundation::Error::posix(errno, folder);
        return listing;
    }
    const int folderDescriptor = descriptor.release();
    size_t namesRead = 0;
    for (;; ++namesRead) {
        if (namesRead % kNamesBetweenWatches == 0 && namesRead > 0 && stopped(namesRead)) return listing;
        // readdir tells its end from a failure only through errno.
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno == 0) break;
            listing.error = foundation::Error::posix(errno, folder);
            listing.entries.clear();
            return listing;
        }
        const std::string_view name(entry->d_name);
        if (name == "." || name == ".." || (!showHidden && name.starts_with('.'))) continue;
        struct stat info {};
        // Follows links; a dangling or looping one fails and is left out.
        if (::fstatat(folderDescriptor, entry->d_name, &info, 0) != 0) continue;
        const bool isFolder = S_ISDIR(info.st_mode);
        if (!isFolder && !(S_ISREG(info.st_mode) && acceptsFile && acceptsFile(name))) continue;
        listing.entries.push_back(FolderEntry{
            std::string(name), displayFileName(name), isFolder,
            foundation::Date::fromUnixTime(static_cast<double>(info.st_mtim.tv_sec) + info.st_mtim.tv_nsec * 1e-9)});
    }
    std::sort(listing.entries.begin(), listing.entries.end(), sortsBefore);
    stopped(namesRead);
    return listing;
}

std::optional<std::string> parentFolder(const std::string& folder) {
    const std::string normal = resolveTypedPath(folder, "/", "/");
    if (normal == "/") return std::nullopt;
    return foundation::path::deletingLastComponent(normal);
}

std::string resolveTypedPath(std::string_view typed, const std::string& currentFolder, const std::string& home) {
    std::string full;
    if (typed == "~" || typed.starts_with("~/")) {
        full = home + "/" + std::string(typed.substr(1));
    } else if (typed.starts_with('/')) {
        full = std::string(typed);
    } else {
        full = currentFolder + "/" + std::string(typed);
    }
    std::vector<std::string_view> parts;
    std::string_view rest(full);
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string resolved;
    for (std::string_view part : parts) {
        resolved += '/';
        resolved += part;
    }
    return resolved.empty() ? "/" : resolved;
}

std::optional<size_t> typeAheadMatch(const std::vector<FolderEntry>& entries, std::string_view typed) {
    if (typed.empty()) return std::nullopt;
    const size_t length = leadingCharacters(typed, typed.size()).second;
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto [start, taken] = leadingCharacters(entries[i].displayName, length);
        if (taken == length && foundation::localizedCaseInsensitiveCompare(start, typed) == 0) return i;
    }
    return std::nullopt;
}

ChooserPlaces ChooserPlaces::fromEnvironment() {
    return ChooserPlaces{foundation::Paths::homeDirectory(),
                         foundation::Paths::userDirectory("DOCUMENTS", "Documents"),
                         foundation::Paths::userDirectory("DOWNLOAD", "Downloads")};
}

}  // namespace library
