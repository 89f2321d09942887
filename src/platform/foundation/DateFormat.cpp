#include "platform/foundation/DateFormat.h"

#include <cstdlib>
#include <memory>
#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/udisplaycontext.h>
#include <unicode/unistr.h>

namespace foundation {

namespace {

// ICU keeps dates as milliseconds since 1970.
UDate toUDate(Date date) { return date.unixTime() * 1000.0; }
Date fromUDate(UDate date) { return Date::fromUnixTime(date / 1000.0); }

// The zone TZ names now. ICU caches its default zone on first use, so it is
// asked afresh each time: tests and users that change TZ see the change.
icu::TimeZone* currentTimeZone() { return icu::TimeZone::detectHostTimeZone(); }

// The locale of dates: LC_ALL, LC_TIME, LANG ("de_DE.UTF-8" → de_DE).
icu::Locale currentLocale() {
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        std::string name(value);
        size_t cut = name.find_first_of(".@");
        if (cut != std::string::npos) name.resize(cut);
        if (name == "C" || name == "POSIX") return icu::Locale("en_US_POSIX");
        return icu::Locale(name.c_str());
    }
    return icu::Locale("en_US_POSIX");
}

std::unique_ptr<icu::SimpleDateFormat> fixedFormatter(std::string_view pattern) {
    UErrorCode status = U_ZERO_ERROR;
    auto formatter = std::make_unique<icu::SimpleDateFormat>(
        icu::UnicodeString::fromUTF8(icu::StringPiece(pattern.data(), static_cast<int32_t>(pattern.size()))),
        icu::Locale("en_US_POSIX"), status);
    if (U_FAILURE(status)) return nullptr;
    formatter->adoptTimeZone(currentTimeZone());
    return formatter;
}

std::string utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

}  // namespace

std::string formatDate(Date date, std::string_view pattern) {
    auto formatter = fixedFormatter(pattern);
    if (!formatter) return {};
    icu::UnicodeString text;
    formatter->format(toUDate(date), text);
    return utf8(text);
}

std::optional<Date> parseDate(std::string_view text, std::string_view pattern) {
    auto formatter = fixedFormatter(pattern);
    if (!formatter) return std::nullopt;
    formatter->setLenient(false);
    icu::UnicodeString input =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    icu::ParsePosition position(0);
    UDate parsed = formatter->parse(input, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) return std::nullopt;
    return fromUDate(parsed);
}

std::string formatRelativeMediumDate(Date date) {
    std::unique_ptr<icu::DateFormat> formatter(
        icu::DateFormat::createDateInstance(icu::DateFormat::kMediumRelative, currentLocale()));
    if (!formatter) return {};
    formatter->adoptTimeZone(currentTimeZone());
    // "Today" rather than "today": the text starts a label on screen.
    UErrorCode status = U_ZERO_ERROR;
    formatter->setContext(UDISPCTX_CAPITALIZATION_FOR_BEGINNING_OF_SENTENCE, status);
    icu::UnicodeString text;
    formatter->format(toUDate(date), text);
    return utf8(text);
}

}  // namespace foundation
