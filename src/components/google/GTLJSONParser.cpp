#include "components/google/GTLJSONParser.h"

#include "components/sbjson/SBJSON.h"

namespace google::GTLJSONParser {

std::optional<std::string> stringWithObject(const Value& object, bool humanReadable, Error* error) {
    if (object.isNull()) return std::nullopt;
    sbjson::SBJSON codec;
    codec.setHumanReadable(humanReadable);
    return codec.stringWithObject(object, error);
}

std::optional<Bytes> dataWithObject(const Value& object, bool humanReadable, Error* error) {
    std::optional<std::string> text = stringWithObject(object, humanReadable, error);
    if (!text) return std::nullopt;
    return Bytes(text->begin(), text->end());
}

std::optional<Value> objectWithString(std::string_view text, Error* error) {
    sbjson::SBJSON codec;
    return codec.objectWithString(text, error);
}

std::optional<Value> objectWithData(const Bytes& data, Error* error) {
    return objectWithString(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), error);
}

}  // namespace google::GTLJSONParser
