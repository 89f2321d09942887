#include "platform/foundation/Bundle.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace foundation {

namespace {

constexpr const char* kInfoPlist = "config/Info.plist";

std::string executableFolder() {
    std::vector<char> buffer(4096);
    ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    return path::deletingLastComponent(std::string(buffer.data(), static_cast<size_t>(length)));
}

bool isFolder(const std::string& candidate) {
    bool isDirectory = false;
    return !candidate.empty() && FileManager::defaultManager().fileExists(candidate, &isDirectory) && isDirectory;
}

std::string locateMainResources() {
    std::vector<std::string> candidates;
    if (const char* configured = std::getenv("TOLLIVAR_RESOURCES"); configured && *configured)
        candidates.emplace_back(configured);
    std::string folder = executableFolder();
    if (!folder.empty()) {
        candidates.push_back(path::appending(folder, "resources"));
        candidates.push_back(path::appending(path::deletingLastComponent(folder), "resources"));
    }
#ifdef TOLLIVAR_SOURCE_RESOURCES
    candidates.emplace_back(TOLLIVAR_SOURCE_RESOURCES);
#endif
    for (const std::string& candidate : candidates)
        if (isFolder(candidate)) return candidate;
    std::fprintf(stderr, "Bundle: no resources folder found; looked in");
    for (const std::string& candidate : candidates) std::fprintf(stderr, " %s", candidate.c_str());
    std::fprintf(stderr, "\n");
    return candidates.empty() ? std::string("resources") : candidates.front();
}

}  // namespace

Bundle& Bundle::main() {
    static Bundle bundle(locateMainResources());
    return bundle;
}

Bundle::Bundle(std::string resourcePath) : resourcePath_(std::move(resourcePath)) {}

std::optional<std::string> Bundle::pathForResource(std::string_view name, std::string_view type) const {
    if (name.empty()) return std::nullopt;
    std::string fileName(name);
    if (!type.empty()) fileName = path::appendingExtension(fileName, type);
    // A ".." component would let a name reach outside the resources.
    for (size_t start = 0; start <= fileName.size();) {
        size_t end = fileName.find('/', start);
        if (end == std::string::npos) end = fileName.size();
        if (fileName.compare(start, end - start, "..") == 0) return std::nullopt;
        start = end + 1;
    }

    const FileManager& files = FileManager::defaultManager();
    std::string direct = path::appending(resourcePath_, fileName);
    if (files.fileExists(direct)) return direct;
    if (fileName.find('/') != std::string::npos) return std::nullopt;

    auto entries = files.contentsOfDirectory(resourcePath_);
    if (!entries) return std::nullopt;
    for (const std::string& entry : *entries) {
        std::string subfolder = path::appending(resourcePath_, entry);
        if (!isFolder(subfolder)) continue;
        std::string candidate = path::appending(subfolder, fileName);
        if (files.fileExists(candidate)) return candidate;
    }
    return std::nullopt;
}

Dictionary Bundle::infoDictionary() const {
    std::call_once(infoLoaded_, [this] {
        std::string file = path::appending(resourcePath_, kInfoPlist);
        auto value = plist::readFile(file);
        if (value && value->isDictionary()) {
            info_ = value->asDictionary();
        } else if (FileManager::defaultManager().fileExists(file)) {
            std::fprintf(stderr, "Bundle: %s is not a readable dictionary\n", file.c_str());
        }
    });
    return info_.copy();  // callers must not change the bundle's own list
}

Value Bundle::objectForInfoDictionaryKey(std::string_view key) const { return infoDictionary().get(key); }

std::string Bundle::infoString(std::string_view key) const { return objectForInfoDictionaryKey(key).asString(); }

std::string Bundle::bundleIdentifier() const { return infoString(kBundleIdentifierKey); }
std::string Bundle::shortVersionString() const { return infoString(kBundleShortVersionStringKey); }
std::string Bundle::bundleVersion() const { return infoString(kBundleVersionKey); }

std::string Bundle::displayName() const {
    std::string name = infoString(kBundleDisplayNameKey);
    return name.empty() ? infoString(kBundleNameKey) : name;
}

}  // namespace foundation
