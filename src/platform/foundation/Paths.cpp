#include "platform/foundation/Paths.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/PrivateFolder.h"
#include "platform/foundation/Strings.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <pwd.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace foundation {

namespace {

constexpr const char* kApplicationFolder = "tollivar";

std::mutex& overrideMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<std::string>& overrideRoot() {
    static std::optional<std::string> root;
    return root;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string homeDirectory() {
    std::string home = environment("HOME");
    if (!home.empty()) return home;
    if (const struct passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/tmp";
}

// An XDG base folder: <root>/<belowOverride> under a test root, else the
// variable when it holds an absolute path (relative ones are to be ignored,
// as the XDG rules say), else the default below the home folder.
std::string xdgFolder(const char* variable, const char* defaultBelowHome, const char* belowOverride) {
    if (std::optional<std::string> root = Paths::rootOverride()) return path::appending(*root, belowOverride);
    std::string value = environment(variable);
    if (!value.empty() && value.front() == '/') return value;
    return path::appending(homeDirectory(), defaultBelowHome);
}

// The value of `key` in a user-dirs.dirs text: a line KEY="$HOME/..." or
// KEY="/...", with the shell's backslash escapes; none when it is missing or
// not one of those forms.
std::optional<std::string> userDirsEntry(const std::string& text, const std::string& key) {
    std::optional<std::string> found;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.substr(0, key.size()) != key || line.substr(key.size(), 2) != "=\"") continue;
        std::string value;
        bool closed = false;
        for (size_t i = key.size() + 2; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                value += line[++i];
            } else if (line[i] == '"') {
                closed = true;
                break;
            } else {
                value += line[i];
            }
        }
        if (!closed) continue;
        // The shell reads the file from top to bottom: the last line counts.
        if (value == "$HOME" || value.starts_with("$HOME/"))
            found = path::appending(homeDirectory(), value.substr(5));
        else if (value.starts_with("/"))
            found = value;
    }
    return found;
}

std::string ensured(std::string folder) {
    FileManager::defaultManager().createDirectory(folder, true);
    return folder;
}

// The folders that stand in for "<base>/tollivar-<uid>" when that name is
// not this user's alone: decided once per name and use for the whole run.
struct Replacements {
    std::mutex mutex;
    // (the preferred folder, whether the runtime folder may replace it) → the
    // one used: the short folder must not inherit a long runtime replacement.
    std::map<std::pair<std::string, bool>, std::string> chosen;
    std::vector<RunFolder> ofThisRun;
    bool ended = false;
};

// Never destroyed: threads that outlive main may still ask for a folder.
Replacements& replacements() {
    static auto* shared = new Replacements;
    return *shared;
}

std::string userFolderName() { return std::string(kApplicationFolder) + "-" + std::to_string(::getuid()); }

// "tollivar-<uid>-run-XXXXXX": a name of its own, so that a start sweeps only
// folders it can prove idle. An earlier release made its run folders
// "tollivar-<uid>-XXXXXX" without holding them: those are never swept.
std::string runFolderPrefix() { return userFolderName() + "-run-"; }

// A path below a device, where no one can make a folder: writes there fail
// rather than land where others can reach them.
std::string nowhere() { return path::appending("/dev/null", kApplicationFolder); }

// "<base>/tollivar-<uid>" when it is this user's alone, else the same
// replacement for the rest of the run: $XDG_RUNTIME_DIR/tollivar (when
// `runtimeMayReplace`), else a folder of this run's in `base`.
std::string privateFolderIn(const std::string& base, bool runtimeMayReplace) {
    // One folder per user, and the user's alone: a shared /tmp must not mix
    // users' files, nor let another user read or swap ours.
    const std::string preferred = path::appending(base, userFolderName());
    Replacements& state = replacements();
    std::lock_guard lock(state.mutex);
    // A replacement, once chosen, stays for the run even when the name is
    // given back meanwhile: files of this run are in it. Should it no longer
    // be ours alone (taken away and made again by someone else), nothing
    // more goes there.
    const std::pair key{preferred, runtimeMayReplace};
    if (auto known = state.chosen.find(key); known != state.chosen.end() && known->second != preferred)
        return state.ended || !isOwnerOnlyFolder(known->second) ? nowhere() : known->second;
    if (makeOwnerOnlyFolder(preferred)) {
        state.chosen[key] = preferred;
        return preferred;
    }
    if (state.ended) return nowhere();
    std::string replacement;
    const std::string runtime = environment("XDG_RUNTIME_DIR");
    if (runtimeMayReplace && !runtime.empty() && runtime.front() == '/' && isOwnerOnlyFolder(runtime) &&
        makeOwnerOnlyFolder(path::appending(runtime, kApplicationFolder))) {
        replacement = path::appending(runtime, kApplicationFolder);
    } else if (std::optional<RunFolder> folder = RunFolder::create(base, runFolderPrefix())) {
        replacement = folder->path();
        state.ofThisRun.push_back(std::move(*folder));
    } else {
        replacement = nowhere();
    }
    state.chosen[key] = replacement;
    return replacement;
}

std::string temporaryBase() {
    std::string base = environment("TMPDIR");
    return base.empty() || base.front() != '/' ? "/tmp" : base;
}

}  // namespace

std::string Paths::documentsDirectory() {
    std::string data = xdgFolder("XDG_DATA_HOME", ".local/share", "data");
    return ensured(path::appending(path::appending(data, kApplicationFolder), "Documents"));
}

std::string Paths::cachesDirectory() {
    return ensured(path::appending(xdgFolder("XDG_CACHE_HOME", ".cache", "cache"), kApplicationFolder));
}

std::string Paths::configDirectory() {
    return ensured(path::appending(xdgFolder("XDG_CONFIG_HOME", ".config", "config"), kApplicationFolder));
}

std::string Paths::temporaryDirectory() {
    if (std::optional<std::string> root = Paths::rootOverride()) {
        std::string folder = path::appending(*root, "tmp");
        (void)makeOwnerOnlyFolder(folder);
        return folder;
    }
    return privateFolderIn(temporaryBase(), true);
}

std::string Paths::shortPrivateDirectory() {
    if (Paths::rootOverride()) return temporaryDirectory();
    return privateFolderIn("/tmp", false);
}

void Paths::removeFoldersOfThisRun() {
    Replacements& state = replacements();
    std::vector<RunFolder> folders;
    {
        std::lock_guard lock(state.mutex);
        state.ended = true;
        folders.swap(state.ofThisRun);
    }
    for (RunFolder& folder : folders) folder.discard();
}

std::vector<std::string> Paths::removeAbandonedRunFolders() {
    if (Paths::rootOverride()) return {};
    std::vector<std::string> removed;
    std::vector<std::string> bases{temporaryBase()};
    if (bases.front() != "/tmp") bases.push_back("/tmp");
    for (const std::string& base : bases)
        for (const std::string& name : foundation::removeAbandonedRunFolders(base, runFolderPrefix()))
            removed.push_back(path::appending(base, name));
    return removed;
}

std::string Paths::homeDirectory() {
    if (std::optional<std::string> root = Paths::rootOverride()) return path::appending(*root, "home");
    return foundation::homeDirectory();
}

std::string Paths::userDirectory(std::string_view name, std::string_view fallbackBelowHome) {
    if (std::optional<std::string> root = Paths::rootOverride()) {
        std::string lower(name);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return path::appending(*root, lower);
    }
    const std::string key = "XDG_" + std::string(name) + "_DIR";
    const std::string dirs = path::appending(xdgFolder("XDG_CONFIG_HOME", ".config", "config"), "user-dirs.dirs");
    if (Result<Bytes> text = readFile(dirs); text.ok()) {
        if (std::optional<std::string> entry = userDirsEntry(std::string(text->begin(), text->end()), key))
            return *entry;
    }
    std::string value = environment(key.c_str());
    if (!value.empty() && value.front() == '/') return value;
    return path::appending(homeDirectory(), fallbackBelowHome);
}

void Paths::setRootOverride(std::optional<std::string> root) {
    std::lock_guard lock(overrideMutex());
    overrideRoot() = std::move(root);
}

std::optional<std::string> Paths::rootOverride() {
    std::lock_guard lock(overrideMutex());
    return overrideRoot();
}

namespace path {

namespace {

// The path without trailing separators, but "/" stays "/".
std::string_view trimmed(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return path;
}

// Where the extension's "." sits in the last component, or npos.
size_t extensionDot(std::string_view path) {
    path = trimmed(path);
    size_t slash = path.rfind('/');
    size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot <= start) return std::string_view::npos;
    if (dot + 1 == path.size()) return std::string_view::npos;
    return dot;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowerCase) {
    if (text.size() != lowerCase.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != lowerCase[i]) return false;
    return true;
}

}  // namespace

std::string appending(std::string_view base, std::string_view component) {
    while (!component.empty() && component.front() == '/') component.remove_prefix(1);
    if (base.empty()) return std::string(component);
    if (component.empty()) return std::string(trimmed(base));
    std::string result(trimmed(base));
    if (result.back() != '/') result += '/';
    result += component;
    return result;
}

std::string lastComponent(std::string_view path) {
    path = trimmed(path);
    if (path == "/") return "/";
    size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string deletingLastComponent(std::string_view path) {
    path = trimmed(path);
    if (path == "/") return "/";
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return "";
    if (slash == 0) return "/";
    return std::string(trimmed(path.substr(0, slash)));
}

std::string extension(std::string_view path) {
    size_t dot = extensionDot(path);
    return dot == std::string_view::npos ? std::string() : std::string(trimmed(path).substr(dot + 1));
}

std::string deletingExtension(std::string_view path) {
    size_t dot = extensionDot(path);
    return std::string(dot == std::string_view::npos ? trimmed(path) : trimmed(path).substr(0, dot));
}

std::string appendingExtension(std::string_view path, std::string_view extension) {
    if (extension.empty()) return std::string(path);
    std::string result(trimmed(path));
    result += '.';
    result += extension;
    return result;
}

std::optional<std::string> fromFileURL(std::string_view url) {
    constexpr std::string_view kScheme = "file:";
    if (url.size() < kScheme.size() || !equalsIgnoringCase(url.substr(0, kScheme.size()), kScheme)) return std::nullopt;
    std::string_view rest = url.substr(kScheme.size());
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        size_t slash = rest.find('/');
        std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !equalsIgnoringCase(host, "localhost")) return std::nullopt;  // another machine's file
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    if (!rest.starts_with("/")) return std::nullopt;
    std::string decoded;
    decoded.reserve(rest.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexDigitValue(rest[i + 1]) >= 0 &&
            hexDigitValue(rest[i + 2]) >= 0) {
            decoded += static_cast<char>(hexDigitValue(rest[i + 1]) * 16 + hexDigitValue(rest[i + 2]));
            i += 2;
        } else {
            decoded += rest[i];
        }
    }
    if (decoded.find('\0') != std::string::npos) return std::nullopt;
    return decoded;
}

std::string toFileURL(std::string_view absolutePath) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (char c : absolutePath) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::string_view("/-._~").find(c) != std::string_view::npos) {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0xF];
        }
    }
    return url;
}

}  // namespace path

}  // namespace foundation
