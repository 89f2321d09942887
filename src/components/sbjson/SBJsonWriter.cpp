#include "components/sbjson/SBJsonWriter.h"

#include "components/sbjson/JsonProxy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <vector>

namespace sbjson {

using namespace foundation;

namespace {

const JsonProxy* proxyOf(const Value& value) {
    const auto* proxy = value.objectAs<std::shared_ptr<JsonProxy>>();
    return proxy ? proxy->get() : nullptr;
}

bool needsEscaping(unsigned char ch) { return ch < 32 || ch == '"' || ch == '\\'; }

// The readable name of a native object's C++ type.
std::string demangledTypeName(const std::any& object) {
    const char* mangled = object.type().name();
    int status = 0;
    char* readable = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 && readable ? readable : mangled;
    std::free(readable);
    return name;
}

// The class name the "not supported" error shows for a value JSON cannot hold.
std::string unsupportedClassName(const Value& value) {
    switch (value.type()) {
        case Value::Type::Data:
            return "Data";
        case Value::Type::Date:
            return "Date";
        case Value::Type::Uid:
            return "UID";
        case Value::Type::Object:
            return demangledTypeName(*value.asObject());
        default:
            return value.typeName();
    }
}

// The quoted string; only the quotation mark, the backslash and control
// characters are escaped, so slashes and non-ASCII text stay readable.
void appendJsonString(std::string& json, std::string_view text) {
    json += '"';
    if (std::none_of(text.begin(), text.end(), [](char ch) { return needsEscaping(static_cast<unsigned char>(ch)); })) {
        json.append(text);
    } else {
        for (char ch : text) {
            auto byte = static_cast<unsigned char>(ch);
            switch (byte) {
                case '"':
                    json += "\\\"";
                    break;
                case '\\':
                    json += "\\\\";
                    break;
                case '\b':
                    json += "\\b";
                    break;
                case '\t':
                    json += "\\t";
                    break;
                case '\n':
                    json += "\\n";
                    break;
                case '\f':
                    json += "\\f";
                    break;
                case '\r':
                    json += "\\r";
                    break;
                default:
                    if (byte < 32) {
                        char escape[8];
                        std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                        json += escape;
                    } else {
                        json += ch;
                    }
            }
        }
    }
    json += '"';
}

}  // namespace

std::optional<std::string> SBJsonWriter::stringWithObject(const Value& value) {
    if (value.isDictionary() || value.isArray()) return stringWithFragment(value);

    // Follow proxies until one gives a container. The number of steps is
    // bounded so a proxy that answers itself cannot loop forever.
    Value candidate = value;
    for (uint64_t step = 0; step < kHardDepthLimit; ++step) {
        const JsonProxy* proxy = proxyOf(candidate);
        if (!proxy) break;
        candidate = proxy->proxyForJson();
        if (candidate.isDictionary() || candidate.isArray()) {
            if (std::optional<std::string> json = stringWithFragment(candidate)) return json;
            break;
        }
    }
    clearErrorTrace();
    addErrorWithCode(4, "Not valid type for JSON");
    return std::nullopt;
}

std::optional<std::string> SBJsonWriter::stringWithFragment(const Value& value) {
    clearErrorTrace();
    resetDepth();
    proxyNesting_ = 0;
    std::string json;
    json.reserve(128);
    if (!appendValue(value, json)) return std::nullopt;
    return json;
}

bool SBJsonWriter::appendValue(const Value& value, std::string& json) {
    switch (value.type()) {
        case Value::Type::Dictionary:
            return appendDictionary(value.asDictionary(), json);
        case Value::Type::Array:
            return appendArray(value.asArray(), json);
        case Value::Type::String:
            appendJsonString(json, value.asString());
            return true;
        case Value::Type::Boolean:
        case Value::Type::Integer:
        case Value::Type::Real:
            return appendNumber(value, json);
        case Value::Type::Null:
            json += "null";
            return true;
        case Value::Type::Object:
            if (proxyOf(value)) return appendProxied(value, json);
            break;
        default:
            break;
    }
    addErrorWithCode(1, "JSON serialisation not supported for " + unsupportedClassName(value));
    return false;
}

bool SBJsonWriter::appendProxied(const Value& value, std::string& json) {
    if (++proxyNesting_ > kHardDepthLimit) {
        addErrorWithCode(7, "Nested too deep");
        return false;
    }
    bool written = appendValue(proxyOf(value)->proxyForJson(), json);
    --proxyNesting_;
    return written;
}

bool SBJsonWriter::appendNumber(const Value& number, std::string& json) {
    if (number.numberType() == Value::kTypeBool) {
        json += number.asBool() ? "true" : "false";
        return true;
    }
    if (number.isDecimal()) {
        json += number.decimalText();
        return true;
    }
    if (number.isReal() && !std::isfinite(number.asDouble())) {
        // JSON has no spelling for these; writing "nan" or "inf" would make
        // text that no reader accepts.
        addErrorWithCode(1, "JSON serialisation not supported for non-finite number " + number.numberDescription());
        return false;
    }
    json += number.numberDescription();
    return true;
}

bool SBJsonWriter::appendArray(const Array& array, std::string& json) {
    if (!raiseDepth()) return false;
    json += '[';
    bool first = true;
    for (const Value& element : array) {
        if (!first) json += ',';
        first = false;
        if (humanReadable_) appendIndent(json);
        if (!appendValue(element, json)) return false;
    }
    lowerDepth();
    if (humanReadable_ && !array.empty()) appendIndent(json);
    json += ']';
    return true;
}

bool SBJsonWriter::appendDictionary(const Dictionary& dictionary, std::string& json) {
    if (!raiseDepth()) return false;
    std::vector<const Dictionary::Entry*> entries;
    entries.reserve(dictionary.size());
    for (const Dictionary::Entry& entry : dictionary) entries.push_back(&entry);
    if (sortKeys_) {
        // Byte order of UTF-8 is code point order.
        std::sort(entries.begin(), entries.end(),
                  [](const Dictionary::Entry* a, const Dictionary::Entry* b) { return a->first < b->first; });
    }
    const char* separator = humanReadable_ ? " : " : ":";
    json += '{';
    bool first = true;
    for (const Dictionary::Entry* entry : entries) {
        if (!first) json += ',';
        first = false;
        if (humanReadable_) appendIndent(json);
        // Keys of our dictionaries are always strings, so the "key must be
        // string" failure of the format cannot arise here.
        appendJsonString(json, entry->first);
        json += separator;
        if (!appendValue(entry->second, json)) {
            addErrorWithCode(1, "Unsupported value for key " + entry->first + " in object");
            return false;
        }
    }
    lowerDepth();
    if (humanReadable_ && !dictionary.empty()) appendIndent(json);
    json += '}';
    return true;
}

void SBJsonWriter::appendIndent(std::string& json) const {
    json += '\n';
    json.append(2 * depth(), ' ');
}

}  // namespace sbjson
