#include "platform/library/PhotoLibraryFiles.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Strings.h"
#include "platform/foundation/TemporaryClaim.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace library::detail {

namespace {

std::string lowercase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string uppercase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

bool isUnreserved(unsigned char c) { return std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~'; }

std::string percentEncode(std::string_view text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (isUnreserved(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 0xF];
        }
    }
    return out;
}

std::optional<std::string> percentDecode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        int high = foundation::hexDigitValue(text[i + 1]);
        int low = foundation::hexDigitValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string extensionOf(std::string_view name) {
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return std::string(name.substr(dot + 1));
}

bool isValidComponent(std::string_view component) {
    return !component.empty() && component.front() != '.' && component.find('\0') == std::string_view::npos;
}

// The number in "<prefix><digits>.<ext>", or none.
std::optional<long> numberInName(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    size_t at = prefix.size();
    long number = 0;
    size_t digits = 0;
    while (at < name.size() && std::isdigit(static_cast<unsigned char>(name[at])) && digits < 9) {
        number = number * 10 + (name[at] - '0');
        ++at, ++digits;
    }
    if (digits == 0 || (at < name.size() && name[at] != '.')) return std::nullopt;
    return number;
}

// Links a flushed temporary file to `target`; EEXIST tells the caller to try
// another name.
int linkIntoPlace(const std::string& temporary, const std::string& target) {
    return ::link(temporary.c_str(), target.c_str()) == 0 ? 0 : errno;
}

// Fills the claimed temporary through `write` and flushes it to the disk.
foundation::Status fillTemporary(const std::string& temporary,
                                 const std::function<foundation::Status(int fd)>& write) {
    foundation::FileDescriptor file = foundation::FileDescriptor::open(temporary, O_WRONLY);
    if (!file) return foundation::fileSystemError(errno, temporary, true);
    foundation::Status written = write(file.get());
    if (written.ok())
        if (int flushError = foundation::flushToDisk(file.get()); flushError != 0)
            written = foundation::fileSystemError(flushError, temporary, true);
    if (int closeError = file.close(); closeError != 0 && written.ok())
        written = foundation::fileSystemError(closeError, temporary, true);
    return written;
}

uint32_t readBigEndian32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

uint64_t readBigEndian64(const unsigned char* p) {
    return (uint64_t(readBigEndian32(p)) << 32) | readBigEndian32(p + 4);
}

// Finds the box `type` among the boxes between `begin` and `end` of the file;
// sets the range of its contents.
bool findBox(std::ifstream& in, uint64_t begin, uint64_t end, const char* type, uint64_t* contentBegin,
             uint64_t* contentEnd) {
    uint64_t at = begin;
    while (at + 8 <= end) {
        unsigned char header[16];
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(reinterpret_cast<char*>(header), 8)) return false;
        uint64_t size = readBigEndian32(header);
        uint64_t headerSize = 8;
        if (size == 1) {
            if (!in.read(reinterpret_cast<char*>(header + 8), 8)) return false;
            size = readBigEndian64(header + 8);
            headerSize = 16;
        } else if (size == 0) {
            size = end - at;
        }
        if (size < headerSize || at + size > end) return false;
        if (std::memcmp(header + 4, type, 4) == 0) {
            *contentBegin = at + headerSize;
            *contentEnd = at + size;
            return true;
        }
        at += size;
    }
    return false;
}

}  // namespace

std::string PhotoLibraryCore::absolute(std::string_view relative) const {
    return foundation::path::appending(root, relative);
}

foundation::Error libraryError(int64_t code, std::string description) {
    return foundation::Error(kAssetsLibraryErrorDomain, code, std::move(description));
}

foundation::Error accessDeniedError() {
    return libraryError(kAssetsLibraryAccessUserDeniedError, "User denied access");
}

std::optional<foundation::Error> accessFailure(const std::string& root) {
    if (PhotoLibrary::isAccessDenied()) return accessDeniedError();
    struct stat info {};
    if (::stat(root.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode)) return libraryError(kAssetsLibraryDataUnavailableError, "Data unavailable");
        if (::access(root.c_str(), R_OK | W_OK | X_OK) != 0) return accessDeniedError();
    }
    return std::nullopt;
}

std::optional<AssetType> assetTypeForName(std::string_view name) {
    if (name.empty() || name.front() == '.') return std::nullopt;
    std::string ext = lowercase(extensionOf(name));
    if (ext == "jpg" || ext == "jpeg" || ext == "png") return AssetType::Photo;
    if (ext == "mov" || ext == "mp4" || ext == "m4v") return AssetType::Video;
    return std::nullopt;
}

std::vector<ListedAsset> listAssets(const std::string& folder) {
    std::vector<ListedAsset> assets;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return assets;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        auto type = assetTypeForName(name);
        if (!type) continue;
        struct stat info {};
        if (::stat(foundation::path::appending(folder, name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        int64_t modified = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        assets.push_back({name, *type, modified});
    }
    ::closedir(dir);
    std::sort(assets.begin(), assets.end(), [](const ListedAsset& a, const ListedAsset& b) {
        if (a.modifiedNanoseconds != b.modifiedNanoseconds) return a.modifiedNanoseconds < b.modifiedNanoseconds;
        return a.name < b.name;
    });
    return assets;
}

std::vector<std::string> listAlbumFolders(const std::string& root) {
    std::vector<std::string> folders;
    auto names = foundation::FileManager::defaultManager().contentsOfDirectory(root);
    if (!names) return folders;
    for (const auto& name : *names) {
        if (!isValidAlbumName(name)) continue;
        bool isDirectory = false;
        if (foundation::FileManager::defaultManager().fileExists(foundation::path::appending(root, name),
                                                                 &isDirectory) &&
            isDirectory)
            folders.push_back(name);
    }
    return folders;
}

std::string assetURLFor(std::string_view relativePath) {
    std::string ext = uppercase(extensionOf(foundation::path::lastComponent(relativePath)));
    return "assets-library://asset/asset." + ext + "?id=" + percentEncode(relativePath) + "&ext=" + ext;
}

std::string groupURLFor(std::string_view folder) { return "assets-library://group/?id=" + percentEncode(folder); }

std::optional<std::string> relativePathFromAssetURL(std::string_view url) {
    constexpr std::string_view scheme = "assets-library://asset/";
    if (url.substr(0, scheme.size()) != scheme) return std::nullopt;
    size_t query = url.find('?');
    if (query == std::string_view::npos) return std::nullopt;
    std::optional<std::string> id;
    std::string_view rest = url.substr(query + 1);
    while (!rest.empty()) {
        size_t amp = rest.find('&');
        std::string_view pair = rest.substr(0, amp);
        if (pair.substr(0, 3) == "id=") {
            if (id) return std::nullopt;  // two ids: ambiguous
            id = percentDecode(pair.substr(3));
            if (!id) return std::nullopt;
        }
        if (amp == std::string_view::npos) break;
        rest = rest.substr(amp + 1);
    }
    if (!id) return std::nullopt;
    // One file in the root, or one file in one album folder.
    size_t slash = id->find('/');
    if (slash == std::string::npos) {
        if (!isValidComponent(*id)) return std::nullopt;
    } else {
        std::string_view folder = std::string_view(*id).substr(0, slash);
        std::string_view file = std::string_view(*id).substr(slash + 1);
        if (!isValidComponent(folder) || !isValidComponent(file) || file.find('/') != std::string_view::npos)
            return std::nullopt;
    }
    return id;
}

bool isValidAlbumName(std::string_view name) {
    return isValidComponent(name) && name.find('/') == std::string_view::npos;
}

// Links `existing` into `folder` as "<prefix><number><extension>", one above
// the highest number there; a name taken meanwhile is skipped, never replaced.
foundation::Result<std::string> linkUnderNewName(const std::string& folder, std::string_view prefix,
                                                 std::string_view extension, const std::string& existing) {
    long next = 1;
    if (auto names = foundation::FileManager::defaultManager().contentsOfDirectory(folder)) {
        for (const auto& name : *names) {
            if (auto number = numberInName(name, prefix)) next = std::max(next, *number + 1);
        }
    }
    for (int attempt = 0; attempt < 10000; ++attempt, ++next) {
        char number[16];
        std::snprintf(number, sizeof number, "%04ld", next);
        std::string name = std::string(prefix) + number + std::string(extension);
        int error = linkIntoPlace(existing, foundation::path::appending(folder, name));
        if (error == EEXIST) continue;
        if (error != 0) return foundation::fileSystemError(error, foundation::path::appending(folder, name), true);
        return name;
    }
    return foundation::fileSystemError(EEXIST, folder, true);
}

foundation::Result<std::string> publishNewFile(const std::string& folder, std::string_view prefix,
                                               std::string_view extension,
                                               const std::function<foundation::Status(int fd)>& write) {
    if (auto created = foundation::FileManager::defaultManager().createDirectory(folder, true); !created)
        return created.error();
    // What a save cut short by a crash left is taken away first.
    (void)foundation::removeAbandonedTemporaries(folder);
    auto temporary = foundation::TemporaryClaim::create(foundation::path::appending(folder, "photo"),
                                                        foundation::TemporaryClaim::Kind::File);
    if (!temporary) return temporary.error();
    if (foundation::Status written = fillTemporary(temporary->path(), write); !written) return written.error();
    auto placed = linkUnderNewName(folder, prefix, extension, temporary->path());
    if (!placed) return placed;
    temporary->discard();
    // The new name must survive a crash too; an item that may not is taken
    // back, so that a failure leaves nothing behind.
    const std::string target = foundation::path::appending(folder, *placed);
    foundation::FileDescriptor parent = foundation::FileDescriptor::open(folder, O_RDONLY | O_DIRECTORY);
    if (int flushError = parent ? foundation::flushToDisk(parent.get()) : errno; flushError != 0) {
        ::unlink(target.c_str());
        return foundation::fileSystemError(flushError, target, true);
    }
    return placed;
}

std::optional<double> movieDuration(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    uint64_t fileSize = static_cast<uint64_t>(in.tellg());
    uint64_t moovBegin = 0, moovEnd = 0, mvhdBegin = 0, mvhdEnd = 0;
    if (!findBox(in, 0, fileSize, "moov", &moovBegin, &moovEnd)) return std::nullopt;
    if (!findBox(in, moovBegin, moovEnd, "mvhd", &mvhdBegin, &mvhdEnd)) return std::nullopt;
    unsigned char header[32];
    uint64_t length = std::min<uint64_t>(sizeof header, mvhdEnd - mvhdBegin);
    in.clear();
    in.seekg(static_cast<std::streamoff>(mvhdBegin));
    if (length < 20 || !in.read(reinterpret_cast<char*>(header), static_cast<std::streamsize>(length)))
        return std::nullopt;
    uint32_t timescale = 0;
    uint64_t duration = 0;
    if (header[0] == 1) {
        if (length < 32) return std::nullopt;
        timescale = readBigEndian32(header + 20);
        duration = readBigEndian64(header + 24);
    } else {
        timescale = readBigEndian32(header + 12);
        duration = readBigEndian32(header + 16);
    }
    if (timescale == 0) return std::nullopt;
    return static_cast<double>(duration) / timescale;
}

}  // namespace library::detail
