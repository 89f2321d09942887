#pragma once

// Reading what anyone could have put in place of one of our files (a
// project's, from a shared archive say) by a reader that takes the bytes
// itself: only a regular file is opened, the open never waits on a FIFO,
// and no more is read than asked for.

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileDescriptor.h"

namespace foundation {

// Opens for reading a file that must be a regular one, with the same checks
// and errors as readRegularFile: EINVAL for anything but a regular file,
// EISDIR for a folder, ELOOP for a link with Links::Refuse. The kind is
// looked at before the open and again after it.
Result<FileDescriptor> openRegularFile(const std::string& path, Links links = Links::Follow);

// Reads on until `bytes` holds `size` bytes or the file ends, appending to
// what it holds already: 0, or the errno of a failed read. For a reader of
// a file's first bytes that asks for more only when it needs them.
int readUpTo(int fd, Bytes& bytes, size_t size);

}  // namespace foundation
