#pragma once

// Percent escaping as OAuth 1.0 needs it (RFC 3986 over UTF-8) and the URL
// helpers the signing code shares. URLs are absolute address texts.

#include "components/dropbox/MPURLRequestParameter.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace MPURLEscapingAdditions {

// Keeps letters, digits, "-", ".", "_" and "~"; every other byte of the
// UTF-8 text becomes "%XX" (upper-case hexadecimal).
std::string stringByAddingURIPercentEscapes(std::string_view text);
// Every byte of `text` that is neither an ASCII letter or digit nor one of
// `alsoKept` as "%XX" (upper-case hexadecimal).
std::string percentEscaped(std::string_view text, std::string_view alsoKept);
// The inverse for UTF-8 text: "%XX" sequences become their bytes; a text
// with a broken escape is taken as it is.
std::string stringByRemovingPercentEscapes(std::string_view text);
// Four "."-separated parts of one to three digits, each 0 to 255: a part of
// 255 is an address too (192.168.1.255, 255.255.255.255), so a host of that
// form matches a domain only as the same address, never by its ending.
bool isIPAddress(std::string_view text);

}  // namespace MPURLEscapingAdditions

namespace MPURLParameterAdditions {

// The address cut before its first "?".
std::string urlByRemovingQuery(const std::string& url);
// The query after the first "?" (without a fragment), empty when there is none.
std::string queryOf(const std::string& url);
// The host of an absolute address in lower case; empty when it has none.
std::string hostOf(const std::string& url);
// The existing query's parameters followed by `parameters`.
std::string urlByAddingParameters(const std::string& url, const std::vector<MPURLRequestParameter>& parameters);
// `entries` overlaid by the existing query's entries (those win); the
// address itself when both are empty.
std::string urlByAddingParameterDictionary(const std::string& url, const std::map<std::string, std::string>& entries);
// The address with "/" appended when it has neither path nor query.
std::string absoluteNormalizedString(const std::string& url);
// True when the host is the domain, or lies below it at a "." boundary
// ("www.example.com" matches "example.com" and ".example.com";
// "badexample.com" matches neither). IP addresses match only themselves.
bool domainMatches(const std::string& url, std::string_view domain);

}  // namespace MPURLParameterAdditions
