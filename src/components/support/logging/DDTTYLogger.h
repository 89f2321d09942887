#pragma once

// Writes each message as one line to standard error with one gathering
// write, optionally coloured per flag, per context or per tag.

#include "components/support/logging/DDAbstractLogger.h"
#include "components/support/logging/TTYColors.h"

#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <sys/uio.h>
#include <unordered_map>
#include <vector>

namespace logging {

// Stands for every context in the colour profiles.
inline constexpr int kAllContexts = INT_MAX;

class DDTTYLoggerColorProfile {
public:
    // Null when an escape sequence cannot be made.
    static std::optional<DDTTYLoggerColorProfile> make(TTYColorMode mode, std::optional<TTYColor> foreground,
                                                       std::optional<TTYColor> background, int mask, int context);

    int mask = 0;
    int context = 0;
    uint8_t fg_r = 0, fg_g = 0, fg_b = 0;
    uint8_t bg_r = 0, bg_g = 0, bg_b = 0;
    size_t fgCodeIndex = 0;
    std::string fgCodeRaw;
    size_t bgCodeIndex = 0;
    std::string bgCodeRaw;
    // Escape sequences written before (foreground, background) and after
    // (reset) a line; empty for none.
    std::string fgCode;
    std::string bgCode;
    std::string resetCode;

    std::string description() const;
};

class DDTTYLogger : public DDAbstractLogger {
public:
    // One gathering write; returns what writev(2) would.
    using GatherWrite = std::function<ssize_t(const iovec* pieces, int count)>;

    // The colour mode is read from XcodeColors and TERM when the shared
    // instance is first asked for.
    static std::shared_ptr<DDTTYLogger> sharedInstance();
    // Null once the shared instance exists. Without a writer, lines go to
    // file descriptor 2.
    static std::shared_ptr<DDTTYLogger> create(TTYColorMode mode = TTYColorMode::None, GatherWrite writer = {});

    DDTTYLogger(TTYColorMode mode, GatherWrite writer);

    void loadDefaultColorProfiles();
    bool colorsEnabled() const;
    void setColorsEnabled(bool enabled);

    void setForegroundColor(std::optional<TTYColor> fg, std::optional<TTYColor> bg, int mask,
                            int context = kAllContexts);
    void setForegroundColorForTag(std::optional<TTYColor> fg, std::optional<TTYColor> bg, const std::string& tag);
    // Context 0, kept as callers know it: it does not clear the every-context
    // profile that setForegroundColor makes without a context.
    void clearColorsForFlag(int mask) { clearColorsForFlag(mask, 0); }
    void clearColorsForFlag(int mask, int context);
    void clearColorsForTag(const std::string& tag);
    void clearColorsForAllFlags();
    void clearColorsForAllTags();
    void clearAllColors();

    void logMessage(const DDLogMessage& message) override;

    // The profiles as they stand (read on the logger queue).
    std::vector<DDTTYLoggerColorProfile> colorProfiles() const;

private:
    const DDTTYLoggerColorProfile* profileFor(const DDLogMessage& message) const;
    void writeLine(std::vector<iovec>& pieces);

    TTYColorMode mode_;
    GatherWrite writer_;
    std::string appName_;
    std::string processID_;
    bool colorsEnabled_ = false;
    std::vector<DDTTYLoggerColorProfile> colorProfilesArray_;
    std::unordered_map<std::string, DDTTYLoggerColorProfile> colorProfilesDict_;
};

}  // namespace logging
