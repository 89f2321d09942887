#include "components/support/logging/DDTTYLogger.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <unistd.h>

namespace logging {

namespace {

constexpr char kEscape = '\x1b';

std::mutex instanceMutex;
std::shared_ptr<DDTTYLogger> instance;  // guarded by instanceMutex

ssize_t writeToStandardError(const iovec* pieces, int count) { return ::writev(STDERR_FILENO, pieces, count); }

std::string debuggerSequence(const char* side, uint8_t r, uint8_t g, uint8_t b) {
    char text[64];
    std::snprintf(text, sizeof text, "%c[%s%u,%u,%u;", kEscape, side, r, g, b);
    return std::string(text).substr(0, 23);
}

iovec piece(const std::string& text) { return iovec{const_cast<char*>(text.data()), text.size()}; }
iovec piece(const char* text, size_t length) { return iovec{const_cast<char*>(text), length}; }

}  // namespace

std::optional<DDTTYLoggerColorProfile> DDTTYLoggerColorProfile::make(TTYColorMode mode,
                                                                     std::optional<TTYColor> foreground,
                                                                     std::optional<TTYColor> background, int mask,
                                                                     int context) {
    DDTTYLoggerColorProfile p;
    p.mask = mask;
    p.context = context;
    auto bytes = [](const TTYColor& c, uint8_t& r, uint8_t& g, uint8_t& b) {
        double red, green, blue;
        getRedGreenBlue(&red, &green, &blue, c);
        r = static_cast<uint8_t>(red * 255);
        g = static_cast<uint8_t>(green * 255);
        b = static_cast<uint8_t>(blue * 255);
    };
    if (foreground) bytes(*foreground, p.fg_r, p.fg_g, p.fg_b);
    if (background) bytes(*background, p.bg_r, p.bg_g, p.bg_b);

    const TTYColorTable& table = colorTableFor(mode);
    const bool terminal = mode == TTYColorMode::Terminal16 || mode == TTYColorMode::Terminal256;
    if (terminal) {
        if (foreground) {
            p.fgCodeIndex = codeIndexForColor(table, *foreground);
            p.fgCodeRaw = table.foregroundCodes[p.fgCodeIndex];
            p.fgCode = std::string(1, kEscape) + "[" + p.fgCodeRaw;
        }
        if (background) {
            p.bgCodeIndex = codeIndexForColor(table, *background);
            p.bgCodeRaw = table.backgroundCodes[p.bgCodeIndex];
            p.bgCode = std::string(1, kEscape) + "[" + p.bgCodeRaw;
        }
        p.resetCode = std::string(1, kEscape) + "[0m";
    } else if (mode == TTYColorMode::DebuggerConsole) {
        if (foreground) p.fgCode = debuggerSequence("fg", p.fg_r, p.fg_g, p.fg_b);
        if (background) p.bgCode = debuggerSequence("bg", p.bg_r, p.bg_g, p.bg_b);
        p.resetCode = std::string(1, kEscape) + "[;";
    }
    return p;
}

std::string DDTTYLoggerColorProfile::description() const {
    char text[256];
    std::snprintf(text, sizeof text,
                  "<DDTTYLoggerColorProfile: %p mask:%i ctxt:%i fg:%u,%u,%u bg:%u,%u,%u fgCode:%s bgCode:%s>",
                  static_cast<const void*>(this), mask, context, fg_r, fg_g, fg_b, bg_r, bg_g, bg_b, fgCodeRaw.c_str(),
                  bgCodeRaw.c_str());
    return text;
}

std::shared_ptr<DDTTYLogger> DDTTYLogger::sharedInstance() {
    std::lock_guard lock(instanceMutex);
    if (!instance) {
        const TTYColorMode mode = colorModeFor(std::getenv("XcodeColors"), std::getenv("TERM"));
        instance = std::make_shared<DDTTYLogger>(mode, GatherWrite{});
    }
    return instance;
}

std::shared_ptr<DDTTYLogger> DDTTYLogger::create(TTYColorMode mode, GatherWrite writer) {
    {
        std::lock_guard lock(instanceMutex);
        if (instance) return nullptr;
    }
    return std::make_shared<DDTTYLogger>(mode, std::move(writer));
}

DDTTYLogger::DDTTYLogger(TTYColorMode mode, GatherWrite writer)
    : DDAbstractLogger("cocoa.lumberjack.ttyLogger"),
      mode_(mode),
      writer_(writer ? std::move(writer) : GatherWrite(writeToStandardError)),
      appName_(program_invocation_short_name && *program_invocation_short_name ? program_invocation_short_name
                                                                               : "<UnnamedApp>"),
      processID_(std::to_string(getpid())) {
    colorProfilesArray_.reserve(8);
}

void DDTTYLogger::loadDefaultColorProfiles() {
    setForegroundColor(TTYColor::fromBytes(214, 57, 30), std::nullopt, kLogFlagError);
    setForegroundColor(TTYColor::fromBytes(204, 121, 32), std::nullopt, kLogFlagWarning);
}

bool DDTTYLogger::colorsEnabled() const {
    bool result = false;
    readOnLoggerQueue([&] { result = colorsEnabled_; });
    return result;
}

void DDTTYLogger::setColorsEnabled(bool enabled) {
    changeOnLoggerQueue([this, enabled] {
        colorsEnabled_ = enabled;
        if (colorProfilesArray_.empty()) loadDefaultColorProfiles();
    });
}

void DDTTYLogger::setForegroundColor(std::optional<TTYColor> fg, std::optional<TTYColor> bg, int mask, int context) {
    changeOnLoggerQueue([this, fg, bg, mask, context] {
        auto profile = DDTTYLoggerColorProfile::make(mode_, fg, bg, mask, context);
        if (!profile) return;
        for (auto& existing : colorProfilesArray_) {
            if (existing.mask == mask && existing.context == context) {
                existing = *profile;
                return;
            }
        }
        colorProfilesArray_.push_back(*profile);
    });
}

void DDTTYLogger::setForegroundColorForTag(std::optional<TTYColor> fg, std::optional<TTYColor> bg,
                                           const std::string& tag) {
    changeOnLoggerQueue([this, fg, bg, tag] {
        auto profile = DDTTYLoggerColorProfile::make(mode_, fg, bg, 0, 0);
        if (profile) colorProfilesDict_.insert_or_assign(tag, *profile);
    });
}

void DDTTYLogger::clearColorsForFlag(int mask, int context) {
    changeOnLoggerQueue([this, mask, context] {
        for (auto it = colorProfilesArray_.begin(); it != colorProfilesArray_.end(); ++it) {
            if (it->mask == mask && it->context == context) {
                colorProfilesArray_.erase(it);
                return;
            }
        }
    });
}

void DDTTYLogger::clearColorsForTag(const std::string& tag) {
    changeOnLoggerQueue([this, tag] { colorProfilesDict_.erase(tag); });
}

void DDTTYLogger::clearColorsForAllFlags() {
    changeOnLoggerQueue([this] { colorProfilesArray_.clear(); });
}

void DDTTYLogger::clearColorsForAllTags() {
    changeOnLoggerQueue([this] { colorProfilesDict_.clear(); });
}

void DDTTYLogger::clearAllColors() {
    changeOnLoggerQueue([this] {
        colorProfilesArray_.clear();
        colorProfilesDict_.clear();
    });
}

std::vector<DDTTYLoggerColorProfile> DDTTYLogger::colorProfiles() const {
    std::vector<DDTTYLoggerColorProfile> result;
    readOnLoggerQueue([&] { result = colorProfilesArray_; });
    return result;
}

const DDTTYLoggerColorProfile* DDTTYLogger::profileFor(const DDLogMessage& message) const {
    if (!colorsEnabled_) return nullptr;
    if (message.tag()) {
        auto found = colorProfilesDict_.find(*message.tag());
        if (found != colorProfilesDict_.end()) return &found->second;
    }
    const DDTTYLoggerColorProfile* everyContext = nullptr;
    for (const auto& profile : colorProfilesArray_) {
        if (!(profile.mask & message.logFlag())) continue;
        if (profile.context == message.logContext()) return &profile;
        if (profile.context == kAllContexts) everyContext = &profile;
    }
    return everyContext;
}

void DDTTYLogger::logMessage(const DDLogMessage& message) {
    std::shared_ptr<const std::string> text = textFor(message);
    if (!text) return;
    const bool formatted = text != message.logMsgShared();

    static const std::string empty;
    const DDTTYLoggerColorProfile* profile = profileFor(message);
    const std::string& fg = profile ? profile->fgCode : empty;
    const std::string& bg = profile ? profile->bgCode : empty;
    const std::string& reset = profile ? profile->resetCode : empty;
    const size_t newlineLength = (!text->empty() && text->back() == '\n') ? 0 : 1;

    std::vector<iovec> pieces;
    pieces.reserve(13);
    pieces.push_back(piece(fg));
    pieces.push_back(piece(bg));
    char timestamp[128] = {};
    char threadID[16] = {};
    if (!formatted) {
        const double reference = message.timestamp().sinceReferenceDate;
        const time_t seconds = static_cast<time_t>(std::floor(message.timestamp().unixTime()));
        tm parts{};
        localtime_r(&seconds, &parts);
        const int milliseconds = static_cast<int>((reference - std::floor(reference)) * 1000);
        std::snprintf(timestamp, sizeof timestamp, "%04ld-%02ld-%02ld %02ld:%02ld:%02ld:%03d",
                      static_cast<long>(parts.tm_year + 1900), static_cast<long>(parts.tm_mon + 1),
                      static_cast<long>(parts.tm_mday), static_cast<long>(parts.tm_hour),
                      static_cast<long>(parts.tm_min), static_cast<long>(parts.tm_sec), milliseconds);
        timestamp[23] = '\0';
        std::snprintf(threadID, sizeof threadID, "%x", message.machThreadID());
        threadID[8] = '\0';
        pieces.push_back(piece(timestamp, std::strlen(timestamp)));
        pieces.push_back(piece(" ", 1));
        pieces.push_back(piece(appName_));
        pieces.push_back(piece("[", 1));
        pieces.push_back(piece(processID_));
        pieces.push_back(piece(":", 1));
        pieces.push_back(piece(threadID, std::strlen(threadID)));
        pieces.push_back(piece("] ", 2));
    }
    pieces.push_back(piece(*text));
    pieces.push_back(piece("\n", newlineLength));
    pieces.push_back(piece(reset));
    writeLine(pieces);
}

void DDTTYLogger::writeLine(std::vector<iovec>& pieces) {
    iovec* next = pieces.data();
    int left = static_cast<int>(pieces.size());
    while (left > 0) {
        const ssize_t written = writer_(next, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;  // nowhere else to report a broken console
        }
        if (written == 0) return;
        // A short write (a full pipe) goes on with the rest, in order.
        size_t done = static_cast<size_t>(written);
        while (left > 0 && done >= next->iov_len) {
            done -= next->iov_len;
            ++next;
            --left;
        }
        if (left > 0) {
            next->iov_base = static_cast<char*>(next->iov_base) + done;
            next->iov_len -= done;
        }
    }
}

}  // namespace logging
