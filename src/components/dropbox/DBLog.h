#pragma once

// The Dropbox client's leveled console log. Lines below the minimum level
// (warning) are dropped; the rest go to standard error as "[LEVEL] text".
// Texts never carry tokens, secrets or the queries that hold them.

#include <string>

enum class DBLogLevel { Info = 0, Analytics = 1, Warning = 2, Error = 3, Fatal = 4 };

void DBLog(DBLogLevel level, const std::string& text);
inline void DBLogInfo(const std::string& text) { DBLog(DBLogLevel::Info, text); }
inline void DBLogWarning(const std::string& text) { DBLog(DBLogLevel::Warning, text); }
inline void DBLogError(const std::string& text) { DBLog(DBLogLevel::Error, text); }
// The line DBLog writes for `level`, or empty when the level is dropped.
std::string DBLogLine(DBLogLevel level, const std::string& text);
