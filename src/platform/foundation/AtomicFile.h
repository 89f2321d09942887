#pragma once

// Whole-file reads and crash-safe whole-file writes.
//
// A write goes to a fresh temporary file in the target's folder, is flushed to
// disk and then renamed over the target, so a reader (or the next launch after
// a crash or power loss) sees either the old contents or the new, never a mix.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Replaces the file at `path` with `data` atomically. On failure the target is
// untouched, the temporary is removed and the Error's description names the
// path. (One exception: when only the final flush of the folder fails, the
// new contents are in place but may not survive a power loss; that is
// reported as a failure too.) A full storage (isStorageFullErrno) is reported
// in kPOSIXErrorDomain with code ENOSPC so callers can tell "storage full"
// from other failures; other
// failures carry their errno as code in the same domain. A new file gets mode
// 0644 narrowed by the umask; a replaced one keeps its permission bits within
// those (no write for the group or others, no execute, no set-id or sticky).
Status writeFileAtomically(const std::string& path, const Bytes& data);
Status writeFileAtomically(const std::string& path, std::string_view data);

// The temporary a write uses for a target named N is ".N.tmp-<process id>-
// <counter>-<random>" in the target's folder; a process killed midway leaves
// it behind. For a file name of that form: the target's name and the id of
// the process that wrote it.
struct AtomicTemporaryName {
    std::string targetName;
    int64_t writerProcessID = 0;
};
std::optional<AtomicTemporaryName> parseAtomicTemporaryName(std::string_view fileName);

// Flushes what was written to an open file, or renamed into an open
// folder, to the disk, going on after interruptions: 0, or the errno of the
// failure. Some file systems cannot flush a folder (EINVAL, ENOTSUP); a
// folder there counts as flushed, for the rename into it has happened. The
// one way every writer of this layer makes its work durable.
int flushToDisk(int fd);

// Writes all `size` bytes to a file descriptor, going on after interrupted
// and partial writes. False on failure, with errno telling why. It calls
// nothing but write(), so a signal handler may use it.
bool writeAll(int fd, const void* data, size_t size);

// Reads a whole file. Errors are in kPOSIXErrorDomain with errno as code
// (ENOENT for a missing file, EISDIR for a folder) and name the path.
// The bytes come in `store`, whose room is used again: a reader of many
// files of one size (the frames of a render) takes no fresh memory for each.
Result<Bytes> readFile(const std::string& path, Bytes store = {});

// Reads a whole file that must be a regular one of at most `maxBytes`
// bytes: what to read of a file that anyone could have put there. Nothing
// else is opened, so a FIFO never holds the reader and a device is never
// read; a larger file (or one that grows past the bound while it is read)
// fails with EFBIG, before the bytes are taken; anything but a regular file
// with EINVAL. With Links::Refuse a link is not followed either (ELOOP).
enum class Links { Follow, Refuse };
Result<Bytes> readRegularFile(const std::string& path, size_t maxBytes, Links links = Links::Follow, Bytes store = {});

}  // namespace foundation
