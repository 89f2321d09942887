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

}  // namespace codec

bool isBinary(const Bytes& data) { return codec::isBinary(data.data(), data.size()); }

Result<Value> parse(const Bytes& data) {
    if (isBinary(data)) return codec::parseBinary(data.data(), data.size());
    return codec::parseXml(data.data(), data.size());
}

Result<Bytes> serialize(const Value& value, Format format) {
    return format == Format::Binary ? codec::serializeBinary(value) : codec::serializeXml(value);
}

Result<Value> readFile(const std::string& path) {
    auto bytes = foundation::readFile(path);
    if (!bytes.ok()) return bytes.error();
    return parseFileContents(path, *bytes);
}

Result<Value> parseFileContents(const std::string& path, const Bytes& data) {
    auto value = parse(data);
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
