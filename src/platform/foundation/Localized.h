#pragma once

// User texts: one lookup with the English text as key, and the printf-like
// formatting of the texts that carry "%@" and number placeholders.
//
// String tables are property lists of the main bundle, strings/<language>.plist
// (a dictionary from English text to translation), for the language of the
// environment (LC_ALL, LC_MESSAGES, LANG: "de_DE.UTF-8" → "de"). With no table,
// no entry or an empty entry the English text itself is the answer.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

class StringTable {
public:
    StringTable() = default;
    explicit StringTable(Dictionary entries) : entries_(std::move(entries)) {}

    // Reads a table file; a missing or malformed file is an error.
    static Result<StringTable> load(const std::string& path);

    // The translation of `key`, or `key` when there is none.
    std::string lookup(std::string_view key) const;

private:
    Dictionary entries_;
};

// The translation of an English text in the main table.
std::string localized(std::string_view english);

// The language code of the environment ("en" when it names none).
std::string currentLanguageCode();

// Drops the loaded main table so the next lookup reads it again (tests that
// change the language or the resources).
void reloadLocalizationTable();

// printf-like formatting over Values:
//   %@             the text of a string, the description of a number, else the value's description
//   %d %i %ld %lld %u %lu %zu %x %X  an integer (flags, width and precision as printf:
//                  "%.2d" of 5 is "05", "%.0ld" of 0 is "")
//   %f %.2f %g %e  a real
//   %s             the text of a string
//   %c             a character code
//   %%             a percent sign
// A missing argument formats as empty text (an integer as 0); an unknown
// conversion is copied as it stands. Positional "%1$@" forms are supported.
std::string format(std::string_view pattern, const std::vector<Value>& arguments);
inline std::string format(std::string_view pattern, std::initializer_list<Value> arguments) {
    return format(pattern, std::vector<Value>(arguments));
}

// format() over the translation of the pattern.
inline std::string localizedFormat(std::string_view pattern, std::initializer_list<Value> arguments) {
    return format(localized(pattern), std::vector<Value>(arguments));
}

}  // namespace foundation
