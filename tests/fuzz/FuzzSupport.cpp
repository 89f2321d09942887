#include "FuzzTarget.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <vector>

namespace fuzzing {

namespace {

std::map<std::string, Entry, std::less<>>& targets() {
    static std::map<std::string, Entry, std::less<>> registered;
    return registered;
}

std::string makeScratchRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tollivar-fuzz-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) throw std::runtime_error("fuzzing: cannot create " + pattern);
    std::string root = buffer.data();
    // A child process (none is expected) would find the same folders.
    ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root + "/cache").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    foundation::Paths::setRootOverride(root);
    foundation::UserDefaults::resetStandardUserDefaults();
    return root;
}

}  // namespace

bool registerTarget(const char* name, Entry entry) {
    targets().emplace(name, entry);
    return true;
}

Entry findTarget(std::string_view name) {
    auto found = targets().find(name);
    return found == targets().end() ? nullptr : found->second;
}

std::pair<std::string_view, std::string_view> splitAt(std::string_view input, std::string_view separator) {
    size_t at = input.find(separator);
    if (at == std::string_view::npos) return {input, {}};
    return {input.substr(0, at), input.substr(at + separator.size())};
}

const std::string& scratchRoot() {
    // Removed when the process exits (libFuzzer leaves through exit() too).
    struct ScratchRoot {
        std::string path = makeScratchRoot();
        ~ScratchRoot() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const ScratchRoot root;
    return root.path;
}

std::string writeScratchFile(const std::string& name, const uint8_t* data, size_t size) {
    std::string path = scratchRoot() + "/" + name;
    auto written = foundation::writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(data), size));
    if (!written.ok()) {
        std::fprintf(stderr, "fuzzing: cannot write %s: %s\n", path.c_str(), written.error().description.c_str());
        std::abort();
    }
    return path;
}

}  // namespace fuzzing
