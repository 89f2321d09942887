#include "platform/net/ResponseHead.h"

#include <stdexcept>

namespace net {

namespace {

std::string_view trimmed(std::string_view text) {
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos) return {};
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

}  // namespace

ResponseHeadLine readResponseHeadLine(std::string_view line, HTTPHeaders& headers) {
    if (line.starts_with("HTTP/")) return ResponseHeadLine::StatusLine;
    // Obsolete folded continuation lines are dropped, not glued on: RFC 9112
    // allows either, and nothing we talk to folds.
    if (line.starts_with(" ") || line.starts_with("\t")) return ResponseHeadLine::Ignored;
    size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return trimmed(line).empty() ? ResponseHeadLine::EndOfHead : ResponseHeadLine::Ignored;
    try {
        headers.add(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
    } catch (const std::invalid_argument&) {
        return ResponseHeadLine::Ignored;
    }
    return ResponseHeadLine::Field;
}

}  // namespace net
