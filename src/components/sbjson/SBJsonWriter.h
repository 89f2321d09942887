#pragma once

#include "components/sbjson/SBJsonBase.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>

namespace sbjson {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

// Writes Values as JSON text, compact or indented, keys in the dictionary's
// own order or sorted. Booleans (number type 'c') become true and false,
// other numbers their plain decimal text (a parsed decimal keeps its
// literal), null becomes null, and a JsonProxy is written as its substitute.
// Data, dates, archive UIDs, other native objects and numbers that are not
// finite are refused. A missing result means failure; see errorTrace().
class SBJsonWriter : public SBJsonBase {
public:
    // Only a dictionary or an array (directly or through proxies) is accepted.
    std::optional<std::string> stringWithObject(const Value& value);
    // Any value JSON can hold.
    std::optional<std::string> stringWithFragment(const Value& value);

    bool sortKeys() const { return sortKeys_; }
    void setSortKeys(bool sortKeys) { sortKeys_ = sortKeys; }
    bool humanReadable() const { return humanReadable_; }
    void setHumanReadable(bool humanReadable) { humanReadable_ = humanReadable; }

private:
    bool appendValue(const Value& value, std::string& json);
    bool appendArray(const Array& array, std::string& json);
    bool appendDictionary(const Dictionary& dictionary, std::string& json);
    bool appendNumber(const Value& number, std::string& json);
    bool appendProxied(const Value& value, std::string& json);
    void appendIndent(std::string& json) const;

    bool sortKeys_ = false;
    bool humanReadable_ = false;
    // Proxies standing in for proxies nest without raising the depth; this
    // bounds that chain.
    uint64_t proxyNesting_ = 0;
};

}  // namespace sbjson
