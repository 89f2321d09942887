// Packing files into an archive.

#include "app/core/SSZipArchive.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <minizip/zip.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Host 3 (Unix) makes unzip tools honour the permission bits we store.
constexpr uLong kVersionMadeByUnix = (3u << 8) | 20u;
// General-purpose flag bit 11: names are UTF-8.
constexpr uLong kFlagUtf8Names = 1u << 11;
constexpr uint32_t kRegularFileType = 0x8000;

void logLine(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

// Pictures, movies and compressed audio do not shrink under deflate; storing
// them spares the time without making the archive larger.
bool isAlreadyCompressed(const std::string& name) {
    std::string extension = fs::path(name).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const char* const kCompressed[] = {".jpg", ".jpeg", ".png", ".gif", ".m4a", ".mp3",
                                              ".aac", ".mov",  ".mp4", ".m4v", ".zip"};
    return std::any_of(std::begin(kCompressed), std::end(kCompressed),
                       [&](const char* known) { return extension == known; });
}

struct tm localParts(time_t when) {
    struct tm parts {};
    localtime_r(&when, &parts);
    return parts;
}

// Closes a finished archive; one that failed, in the writing or the closing,
// is removed so that no half-written archive is left behind.
bool closeOrRemove(SSZipArchive& archive, const std::string& path, bool success) {
    success = archive.close() && success;
    if (!success) {
        std::error_code removeError;
        fs::remove(path, removeError);
    }
    return success;
}

}  // namespace

SSZipArchive::SSZipArchive(std::string path) : path_(std::move(path)) {}

SSZipArchive::~SSZipArchive() {
    if (zip_) zipClose(static_cast<zipFile>(zip_), nullptr);
}

bool SSZipArchive::open() {
    if (zip_) return false;
    zip_ = zipOpen64(path_.c_str(), APPEND_STATUS_CREATE);
    return zip_ != nullptr;
}

bool SSZipArchive::close() {
    if (!zip_) return false;
    int result = zipClose(static_cast<zipFile>(zip_), nullptr);
    zip_ = nullptr;
    return result == ZIP_OK;
}

bool SSZipArchive::writeFile(const std::string& path) { return writeFileAtPath(path, std::nullopt); }

bool SSZipArchive::writeFileAtPath(const std::string& path, const std::optional<std::string>& withFileName) {
    auto file = foundation::openRegularFile(path);
    if (!file) {
        logLine("[SSZipArchive] Cannot read " + path);
        return false;
    }
    return writeOpenedFile(file->get(), withFileName ? *withFileName : fs::path(path).filename().string());
}

bool SSZipArchive::writeOpenedFile(int fileDescriptor, const std::string& name) {
    struct stat info {};
    if (fstat(fileDescriptor, &info) != 0) return false;
    uint32_t attributes = (kRegularFileType + (info.st_mode & 0777)) << 16;
    return addEntry(name, localParts(info.st_mtime), attributes, isAlreadyCompressed(name),
                    static_cast<uint64_t>(info.st_size), fileDescriptor, nullptr);
}

bool SSZipArchive::writeData(const foundation::Bytes& data, const std::string& filename) {
    uint32_t attributes = (kRegularFileType + 0644) << 16;
    return addEntry(filename, localParts(std::time(nullptr)), attributes, false, data.size(), -1, &data);
}

bool SSZipArchive::addEntry(const std::string& name, const struct tm& date, uint32_t externalAttributes, bool store,
                            uint64_t expectedSize, int fileDescriptor, const foundation::Bytes* data) {
    if (!zip_ || name.empty()) return false;
    auto zip = static_cast<zipFile>(zip_);
    zip_fileinfo entryInfo{};
    entryInfo.tmz_date.tm_sec = static_cast<uInt>(date.tm_sec);
    entryInfo.tmz_date.tm_min = static_cast<uInt>(date.tm_min);
    entryInfo.tmz_date.tm_hour = static_cast<uInt>(date.tm_hour);
    entryInfo.tmz_date.tm_mday = static_cast<uInt>(date.tm_mday);
    entryInfo.tmz_date.tm_mon = static_cast<uInt>(date.tm_mon);
    entryInfo.tmz_date.tm_year = static_cast<uInt>(date.tm_year + 1900);
    entryInfo.external_fa = externalAttributes;
    const bool needsZip64 = expectedSize >= 0xffffffffull;
    int opened =
        zipOpenNewFileInZip4_64(zip, name.c_str(), &entryInfo, nullptr, 0, nullptr, 0, nullptr, store ? 0 : Z_DEFLATED,
                                store ? 0 : Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                nullptr, 0, kVersionMadeByUnix, kFlagUtf8Names, needsZip64 ? 1 : 0);
    if (opened != ZIP_OK) return false;

    bool copied = true;
    if (data) {
        copied = data->empty() || zipWriteInFileInZip(zip, data->data(), static_cast<unsigned>(data->size())) == ZIP_OK;
    } else {
        auto failure = foundation::readChunks(fileDescriptor, [zip](const uint8_t* chunk, size_t size) {
            return zipWriteInFileInZip(zip, chunk, static_cast<unsigned>(size)) == ZIP_OK ? 0 : EIO;
        });
        if (failure && failure->side == foundation::StreamFailure::Side::Reading)
            logLine("[SSZipArchive] Cannot read " + name);
        copied = !failure;
    }
    // Closed either way, so that the writer stays usable for close().
    bool closed = zipCloseFileInZip(zip) == ZIP_OK;
    return copied && closed;
}

bool SSZipArchive::createZipFileAtPath(const std::string& path, const std::string& withContentsOfDirectory,
                                       SSZipArchiveDelegate* delegate) {
    SSZipArchive archive(path);
    if (!archive.open()) return false;

    std::vector<fs::path> entries;
    std::error_code listError;
    const fs::path root(withContentsOfDirectory);
    fs::recursive_directory_iterator it(root, listError), end;
    // Every entry counts as one progress step, the contents of hidden folders
    // included, although only the entries that are packed are written.
    for (; !listError && it != end; it.increment(listError)) entries.push_back(it->path().lexically_relative(root));
    bool success = !listError;
    if (listError) logLine("[SSZipArchive] Cannot list " + withContentsOfDirectory);
    std::sort(entries.begin(), entries.end());

    const uint64_t total = entries.size();
    for (uint64_t index = 0; success && index < total; ++index) {
        if (delegate) delegate->zipArchiveProgressEvent(index + 1, total);
        const std::string relative = entries[index].string();
        if (relative.front() == '.') continue;
        const fs::path full = root / entries[index];
        std::error_code typeError;
        if (fs::is_directory(full, typeError)) continue;
        // Only regular files are a project's content. A FIFO, a device or a
        // socket that someone put in the folder (or a link to one) is left
        // out, never waited on or read; any other failure fails the archive.
        auto file = foundation::openRegularFile(full.string());
        if (!file && file.error().code == EINVAL) {
            logLine("[SSZipArchive] Leaving out " + relative + ": it is not a regular file");
            if (delegate) delegate->zipArchiveDidLeaveOutFile(relative);
            continue;
        }
        if (!file) logLine("[SSZipArchive] Cannot read " + full.string());
        success = file && archive.writeOpenedFile(file->get(), relative);
    }
    return closeOrRemove(archive, path, success);
}

bool SSZipArchive::createZipFileAtPathWithFilesAtPaths(const std::string& path, const std::vector<std::string>& paths) {
    SSZipArchive archive(path);
    if (!archive.open()) return false;
    bool success = true;
    for (const std::string& file : paths) {
        success = archive.writeFile(file);
        if (!success) break;
    }
    return closeOrRemove(archive, path, success);
}
