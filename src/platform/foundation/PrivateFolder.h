#pragma once

// Folders of this user's alone, for files that no other user of the machine
// may read or swap while they sit there (the temporary folder in a shared
// /tmp, the runtime folder of the single-instance socket).

#include "platform/foundation/HeldPath.h"

#include <optional>
#include <string>
#include <vector>

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

// A folder for one run of the program alone, where a folder it would share
// with its other runs cannot be had: "<base>/<prefix>XXXXXX" under a fresh
// name (mkdtemp, mode 0700), held locked (HeldPath) for as long as the
// object lives, so a folder of this kind that no one holds is what a run left
// behind: removeAbandonedRunFolders takes those away, never one that a run
// still holds. Dropping the object removes the folder with everything in it.
class RunFolder : public HeldPath {
public:
    // None when no folder can be made in `base`.
    static std::optional<RunFolder> create(const std::string& base, const std::string& prefix);

private:
    using HeldPath::HeldPath;
};

// Removes every folder "<prefix>XXXXXX" in `base` that a run left behind: one
// that is provably of that kind (a folder, not a link, of this user's alone,
// named as mkdtemp names them) and that no process holds. A folder someone
// else made, or one that others may enter, stays whatever its name. Returns
// the names removed, in listing order.
std::vector<std::string> removeAbandonedRunFolders(const std::string& base, const std::string& prefix);

}  // namespace foundation
