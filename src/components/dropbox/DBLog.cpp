#include "components/dropbox/DBLog.h"

#include <cstdio>

namespace {

constexpr DBLogLevel kMinimumLevel = DBLogLevel::Warning;

const char* levelName(DBLogLevel level) {
    switch (level) {
        case DBLogLevel::Info:
            return "INFO";
        case DBLogLevel::Analytics:
            return "ANALYTICS";
        case DBLogLevel::Warning:
            return "WARNING";
        case DBLogLevel::Error:
            return "ERROR";
        case DBLogLevel::Fatal:
            return "FATAL";
    }
    return "";
}

}  // namespace

std::string DBLogLine(DBLogLevel level, const std::string& text) {
    if (static_cast<int>(level) < static_cast<int>(kMinimumLevel)) return {};
    return "[" + std::string(levelName(level)) + "] " + text;
}

void DBLog(DBLogLevel level, const std::string& text) {
    std::string line = DBLogLine(level, text);
    if (!line.empty()) std::fprintf(stderr, "%s\n", line.c_str());
}
