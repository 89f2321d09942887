#pragma once

// Text to HTML-safe text with character entity references, and back. Both
// directions work on UTF-16 code units, one unit at a time: a character
// outside the basic plane is two units and, escaped as numbers, two
// references. The UTF-8 forms convert at the edges; a unit that cannot stand
// in UTF-8 (a surrogate without its partner, as "&#55357;" unescapes to)
// becomes U+FFFD there, and so does invalid UTF-8 on the way in.

#include "components/google/HTMLEntityTables.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace GTMNSStringHTMLAdditions {

// Escapes with the special-characters table; every other unit stays.
std::u16string gtm_stringByEscapingForHTML(std::u16string_view string);
std::string gtm_stringByEscapingForHTML(std::string_view string);

// Escapes with the full table and writes every other unit of 128 or more as
// "&#N;", so the result is plain ASCII.
std::u16string gtm_stringByEscapingForAsciiHTML(std::u16string_view string);
std::string gtm_stringByEscapingForAsciiHTML(std::string_view string);

// Replaces named references of the full table and numeric references of 1 to
// 65534 (decimal, or hexadecimal after "x" or "X") by their unit. Candidates
// run from an "&" to the first ";" before the next "&" and are 4 to 10
// characters long; anything else stays as written. Replacement runs from the
// end towards the start, so no replacement makes a new reference out of the
// text before it ("&amp;lt;" becomes "&lt;").
std::u16string gtm_stringByUnescapingFromHTML(std::u16string_view string);
std::string gtm_stringByUnescapingFromHTML(std::string_view string);

// The common worker: `table` sorted by code, `ofSize` its size in bytes;
// with `escapingUnicode`, units of 128 and more that the table lacks become
// decimal references.
std::u16string gtm_stringByEscapingHTMLUsingTable(std::u16string_view string, const HTMLEscapeMap* table, size_t ofSize,
                                                  bool escapingUnicode);

// UTF-8 and UTF-16 conversions with U+FFFD for what cannot be converted.
std::u16string utf16FromUtf8(std::string_view utf8);
std::string utf8FromUtf16(std::u16string_view utf16);

}  // namespace GTMNSStringHTMLAdditions
