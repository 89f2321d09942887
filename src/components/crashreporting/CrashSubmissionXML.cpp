#include "components/crashreporting/CrashSubmissionXML.h"

#include "platform/foundation/Utf8.h"

#include <cstdint>

namespace crashreporting {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool isXmlCharacter(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

void element(std::string& out, std::string_view name, std::string_view value) {
    out += "<";
    out += name;
    if (value.empty()) {
        out += "/>";
        return;
    }
    out += ">";
    out += xmlEscaped(value);
    out += "</";
    out += name;
    out += ">";
}

}  // namespace

std::string xmlSafeText(std::string_view text) {
    std::string safe;
    safe.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        uint32_t codePoint = 0;
        size_t length = foundation::decodeUtf8(text, i, codePoint);
        if (length == 0) {
            safe += kReplacement;
            ++i;
            continue;
        }
        if (isXmlCharacter(codePoint))
            safe.append(text.substr(i, length));
        else
            safe += kReplacement;
        i += length;
    }
    return safe;
}

std::string xmlEscaped(std::string_view text) {
    std::string escaped;
    for (char c : xmlSafeText(text)) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string xmlCharacterData(std::string_view text) {
    // A CDATA section cannot hold its own end marker; "]]>" is split across
    // two sections, which a parser joins back into the same text.
    std::string safe = xmlSafeText(text);
    std::string out = "<![CDATA[";
    size_t start = 0;
    for (size_t found; (found = safe.find("]]>", start)) != std::string::npos; start = found + 2) {
        out.append(safe, start, found + 2 - start);
        out += "]]><![CDATA[";
    }
    out.append(safe, start, std::string::npos);
    out += "]]>";
    return out;
}

std::string crashSubmissionXML(const CrashSubmission& submission) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<crashes><crash>";
    element(xml, "applicationname", submission.applicationName);
    element(xml, "bundleidentifier", submission.bundleIdentifier);
    element(xml, "systemversion", submission.systemVersion);
    element(xml, "platform", submission.platform);
    element(xml, "senderversion", submission.senderVersion);
    element(xml, "version", submission.version);
    element(xml, "userid", submission.userID);
    element(xml, "contact", submission.contact);
    element(xml, "description", submission.description);
    xml += "<log>" + xmlCharacterData(submission.log) + "</log>";
    xml += "</crash></crashes>\n";
    return xml;
}

}  // namespace crashreporting
