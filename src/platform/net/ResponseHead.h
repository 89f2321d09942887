#pragma once

// The head of an HTTP response, read line by line as the transfer hands the
// lines over (each with its line break).

#include "platform/net/HTTPHeaders.h"

#include <string_view>

namespace net {

enum class ResponseHeadLine {
    StatusLine,  // "HTTP/...": a new response begins (an interim or a proxy's came before)
    Field,       // added to the headers
    EndOfHead,   // the blank line before the body
    Ignored,     // a folded continuation, a line without a colon, or a field whose name is no token
};

// Reads one line of a response head; a field's trimmed name and value are
// added to `headers`. A malformed field is dropped: the rest of the answer
// still counts.
ResponseHeadLine readResponseHeadLine(std::string_view line, HTTPHeaders& headers);

}  // namespace net
