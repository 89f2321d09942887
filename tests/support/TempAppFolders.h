#pragma once

// Points the application's folders (documents, caches, config, temporary) at
// a fresh temporary root for the lifetime of the object, and removes the root
// afterwards. The shared user defaults are reset on entry and exit so no test
// sees another's values. XDG_DATA_HOME, XDG_CACHE_HOME and XDG_CONFIG_HOME
// are set too (to <root>/data, <root>/cache, <root>/config), so a child
// process finds the same folders, and XDG_RUNTIME_DIR (to a folder of its
// own beside the root, removed with it), so that nothing kept there
// outlives the test; they are restored at the end.

#include "support/ScopedEnvironment.h"

#include <optional>
#include <string>

namespace testsupport {

class TempAppFolders {
public:
    TempAppFolders();
    ~TempAppFolders();

    TempAppFolders(const TempAppFolders&) = delete;
    TempAppFolders& operator=(const TempAppFolders&) = delete;

    const std::string& root() const { return root_; }
    std::string documents() const;
    std::string caches() const;
    std::string config() const;
    std::string temporary() const;

private:
    std::string root_;
    std::string runtime_;
    std::optional<std::string> previousOverride_;
    std::optional<ScopedEnvironment> environment_;
};

}  // namespace testsupport
