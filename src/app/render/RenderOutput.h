#pragma once

// What the GIF, image-folder and archive renderers share about their
// outputs: the errors they end with, and how an output is built under a
// hidden temporary name beside its place in the render cache and put there
// only when complete, so a cancelled or failed export leaves no partial file
// and the output of an earlier export is replaced only by a whole new one.

#include "platform/foundation/Error.h"
#include "platform/foundation/TemporaryClaim.h"

#include <cstdint>
#include <optional>
#include <string>

namespace renderoutput {

inline constexpr int64_t kErrorNoFrames = 38;
inline constexpr int64_t kErrorWriteFailed = 39;
inline constexpr const char* kNoFramesDescription = "No frames found in project.";

// A project whose movie has no frames, in the renderer's domain. One whose
// frame list cannot be read (`unreadable`) is told as the project's fault,
// as opening it tells it, with that error underneath.
foundation::Error noFramesError(const std::string& domain, const std::optional<foundation::Error>& unreadable,
                                int64_t code = kErrorNoFrames);
// A write that failed, in the renderer's domain with the system's text; the
// system's error stays attached as the underlying one.
foundation::Error writeFailedError(const std::string& domain, const foundation::Error& systemError);
// The same for a failure while writing into `temporary`, told about `target`
// instead: the hidden name with its UUID means nothing to a user. A full
// device is told as the movie and GIF writers tell it ("The file “NAME”
// couldn’t be saved because there isn’t enough space.").
foundation::Error writeFailedError(const std::string& domain, const foundation::Error& systemError,
                                   const std::string& temporary, const std::string& target);

// Whether `neededBytes` (at the least) fit on the file system that holds
// `target`'s folder; the error to end with, in the renderer's domain with
// `code`, when they do not. A file system that cannot be asked is given the
// benefit of the doubt. A folder that takes no new file at all (read-only,
// or not ours to write) is told as that, in the file system's words for
// `target`, whatever free space its device reports.
foundation::Status checkSpaceFor(const std::string& target, uint64_t neededBytes, const std::string& domain,
                                 int64_t code);

// "There is not enough space for “NAME”: it needs at least N, and F are
// free." when `neededBytes` exceed `freeBytes`; none when they fit. The
// figures are file sizes as the screens show them; where those read the
// same, both are given in the needed size's unit with the fewest decimals
// that tell them apart, or in bytes, each truncated.
std::optional<std::string> notEnoughSpaceText(const std::string& name, uint64_t neededBytes, uint64_t freeBytes);

// Removes what is at `target` (an earlier output) and moves the temporary
// (a TemporaryClaim beside it, which a sweep of the render cache leaves alone
// while the export runs) there. On failure the temporary item is removed too.
foundation::Status replaceWithTemporary(foundation::TemporaryClaim& temporary, const std::string& target);

}  // namespace renderoutput
