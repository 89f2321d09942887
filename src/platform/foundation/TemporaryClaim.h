#pragma once

// An output under construction: a file or a folder under a hidden temporary
// name beside its target, ".NAME.partial-<UUID>", that its writer holds with
// an exclusive lock (flock) for as long as the claim lives. The kernel lets go
// of the lock when the writer's process ends, however it ends, so a temporary
// that nobody holds is what a killed writer left behind:
// removeAbandonedTemporaries takes those away and never one that a writer of
// this or any other process still holds.
//
//     auto claim = TemporaryClaim::create(target, TemporaryClaim::Kind::File);
//     ... write claim->path() ...
//     rename claim->path() to target, then claim->release();
//     (a claim dropped unreleased removes its temporary)

#include "platform/foundation/Error.h"
#include "platform/foundation/HeldPath.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

class TemporaryClaim : public HeldPath {
public:
    enum class Kind { File, Folder };

    // Creates a new, empty file or folder under a fresh temporary name beside
    // `target` and holds it. The error is the file system's for the folder
    // of `target`.
    static Result<TemporaryClaim> create(const std::string& target, Kind kind);

private:
    using HeldPath::HeldPath;
};

// The target's name for a temporary's name, ".NAME.partial-<UUID>" (or
// ".NAME.partial", as writers named theirs before claims); none for any
// other name.
std::optional<std::string> temporaryTargetName(std::string_view fileName);

// Removes every temporary of the folder (files and folders named as above)
// that no writer holds. Returns the names removed, in listing order.
std::vector<std::string> removeAbandonedTemporaries(const std::string& folder);

}  // namespace foundation
