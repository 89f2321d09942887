#pragma once

// Zip and unzip of whole project directories over minizip.
//
// Unpacking is a class operation. It never writes outside the destination:
// entry names that are absolute, hold ".." or NUL refuse the archive, no
// existing symbolic link is written through, and a link entry is created only
// when its target stays inside the destination. The bytes written are capped
// by the free space of the destination, so a zip bomb ends as "storage full"
// instead of filling the device.
//
// Packing happens through a writer object that exists while one archive is
// written; every minizip call is checked and any failure fails the archive.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kSSZipArchiveErrorDomain = "SSZipArchiveErrorDomain";

enum SSZipArchiveErrorCode : int64_t {
    kSSZipArchiveErrorOpenFailed = -1,   // "failed to open zip file"
    kSSZipArchiveErrorNoFirstFile = -2,  // "failed to open first file in zip file"
    kSSZipArchiveErrorReadFailed = -3,   // an entry that cannot be read (truncated, corrupt)
    kSSZipArchiveErrorUnsafeEntry = -4,  // a name or link that would leave the destination
    kSSZipArchiveErrorWriteFailed = -5,  // a file that could not be written
    kSSZipArchiveErrorStorageFull = -6,  // not enough free space for the contents
    kSSZipArchiveErrorStopped = -7,      // the delegate asked to stop
};

// What the central directory says about the whole archive.
struct SSZipArchiveInfo {
    uint64_t numberOfEntries = 0;
};

// What the central directory says about one entry.
struct SSZipFileInfo {
    std::string fileName;  // raw name as stored, read as UTF-8
    uint16_t versionMadeBy = 0;
    uint16_t compressionMethod = 0;
    uint32_t dosDate = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint32_t externalAttributes = 0;
};

// All callbacks are optional; the defaults do nothing.
class SSZipArchiveDelegate {
public:
    virtual ~SSZipArchiveDelegate() = default;
    virtual void zipArchiveWillUnzipArchiveAtPath(const std::string& /*path*/, const SSZipArchiveInfo& /*zipInfo*/) {}
    virtual void zipArchiveDidUnzipArchiveAtPath(const std::string& /*path*/, const SSZipArchiveInfo& /*zipInfo*/,
                                                 const std::string& /*unzippedPath*/) {}
    virtual void zipArchiveWillUnzipFileAtIndex(int64_t /*fileIndex*/, int64_t /*totalFiles*/,
                                                const std::string& /*archivePath*/, const SSZipFileInfo& /*fileInfo*/) {
    }
    virtual void zipArchiveDidUnzipFileAtIndex(int64_t /*fileIndex*/, int64_t /*totalFiles*/,
                                               const std::string& /*archivePath*/, const SSZipFileInfo& /*fileInfo*/) {}
    virtual void zipArchiveProgressEvent(uint64_t /*loaded*/, uint64_t /*total*/) {}
    // Packing left out an entry that is no regular file (a FIFO, a device, a
    // link to one), by its path below the packed directory.
    virtual void zipArchiveDidLeaveOutFile(const std::string& /*relativePath*/) {}
    // Asked before each entry and each chunk written: true stops the unpacking,
    // which then fails with kSSZipArchiveErrorStopped.
    virtual bool zipArchiveShouldStop() { return false; }
};

class SSZipArchive {
public:
    // --- Unpacking ---

    // Overwriting on, no password, no error report, no delegate.
    static bool unzipFileAtPath(const std::string& path, const std::string& toDestination);
    static bool unzipFileAtPath(const std::string& path, const std::string& toDestination,
                                SSZipArchiveDelegate* delegate);
    static bool unzipFileAtPath(const std::string& path, const std::string& toDestination, bool overwrite,
                                const std::string& password, foundation::Error* error);
    // An empty password means none.
    static bool unzipFileAtPath(const std::string& path, const std::string& toDestination, bool overwrite,
                                const std::string& password, foundation::Error* error, SSZipArchiveDelegate* delegate);

    // Whether the central directory lists an entry whose name, as stored,
    // `accepts`; nothing is unpacked, and the directory is read only up to
    // that entry. False for a file that is no zip, or whose directory is
    // damaged before such an entry.
    static bool hasEntry(const std::string& path, const std::function<bool(const std::string& name)>& accepts);

    // Caps the bytes one unpack may write, below the free-space budget.
    // Stands in for a nearly full device in tests; none means no extra cap.
    static void setMaximumUnpackedSize(std::optional<uint64_t> bytes);

    // --- Packing ---

    // Packs every regular file below the directory under its relative path,
    // leaving out directories (they appear through their files' paths),
    // whatever is not a regular file (a FIFO is never waited on, a device
    // never read) and every entry whose relative path begins with ".". On
    // any failure the partial archive is removed and false returned.
    static bool createZipFileAtPath(const std::string& path, const std::string& withContentsOfDirectory,
                                    SSZipArchiveDelegate* delegate);
    // Each file under its last path component.
    static bool createZipFileAtPathWithFilesAtPaths(const std::string& path, const std::vector<std::string>& paths);

    explicit SSZipArchive(std::string path);
    ~SSZipArchive();
    SSZipArchive(const SSZipArchive&) = delete;
    SSZipArchive& operator=(const SSZipArchive&) = delete;

    // Creates the archive, replacing a file at the path.
    bool open();
    // Adds a regular file under the given name, or its last path component
    // when none is given; anything else fails at once.
    bool writeFileAtPath(const std::string& path, const std::optional<std::string>& withFileName);
    bool writeFile(const std::string& path);
    // Adds bytes stored with the current time as date.
    bool writeData(const foundation::Bytes& data, const std::string& filename);
    // Writes the central directory; false when that fails.
    bool close();

private:
    // Adds the rest of an open regular file under the name.
    bool writeOpenedFile(int fileDescriptor, const std::string& name);
    bool addEntry(const std::string& name, const struct tm& date, uint32_t externalAttributes, bool store,
                  uint64_t expectedSize, int fileDescriptor, const foundation::Bytes* data);

    std::string path_;
    void* zip_ = nullptr;
};
