#pragma once

// File and folder operations with the semantics the application was written
// against: copy and move refuse to replace an existing target, removal takes
// folders with their contents, and failures come back as errors in the file
// system's error domain (kCocoaErrorDomain) with the platform's codes, the
// operating system's error wrapped as the underlying error.
//
// Whole-file writes that must be atomic go through writeFileAtomically
// (AtomicFile.h); this class does not write file contents.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace foundation {

// Codes of kCocoaErrorDomain that file operations report.
inline constexpr int64_t kFileNoSuchFileError = 4;
inline constexpr int64_t kFileReadUnknownError = 256;
inline constexpr int64_t kFileReadNoPermissionError = 257;
inline constexpr int64_t kFileReadNoSuchFileError = 260;
inline constexpr int64_t kFileWriteUnknownError = 512;
inline constexpr int64_t kFileWriteNoPermissionError = 513;
inline constexpr int64_t kFileWriteFileExistsError = 516;
inline constexpr int64_t kFileWriteUnsupportedSchemeError = 518;
inline constexpr int64_t kFileWriteOutOfSpaceError = 640;
inline constexpr int64_t kFileWriteVolumeReadOnlyError = 642;

// The modes of what we write, whatever a source or an archive says: no one
// else may write to it, nothing is set-id or sticky, and the umask narrows
// them further. A copy of a file its owner may execute gets 0755.
inline constexpr uint32_t kOwnFileMode = 0644;
inline constexpr uint32_t kOwnFolderMode = 0755;

// The file-system error for a failed operation on `path`, from the errno the
// operating system gave. `writing` picks between the read and the write codes
// where the platform distinguishes them (a missing file is 260 when reading,
// 4 otherwise; a full device is always 640).
Error fileSystemError(int errnoValue, const std::string& path, bool writing);

// The one test of whether a failure means the storage is full, for every
// writer of every layer: the device has no room left (ENOSPC) or the user's
// quota is used up (EDQUOT). A file that outgrew a size limit (EFBIG) is
// not: the device may have room, and the system's own text says what is.
bool isStorageFullErrno(int errnoValue);

// True when the error means the storage is full: code 640 of the file-system
// domain, or a storage-full errno (isStorageFullErrno) of the POSIX domain,
// also when wrapped as an underlying error at any depth.
bool isOutOfSpaceError(const Error& error);

// True when the error means the target already exists: code 516 of the
// file-system domain or EEXIST of the POSIX domain.
bool isFileExistsError(const Error& error);

enum class FileType { Regular, Directory, SymbolicLink, Other };

struct FileAttributes {
    FileType type = FileType::Other;
    uint64_t size = 0;  // bytes; for a symbolic link the length of its target text
    Date modificationDate;
    uint32_t permissions = 0;  // the mode's permission bits
};

class FileManager {
public:
    static FileManager& defaultManager();

    // Whether something exists at the path; symbolic links are followed, so a
    // dangling link does not exist. `isDirectory` (optional) tells whether it
    // is a folder.
    bool fileExists(const std::string& path, bool* isDirectory = nullptr) const;

    // Creates a folder. With intermediates, missing parents are created too and
    // an existing folder counts as success; without, the parent must exist and
    // an existing item is a 516 error. New folders get mode 0755 narrowed by
    // the umask: no one else may write into them.
    Status createDirectory(const std::string& path, bool withIntermediates) const;

    // Names of the entries of a folder ("." and ".." left out), sorted by byte
    // order so that callers and files built from a listing are deterministic.
    Result<std::vector<std::string>> contentsOfDirectory(const std::string& path) const;
    // Names of the folder's regular files that hold at least a byte (links,
    // folders, empty and special files left out), in no particular order.
    Result<std::vector<std::string>> namesOfFilesWithContent(const std::string& path) const;

    // Paths relative to `path` of every entry below it at any depth, folders
    // before their contents, sorted per folder. Symbolic links to folders are
    // listed but not entered.
    Result<std::vector<std::string>> subpathsOfDirectory(const std::string& path) const;

    // Copies a file, a symbolic link (as a link, never its target) or a folder
    // with everything in it, with our own modes (kOwnFileMode, kOwnFolderMode)
    // and the source's modification dates. Fails with 516 when anything exists
    // at `to`, including a dangling symbolic link; nothing is replaced. A
    // folder copy that fails half-way removes what it copied; so does one
    // that `shouldStop` (asked before each item) stops, with ECANCELED.
    Status copyItem(const std::string& from, const std::string& to, const std::function<bool()>& shouldStop = {}) const;

    // Copies a file that must be a regular one (a link is followed to one)
    // of at most `maxBytes` bytes, as readRegularFile reads one: a FIFO never
    // holds the copy and a device is never read. What cannot be read fails
    // as readRegularFile fails (kPOSIXErrorDomain: ENOENT, EINVAL for
    // anything but a regular file, EFBIG past the bound); 516 when anything
    // exists at `to`. A failed copy leaves nothing at `to`.
    Status copyRegularFile(const std::string& from, const std::string& to, uint64_t maxBytes) const;

    // Copies a file, or a folder with its contents, into `folder` as
    // "<stem>.<extension>" ("<stem>" without an extension) or, while that name
    // is taken, as "<stem><separator>2.<extension>", "<stem><separator>3...":
    // nothing is ever replaced. The copy is made in a claimed temporary folder
    // beside the targets (TemporaryClaim), flushed to the disk and then moved
    // into place (moveItemUnderFreeName), so it never shows half made and
    // what a crash leaves is swept by removeAbandonedTemporaries. Returns the
    // name used.
    Result<std::string> copyItemUnderFreeName(const std::string& from, const std::string& folder,
                                              const std::string& stem, const std::string& extension,
                                              const std::string& separator = " ") const;

    // Writes a file, or a folder with everything below it, to the disk
    // (fsync), so that a rename can publish it whole.
    Status flushItem(const std::string& path) const;

    // Renames a complete item (flushed already) into `folder`, on the same
    // file system, under the first of nameFor(0), nameFor(1), ...,
    // nameFor(attempts - 1) that is free, never replacing anything; then
    // flushes `folder` so that the new name survives a crash (when that
    // fails, the item is removed again and the error returned). Returns the
    // name used; 516 when every name was taken.
    Result<std::string> moveItemUnderFreeName(const std::string& from, const std::string& folder,
                                              const std::function<std::string(int attempt)>& nameFor,
                                              int attempts) const;

    // Moves an item; fails with 516 when anything exists at `to`. Across file
    // systems it copies (as copyItem does) and then removes the source.
    Status moveItem(const std::string& from, const std::string& to) const;

    // Removes a file, a symbolic link (not its target) or a folder with its
    // contents, through folder descriptors (removeTree, TreeRemoval.h). A
    // missing path is an error (4), as on the platform.
    Status removeItem(const std::string& path) const;
    // The same, after first renaming the item into a claimed temporary
    // folder beside it (TemporaryClaim): a removal that a crash cuts short
    // leaves a temporary that removeAbandonedTemporaries takes away, never
    // half the item under its own name.
    Status removeItemAside(const std::string& path) const;

    // Attributes of the item itself; a symbolic link is not followed.
    Result<FileAttributes> attributesOfItem(const std::string& path) const;

    Status setModificationDate(const std::string& path, Date date) const;

    Status createSymbolicLink(const std::string& path, const std::string& destination) const;

    // Bytes available to this user on the file system that holds the path.
    Result<uint64_t> freeSpace(const std::string& path) const;

private:
    FileManager() = default;
};

}  // namespace foundation
