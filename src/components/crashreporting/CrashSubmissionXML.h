#pragma once

// The document a crash report is posted as:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <crashes><crash>
//     <applicationname/> <bundleidentifier/> <systemversion/> <platform/>
//     <senderversion/> <version/> <userid/> <contact/> <description/>
//     <log><![CDATA[ the crash log ]]></log>
//   </crash></crashes>
//
// Every text is made safe for XML: bytes that are not UTF-8, and characters
// XML 1.0 forbids (most control characters), become U+FFFD, so that any
// exception text still yields a document the server can parse.

#include <string>
#include <string_view>

namespace crashreporting {

struct CrashSubmission {
    std::string applicationName;
    std::string bundleIdentifier;
    std::string systemVersion;  // of the system the crash happened on
    std::string platform;       // machine
    std::string senderVersion;  // of the application sending the report now
    std::string version;        // of the application that crashed
    std::string userID;
    std::string contact;
    std::string description;
    std::string log;
};

std::string crashSubmissionXML(const CrashSubmission& submission);

// Helpers, public for their tests.
std::string xmlSafeText(std::string_view text);       // valid UTF-8 of XML characters only
std::string xmlEscaped(std::string_view text);        // element content
std::string xmlCharacterData(std::string_view text);  // a CDATA section holding the text

}  // namespace crashreporting
