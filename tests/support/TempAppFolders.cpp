#include "support/TempAppFolders.h"

#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace testsupport {

TempAppFolders::TempAppFolders() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tollivar-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) throw std::runtime_error("TempAppFolders: cannot create " + pattern);
    root_ = buffer.data();

    environment_.emplace(std::initializer_list<ScopedEnvironment::Variable>{{"XDG_DATA_HOME", root_ + "/data"},
                                                                            {"XDG_CACHE_HOME", root_ + "/cache"},
                                                                            {"XDG_CONFIG_HOME", root_ + "/config"}});
    previousOverride_ = foundation::Paths::rootOverride();
    foundation::Paths::setRootOverride(root_);
    foundation::UserDefaults::resetStandardUserDefaults();
}

TempAppFolders::~TempAppFolders() {
    foundation::UserDefaults::resetStandardUserDefaults();
    foundation::Paths::setRootOverride(previousOverride_);
    environment_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string TempAppFolders::documents() const { return foundation::Paths::documentsDirectory(); }
std::string TempAppFolders::caches() const { return foundation::Paths::cachesDirectory(); }
std::string TempAppFolders::config() const { return foundation::Paths::configDirectory(); }
std::string TempAppFolders::temporary() const { return foundation::Paths::temporaryDirectory(); }

}  // namespace testsupport
