#include "components/support/logging/DDLog.h"
#include "components/support/logging/DDLogFileManager.h"
#include "components/support/logging/LogConsole.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/xattr.h>
#include <system_error>
#include <unistd.h>

namespace logging {

namespace {

bool isProtectionClass(const std::string& level) {
    return level == kFileProtectionNone || level == kFileProtectionComplete ||
           level == kFileProtectionCompleteUnlessOpen || level == kFileProtectionCompleteUntilFirstUserAuthentication;
}

std::vector<std::string> splitAtBlanks(const std::string& text) {
    std::vector<std::string> pieces(1);
    for (char c : text) {
        if (c == ' ') {
            pieces.emplace_back();
        } else {
            pieces.back() += c;
        }
    }
    return pieces;
}

// 1 for "app 2026-12-07 14-05.log", n for "app 2026-12-07 14-05 n.log".
unsigned long attemptNumber(const std::string& fileName) {
    const std::string stem = foundation::path::deletingExtension(fileName);
    const size_t blank = stem.rfind(' ');
    if (blank == std::string::npos || blank + 1 == stem.size()) return 1;
    const std::string digits = stem.substr(blank + 1);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) return 1;
    return std::stoul(digits);
}

}  // namespace

DDLogFileManagerDefault::DDLogFileManagerDefault(std::optional<std::string> logsDirectory,
                                                 std::optional<std::string> defaultFileProtectionLevel)
    : logsDirectory_(logsDirectory ? *logsDirectory : defaultLogsDirectory()) {
    if (defaultFileProtectionLevel && isProtectionClass(*defaultFileProtectionLevel)) {
        defaultFileProtectionLevel_ = defaultFileProtectionLevel;
    }
}

std::string DDLogFileManagerDefault::defaultLogsDirectory() {
    return foundation::path::appending(foundation::Paths::cachesDirectory(), "Logs");
}

const std::string& DDLogFileManagerDefault::applicationName() {
    static const std::string name = [] {
        std::string identifier = foundation::Bundle::main().bundleIdentifier();
        if (!identifier.empty()) return identifier;
        return std::string(program_invocation_short_name ? program_invocation_short_name : "");
    }();
    return name;
}

bool DDLogFileManagerDefault::applicationDeclaresBackgroundModes() {
    const foundation::Value modes = foundation::Bundle::main().objectForInfoDictionaryKey("UIBackgroundModes");
    if (!modes.isArray()) return false;
    const foundation::Array list = modes.asArray();
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].isString() && !list[i].asString().empty()) return true;
    }
    return false;
}

std::string DDLogFileManagerDefault::logsDirectory() {
    std::error_code error;
    if (!std::filesystem::is_directory(logsDirectory_, error)) {
        std::filesystem::create_directories(logsDirectory_, error);
        if (error) {
            reportToConsole("DDFileLogManagerDefault: Error creating logsDirectory: " + error.message());
        }
    }
    return logsDirectory_;
}

bool DDLogFileManagerDefault::isLogFile(const std::string& fileName) const {
    const std::string& app = applicationName();
    const std::string suffix = ".log";
    if (fileName.size() < app.size() + suffix.size()) return false;
    if (fileName.compare(0, app.size(), app) != 0) return false;
    if (fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    const std::string middle = fileName.substr(app.size(), fileName.size() - app.size() - suffix.size());
    if (middle.size() < 17) return false;
    const std::vector<std::string> pieces = splitAtBlanks(middle);
    if (pieces.size() != 3 && pieces.size() != 4) return false;
    return parseLogFileDate(pieces[1] + " " + pieces[2]).has_value();
}

std::string DDLogFileManagerDefault::newLogFileName() const {
    return applicationName() + " " + formatLogFileDate(foundation::Date::now()) + ".log";
}

std::string DDLogFileManagerDefault::createNewLogFile() {
    const std::string fileName = newLogFileName();
    const std::string folder = logsDirectory();
    const std::string extension = foundation::path::extension(fileName);
    const std::string stem = foundation::path::deletingExtension(fileName);

    std::string protection;
    if (defaultFileProtectionLevel_) {
        protection = *defaultFileProtectionLevel_;
    } else {
        protection = applicationDeclaresBackgroundModes() ? kFileProtectionCompleteUntilFirstUserAuthentication
                                                          : kFileProtectionCompleteUnlessOpen;
    }

    for (unsigned attempt = 1; attempt <= kMaximumNameAttempts; ++attempt) {
        std::string name = fileName;
        if (attempt > 1) {
            name = stem + " " + std::to_string(attempt);
            if (!extension.empty()) name = foundation::path::appendingExtension(name, extension);
        }
        const std::string path = foundation::path::appending(folder, name);
        foundation::FileDescriptor file = foundation::FileDescriptor::open(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (!file) {
            if (errno == EEXIST) continue;
            // Another failure (a missing or read-only folder, no space) would
            // fail for every name as well.
            throw std::system_error(errno, std::generic_category(), "Cannot create log file " + path);
        }
        // The class is advisory here; a file system without user attributes
        // still gets its log file.
        ::fsetxattr(file.get(), ("user." + std::string(kProtectionAttributeName)).c_str(), protection.data(),
                    protection.size(), 0);
        file.reset();
        deleteOldLogFiles();
        return path;
    }
    throw std::system_error(EEXIST, std::generic_category(),
                            "No free log file name after " + std::to_string(kMaximumNameAttempts) + " attempts");
}

void DDLogFileManagerDefault::deleteOldLogFiles() {
    const uint64_t keep = maximumNumberOfLogFiles();
    if (keep == 0) return;
    LogFileInfos infos = sortedLogFileInfos();
    size_t first = 0;
    if (!infos.empty() && !infos.front()->isArchived()) first = 1;  // the file being written
    for (size_t i = first; i < infos.size(); ++i) {
        if (i - first < keep) continue;
        ::unlink(infos[i]->filePath().c_str());
    }
}

std::vector<std::string> DDLogFileManagerDefault::unsortedLogFilePaths() {
    const std::string folder = logsDirectory();
    std::vector<std::string> paths;
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) return paths;
    while (dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (isLogFile(name)) paths.push_back(foundation::path::appending(folder, name));
    }
    ::closedir(listing);
    return paths;
}

std::vector<std::string> DDLogFileManagerDefault::unsortedLogFileNames() {
    std::vector<std::string> names;
    for (const auto& path : unsortedLogFilePaths()) names.push_back(foundation::path::lastComponent(path));
    return names;
}

LogFileInfos DDLogFileManagerDefault::unsortedLogFileInfos() {
    LogFileInfos infos;
    for (const auto& path : unsortedLogFilePaths()) infos.push_back(DDLogFileInfo::logFileWithPath(path));
    return infos;
}

LogFileInfos DDLogFileManagerDefault::sortedLogFileInfos() {
    LogFileInfos infos = unsortedLogFileInfos();
    // Files made within one clock tick share a birth time; the later attempt
    // number ("... 3.log" after "... 2.log") is the newer file then.
    std::stable_sort(infos.begin(), infos.end(), [](const auto& a, const auto& b) {
        if (DDLogFileInfo::reverseCompareByCreationDate(*a, *b)) return true;
        if (DDLogFileInfo::reverseCompareByCreationDate(*b, *a)) return false;
        return attemptNumber(a->fileName()) > attemptNumber(b->fileName());
    });
    return infos;
}

std::vector<std::string> DDLogFileManagerDefault::sortedLogFilePaths() {
    std::vector<std::string> paths;
    for (const auto& info : sortedLogFileInfos()) paths.push_back(info->filePath());
    return paths;
}

std::vector<std::string> DDLogFileManagerDefault::sortedLogFileNames() {
    std::vector<std::string> names;
    for (const auto& info : sortedLogFileInfos()) names.push_back(info->fileName());
    return names;
}

void DDLogFileManagerDefault::setMaximumNumberOfLogFiles(uint64_t count) {
    const uint64_t previous = maximumNumberOfLogFiles_.exchange(count);
    if (previous == count) return;
    std::weak_ptr<DDLogFileManagerDefault> weak = weak_from_this();
    DDLog::asyncInOrder([weak] {
        if (auto self = weak.lock()) self->deleteOldLogFiles();
    });
}

}  // namespace logging
