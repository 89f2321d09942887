#include "support/TempAppFolders.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

namespace testsupport {

namespace {

std::optional<std::string> environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

TempAppFolders::TempAppFolders() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tollivar-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) throw std::runtime_error("TempAppFolders: cannot create " + pattern);
    root_ = buffer.data();

    const std::pair<const char*, const char*> variables[3] = {
        {"XDG_DATA_HOME", "data"}, {"XDG_CACHE_HOME", "cache"}, {"XDG_CONFIG_HOME", "config"}};
    for (int i = 0; i < 3; ++i) {
        saved_[i] = {variables[i].first, environment(variables[i].first)};
        ::setenv(variables[i].first, (root_ + "/" + variables[i].second).c_str(), 1);
    }
    previousOverride_ = foundation::Paths::rootOverride();
    foundation::Paths::setRootOverride(root_);
    foundation::UserDefaults::resetStandardUserDefaults();
}

TempAppFolders::~TempAppFolders() {
    foundation::UserDefaults::resetStandardUserDefaults();
    foundation::Paths::setRootOverride(previousOverride_);
    for (const SavedVariable& variable : saved_) {
        if (variable.value)
            ::setenv(variable.name.c_str(), variable.value->c_str(), 1);
        else
            ::unsetenv(variable.name.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string TempAppFolders::documents() const { return foundation::Paths::documentsDirectory(); }
std::string TempAppFolders::caches() const { return foundation::Paths::cachesDirectory(); }
std::string TempAppFolders::config() const { return foundation::Paths::configDirectory(); }
std::string TempAppFolders::temporary() const { return foundation::Paths::temporaryDirectory(); }

}  // namespace testsupport
