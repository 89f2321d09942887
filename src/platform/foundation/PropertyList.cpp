#include "platform/foundation/PropertyList.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyListCodecs.h"

namespace foundation::plist {

namespace codec {

Error readError(const std::string& detail) {
    return Error(kCocoaErrorDomain, kReadCorruptError,
                 "The data couldn't be read because it isn't in the correct format. (" + detail + ")");
}

Error writeError(const std::string& detail) {
    return Error(kCocoaErrorDomain, kWriteInvalidError, "The property list could not be written: " + detail);
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length;
        uint32_t codePoint;
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            codePoint = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            codePoint = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            codePoint = c & 0x07;
        } else {
            return false;
        }
        if (end - p < length) return false;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (p[i] & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < kSmallest[length] || codePoint > 0x10FFFF) return false;
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return false;
        p += length;
    }
    return true;
}

}  // namespace codec

Result<Value> parse(const Bytes& data) {
    if (codec::isBinary(data.data(), data.size())) return codec::parseBinary(data.data(), data.size());
    return codec::parseXml(data.data(), data.size());
}

Result<Bytes> serialize(const Value& value, Format format) {
    return format == Format::Binary ? codec::serializeBinary(value) : codec::serializeXml(value);
}

Result<Value> readFile(const std::string& path) {
    auto bytes = foundation::readFile(path);
    if (!bytes.ok()) return bytes.error();
    auto value = parse(*bytes);
    if (value.ok()) return value;
    return Error(kCocoaErrorDomain, kReadCorruptError,
                 "The file \"" + path + "\" couldn't be opened because it isn't in the correct format.",
                 std::make_shared<const Error>(value.error()));
}

Status writeFile(const Value& value, const std::string& path, Format format) {
    auto bytes = serialize(value, format);
    if (!bytes.ok()) return bytes.error();
    return writeFileAtomically(path, *bytes);
}

}  // namespace foundation::plist
