#pragma once

// The file logger's line: "yyyy/MM/dd HH:mm:ss:SSS  text" in the local
// time zone.

#include "components/support/logging/DDLogger.h"

#include <functional>
#include <string>

namespace logging {

class DDLogFileFormatterDefault : public DDLogFormatter {
public:
    using DateFormatter = std::function<std::string(foundation::Date)>;

    // No date formatter means "yyyy/MM/dd HH:mm:ss:SSS" in the local zone.
    explicit DDLogFileFormatterDefault(DateFormatter dateFormatter = {});

    std::shared_ptr<const std::string> formatLogMessage(const DDLogMessage& message) override;

    static std::string defaultDateText(foundation::Date date);

private:
    DateFormatter dateFormatter_;
};

}  // namespace logging
