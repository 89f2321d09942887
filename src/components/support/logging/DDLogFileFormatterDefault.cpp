#include "components/support/logging/DDLogFileFormatterDefault.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace logging {

DDLogFileFormatterDefault::DDLogFileFormatterDefault(DateFormatter dateFormatter)
    : dateFormatter_(dateFormatter ? std::move(dateFormatter) : DateFormatter(defaultDateText)) {}

std::string DDLogFileFormatterDefault::defaultDateText(foundation::Date date) {
    const double unix = date.unixTime();
    const double whole = std::floor(unix);
    const time_t seconds = static_cast<time_t>(whole);
    tm parts{};
    localtime_r(&seconds, &parts);
    const int milliseconds = static_cast<int>((unix - whole) * 1000);
    char text[96];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d:%03d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, milliseconds);
    return text;
}

std::shared_ptr<const std::string> DDLogFileFormatterDefault::formatLogMessage(const DDLogMessage& message) {
    return std::make_shared<const std::string>(dateFormatter_(message.timestamp()) + "  " + message.logMsg());
}

}  // namespace logging
