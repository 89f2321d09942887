#pragma once

// Folders of this user's alone, for files that no other user of the machine
// may read or swap while they sit there (the temporary folder in a shared
// /tmp, the runtime folder of the single-instance socket).

#include <string>

namespace foundation {

// Whether `folder` is a folder, not a symbolic link, owned by this user, that
// no one else may enter, list or change (no group or other access).
bool isOwnerOnlyFolder(const std::string& folder);

// Makes `folder` a folder of this user's alone and tells whether it is one:
// a missing folder is created with mode 0700 (its parent must exist). An
// existing one is taken only when it is a folder, not a link, owned by this
// user, that no one else can change; access others could only read or enter
// by (an earlier version made it 0755) is taken away. Anything else there (a
// link, a file, another user's folder, one that others may write into) is
// refused and left alone.
bool makeOwnerOnlyFolder(const std::string& folder);

}  // namespace foundation
