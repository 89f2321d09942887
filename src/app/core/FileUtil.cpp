#include "app/core/FileUtil.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Uuid.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <string_view>

using foundation::FileManager;

namespace {

// Whether a file name carries the key. An empty key matches nothing, as a
// search for the empty text finds nothing on the platform: a caller with an
// empty identifier must never delete or copy a whole folder.
bool containsKey(const std::string& name, const std::string& key) {
    return !key.empty() && !name.empty() && name.find(key) != std::string::npos;
}

std::mutex& overrideMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<uint64_t>& freeSpaceOverride() {
    static std::optional<uint64_t> bytes;
    return bytes;
}

}  // namespace

KeysInNames::KeysInNames(const std::vector<std::string>& keys) {
    for (const std::string& key : keys)
        if (!key.empty()) keysByLength_[key.size()].insert(key);
}

void KeysInNames::forEachKeyIn(std::string_view name,
                               const std::function<void(const std::string& key)>& visit) const {
    for (const auto& [length, keys] : keysByLength_) {
        if (length > name.size()) break;
        // A key found twice in one name is told once.
        std::vector<const std::string*> told;
        for (size_t at = 0; at + length <= name.size(); ++at) {
            const auto found = keys.find(name.substr(at, length));
            if (found == keys.end() || std::find(told.begin(), told.end(), &*found) != told.end()) continue;
            told.push_back(&*found);
            visit(*found);
        }
    }
}

bool KeysInNames::containsAnyKey(std::string_view name) const {
    for (const auto& [length, keys] : keysByLength_) {
        if (length > name.size()) break;
        for (size_t at = 0; at + length <= name.size(); ++at)
            if (keys.contains(name.substr(at, length))) return true;
    }
    return false;
}

std::map<std::string, std::vector<std::string>> FileUtil::namesByKey(const std::vector<std::string>& names,
                                                                     const std::vector<std::string>& keys) {
    const KeysInNames matcher(keys);
    std::map<std::string, std::vector<std::string>> found;
    for (const std::string& name : names)
        matcher.forEachKeyIn(name, [&](const std::string& key) { found[key].push_back(name); });
    return found;
}

std::string FileUtil::createUUID() { return foundation::makeUuidString(); }

std::optional<std::string> FileUtil::pathForResource(const std::string& name) {
    return foundation::Bundle::main().pathForResource(name);
}

void FileUtil::deleteAllFilesInPath(const std::string& path, const std::string& containingKey) {
    const FileManager& files = FileManager::defaultManager();
    auto names = files.contentsOfDirectory(path);
    if (!names) return;
    for (const std::string& name : *names)
        if (containsKey(name, containingKey)) files.removeItem(foundation::path::appending(path, name));
}

void FileUtil::copyAllFilesInPath(const std::string& path, const std::string& toPath,
                                  const std::string& containingKey) {
    copyAllFilesInPath(path, toPath, containingKey, containingKey);
}

bool FileUtil::copyAllFilesInPath(const std::string& path, const std::string& toPath, const std::string& containingKey,
                                  const std::string& replaceKey) {
    const FileManager& files = FileManager::defaultManager();
    auto names = files.contentsOfDirectory(path);
    if (!names || names->empty()) return false;
    bool allCopied = true;
    for (const std::string& name : *names) {
        if (!containsKey(name, containingKey)) continue;
        std::string target = foundation::path::appending(toPath, replacingKey(name, containingKey, replaceKey));
        if (!files.copyItem(foundation::path::appending(path, name), target)) allCopied = false;
    }
    return allCopied;
}

std::string FileUtil::replacingKey(std::string name, const std::string& key, const std::string& replaceKey) {
    if (key.empty()) return name;
    for (size_t at = name.find(key); at != std::string::npos; at = name.find(key, at + replaceKey.size()))
        name.replace(at, key.size(), replaceKey);
    return name;
}

bool FileUtil::isFileASymbolicLinkAtPath(const std::string& path) {
    auto attributes = FileManager::defaultManager().attributesOfItem(path);
    return attributes && attributes->type == foundation::FileType::SymbolicLink;
}

uint64_t FileUtil::freeDiskspace() {
    {
        std::lock_guard lock(overrideMutex());
        if (freeSpaceOverride()) return *freeSpaceOverride();
    }
    return FileManager::defaultManager().freeSpace(foundation::Paths::documentsDirectory()).valueOr(0);
}

void FileUtil::setFreeDiskspaceOverride(std::optional<uint64_t> bytes) {
    std::lock_guard lock(overrideMutex());
    freeSpaceOverride() = bytes;
}

uint64_t FileUtil::folderSize(const std::string& path) {
    const FileManager& files = FileManager::defaultManager();
    auto subpaths = files.subpathsOfDirectory(path);
    if (!subpaths) return 0;
    uint64_t total = 0;
    for (const std::string& subpath : *subpaths) {
        auto attributes = files.attributesOfItem(foundation::path::appending(path, subpath));
        if (attributes) total += attributes->size;
    }
    return total;
}

graphics::Color FileUtil::getColorFromDictonary(const foundation::Value& dictionary) {
    foundation::Dictionary components = dictionary.asDictionary();
    return graphics::Color::rgb(components.get("red").asDouble(), components.get("green").asDouble(),
                                components.get("blue").asDouble(), components.get("alpha").asDouble());
}

foundation::Dictionary FileUtil::getDictionaryFromUIColor(const graphics::Color& color) {
    graphics::RGBAComponents components;
    if (auto rgba = color.rgba()) {
        components = *rgba;
    } else {
        components.alpha = color.alpha();  // a pattern: no colour components to keep
    }
    auto asFloat = [](double value) {
        return foundation::Value::real(static_cast<float>(value), foundation::Value::kTypeFloat);
    };
    return foundation::Dictionary{{"red", asFloat(components.red)},
                                  {"green", asFloat(components.green)},
                                  {"blue", asFloat(components.blue)},
                                  {"alpha", asFloat(components.alpha)}};
}

std::string FileUtil::sanitizeFileNameString(const std::string& string) {
    static constexpr std::string_view kRemoved = "./\\?%*|\"<>:;'[]{}@#$^`~,";
    std::string clean;
    clean.reserve(string.size());
    for (char c : string) {
        if (kRemoved.find(c) != std::string_view::npos) continue;
        clean += c == ' ' ? '_' : c;
    }
    return clean;
}

bool FileUtil::removeItemAtPath(const std::string& path, foundation::Error* error) {
    const FileManager& files = FileManager::defaultManager();
    // The item itself counts, not what a link points to: a link is removed
    // like a file, and a dangling one does not linger.
    auto attributes = files.attributesOfItem(path);
    if (!attributes) return true;
    if (attributes->type == foundation::FileType::Directory) {
        foundation::setError(error, foundation::fileSystemError(EISDIR, path, true));
        return false;
    }
    foundation::Status removed = files.removeItem(path);
    if (!removed) foundation::setError(error, removed.error());
    return removed.ok();
}

bool FileUtil::removeItemAtURL(const std::string& url, foundation::Error* error) {
    if (std::optional<std::string> path = foundation::path::fromFileURL(url)) return removeItemAtPath(*path, error);
    foundation::setError(error,
                         foundation::Error(foundation::kCocoaErrorDomain, foundation::kFileWriteUnsupportedSchemeError,
                                           "The item at " + url + " cannot be removed: it is not a file."));
    return false;
}

bool FileUtil::removeFolderAtPath(const std::string& path, foundation::Error* error) {
    foundation::Status removed = FileManager::defaultManager().removeItem(path);
    if (!removed) foundation::setError(error, removed.error());
    return removed.ok();
}
