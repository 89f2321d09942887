#pragma once

// Removal of a file, a symbolic link or a folder with everything in it,
// through folder descriptors: each folder is opened (O_NOFOLLOW) from the
// descriptor of the folder it is in, and its entries are removed from its
// own descriptor (unlinkat). A folder that someone swaps for a symbolic link
// while the removal runs is taken away as a link; nothing outside the tree
// is ever entered or removed, whatever the tree's path names meanwhile.
// FileManager::removeItem goes through here, and so does every removal of a
// tree in the temporary folder, which other users may share with us.

#include "platform/foundation/Error.h"

#include <functional>
#include <string>

namespace foundation {

// Removes what is at `path` (a symbolic link itself, never what it names).
// The path up to its last component is followed as it stands. Errors are the
// file-system errors of FileManager (a missing path is 4).
Status removeTree(const std::string& path);

// The same, calling `entering` with the path of each folder just before the
// folder is opened, so that tests can change the tree at that moment.
Status removeTree(const std::string& path, const std::function<void(const std::string& folder)>& entering);

}  // namespace foundation
