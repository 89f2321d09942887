#include "support/TempAppFolders.h"

#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace testsupport {

namespace {

// A new folder "<prefix>-XXXXXX" (mode 0700) in the temporary folder.
std::string freshFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("TempAppFolders: cannot create " + pattern);
    return pattern;
}

}  // namespace

TempAppFolders::TempAppFolders() : root_(freshFolder("tollivar-test")) {
    // The runtime folder too, beside the root: what libraries keep there
    // (the sound server's client folder) and the single-instance sockets
    // of the application's processes go with the test.
    runtime_ = freshFolder("tollivar-run");
    environment_.emplace(std::initializer_list<ScopedEnvironment::Variable>{{"XDG_DATA_HOME", root_ + "/data"},
                                                                            {"XDG_CACHE_HOME", root_ + "/cache"},
                                                                            {"XDG_CONFIG_HOME", root_ + "/config"},
                                                                            {"XDG_RUNTIME_DIR", runtime_}});
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
    std::filesystem::remove_all(runtime_, ignored);
}

std::string TempAppFolders::documents() const { return foundation::Paths::documentsDirectory(); }
std::string TempAppFolders::caches() const { return foundation::Paths::cachesDirectory(); }
std::string TempAppFolders::config() const { return foundation::Paths::configDirectory(); }
std::string TempAppFolders::temporary() const { return foundation::Paths::temporaryDirectory(); }

}  // namespace testsupport
