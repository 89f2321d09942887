#include "components/support/logging/DDLogFileInfo.h"

#include "components/support/logging/LogConsole.h"
#include "platform/foundation/Paths.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace logging {

namespace {

std::string systemName(const std::string& name) { return "user." + name; }

foundation::Date dateOf(const statx_timestamp& t) {
    return foundation::Date::fromUnixTime(static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9);
}

std::string dateText(const std::optional<foundation::Date>& date) {
    if (!date) return "";
    const time_t seconds = static_cast<time_t>(std::floor(date->unixTime()));
    tm parts{};
    gmtime_r(&seconds, &parts);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &parts);
    return text;
}

}  // namespace

std::string formatLogFileDate(foundation::Date date) {
    const time_t seconds = static_cast<time_t>(std::floor(date.unixTime()));
    tm parts{};
    gmtime_r(&seconds, &parts);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                  parts.tm_hour, parts.tm_min);
    return text;
}

std::optional<foundation::Date> parseLogFileDate(const std::string& text) {
    // yyyy-MM-dd HH-mm, digits exactly where the pattern has them.
    static const char shape[] = "dddd-dd-dd dd-dd";
    if (text.size() != sizeof shape - 1) return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (shape[i] == 'd' ? !digit : text[i] != shape[i]) return std::nullopt;
    }
    tm parts{};
    parts.tm_year = std::stoi(text.substr(0, 4)) - 1900;
    parts.tm_mon = std::stoi(text.substr(5, 2)) - 1;
    parts.tm_mday = std::stoi(text.substr(8, 2));
    parts.tm_hour = std::stoi(text.substr(11, 2));
    parts.tm_min = std::stoi(text.substr(14, 2));
    const tm asked = parts;
    const time_t seconds = timegm(&parts);
    // timegm normalises 2026-02-30 into March: such a text is no date.
    if (parts.tm_mon != asked.tm_mon || parts.tm_mday != asked.tm_mday || parts.tm_hour != asked.tm_hour ||
        parts.tm_min != asked.tm_min) {
        return std::nullopt;
    }
    return foundation::Date::fromUnixTime(static_cast<double>(seconds));
}

std::optional<foundation::Date> dateInLogFileName(const std::string& name) {
    const std::string suffix = ".log";
    if (name.size() < suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return std::nullopt;
    }
    std::string stem = name.substr(0, name.size() - suffix.size());
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (stem.size() >= 16) {
            if (auto date = parseLogFileDate(stem.substr(stem.size() - 16))) return date;
        }
        // Without the attempt number (" 2").
        const size_t blank = stem.rfind(' ');
        if (blank == std::string::npos) break;
        stem.resize(blank);
    }
    return std::nullopt;
}

std::shared_ptr<DDLogFileInfo> DDLogFileInfo::logFileWithPath(std::string path) {
    return std::make_shared<DDLogFileInfo>(std::move(path));
}

DDLogFileInfo::DDLogFileInfo(std::string path) : filePath_(std::move(path)) {}

const std::string& DDLogFileInfo::fileName() {
    if (!fileName_) fileName_ = foundation::path::lastComponent(filePath_);
    return *fileName_;
}

const std::optional<LogFileAttributes>& DDLogFileInfo::fileAttributes() {
    if (attributesRead_) return fileAttributes_;
    attributesRead_ = true;
    struct statx facts {};
    if (statx(AT_FDCWD, filePath_.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &facts) != 0) return fileAttributes_;
    LogFileAttributes attributes;
    attributes.modificationDate = dateOf(facts.stx_mtime);
    attributes.fileSize = facts.stx_size;
    if ((facts.stx_mask & STATX_BTIME) && (facts.stx_btime.tv_sec != 0 || facts.stx_btime.tv_nsec != 0)) {
        attributes.creationDate = dateOf(facts.stx_btime);
    } else if (auto named = dateInLogFileName(fileName())) {
        attributes.creationDate = *named;
    } else {
        attributes.creationDate = attributes.modificationDate;
    }
    fileAttributes_ = attributes;
    return fileAttributes_;
}

std::optional<foundation::Date> DDLogFileInfo::creationDate() {
    const auto& attributes = fileAttributes();
    if (!attributes) return std::nullopt;
    return attributes->creationDate;
}

std::optional<foundation::Date> DDLogFileInfo::modificationDate() {
    const auto& attributes = fileAttributes();
    if (!attributes) return std::nullopt;
    return attributes->modificationDate;
}

uint64_t DDLogFileInfo::fileSize() {
    if (fileSize_ == 0) {
        const auto& attributes = fileAttributes();
        if (attributes) fileSize_ = attributes->fileSize;
    }
    return fileSize_;
}

double DDLogFileInfo::age(foundation::Date now) {
    const auto created = creationDate();
    return created ? now.sinceReferenceDate - created->sinceReferenceDate : 0;
}

bool DDLogFileInfo::isArchived() const { return hasExtendedAttributeWithName(kArchivedAttributeName); }

void DDLogFileInfo::setIsArchived(bool archived) {
    if (archived) {
        addExtendedAttributeWithName(kArchivedAttributeName);
    } else {
        removeExtendedAttributeWithName(kArchivedAttributeName);
    }
}

void DDLogFileInfo::reset() {
    fileName_.reset();
    attributesRead_ = false;
    fileAttributes_.reset();
}

bool DDLogFileInfo::renameFile(const std::string& newName) {
    if (newName == fileName()) return true;
    const std::string folder = foundation::path::deletingLastComponent(filePath_);
    const std::string target = foundation::path::appending(folder, newName);
    if (::access(target.c_str(), F_OK) == 0 && ::unlink(target.c_str()) != 0) {
        reportToConsole("DDLogFileInfo: Error deleting archive (" + fileName() + "): " + std::strerror(errno));
    }
    if (::rename(filePath_.c_str(), target.c_str()) != 0) {
        // The file is still where it was: keep describing it there.
        reportToConsole("DDLogFileInfo: Error renaming file (" + fileName() + "): " + std::strerror(errno));
        return false;
    }
    filePath_ = target;
    reset();
    return true;
}

bool DDLogFileInfo::hasExtendedAttributeWithName(const std::string& name) const {
    return ::getxattr(filePath_.c_str(), systemName(name).c_str(), nullptr, 0) >= 0;
}

std::optional<std::string> DDLogFileInfo::extendedAttributeValue(const std::string& name) const {
    char value[256];
    const ssize_t length = ::getxattr(filePath_.c_str(), systemName(name).c_str(), value, sizeof value);
    if (length < 0) return std::nullopt;
    return std::string(value, static_cast<size_t>(length));
}

bool DDLogFileInfo::addExtendedAttributeWithName(const std::string& name) {
    if (::setxattr(filePath_.c_str(), systemName(name).c_str(), "", 0, 0) == 0) return true;
    reportToConsole("DDLogFileInfo: setxattr(" + name + ", " + fileName() + "): error = " + std::strerror(errno));
    return false;
}

bool DDLogFileInfo::removeExtendedAttributeWithName(const std::string& name) {
    if (::removexattr(filePath_.c_str(), systemName(name).c_str()) == 0) return true;
    if (errno != ENODATA) {
        reportToConsole("DDLogFileInfo: removexattr(" + name + ", " + fileName() +
                        "): error = " + std::strerror(errno));
    }
    return false;
}

bool DDLogFileInfo::reverseCompareByCreationDate(DDLogFileInfo& a, DDLogFileInfo& b) {
    const auto first = a.creationDate().value_or(foundation::Date{});
    const auto second = b.creationDate().value_or(foundation::Date{});
    return first > second;
}

bool DDLogFileInfo::reverseCompareByModificationDate(DDLogFileInfo& a, DDLogFileInfo& b) {
    const auto first = a.modificationDate().value_or(foundation::Date{});
    const auto second = b.modificationDate().value_or(foundation::Date{});
    return first > second;
}

std::string DDLogFileInfo::description() {
    const auto& attributes = fileAttributes();
    std::string text = "{\n";
    auto entry = [&](const char* key, const std::string& value) {
        text += std::string("    ") + key + " = \"" + value + "\";\n";
    };
    entry("filePath", filePath_);
    entry("fileName", fileName());
    entry("fileAttributes", attributes ? "{size = " + std::to_string(attributes->fileSize) + "}" : "");
    entry("creationDate", dateText(creationDate()));
    entry("modificationDate", dateText(modificationDate()));
    entry("fileSize", attributes ? std::to_string(fileSize()) : "");
    entry("age", attributes ? std::to_string(age()) : "");
    entry("isArchived", isArchived() ? "1" : "0");
    return text + "}";
}

}  // namespace logging
