#pragma once

// One name-and-value parameter of an OAuth request, with the form encoding,
// parsing and order that signing needs.

#include <map>
#include <string>
#include <string_view>
#include <vector>

class MPURLRequestParameter {
public:
    MPURLRequestParameter() = default;
    MPURLRequestParameter(std::string name, std::string value) : name_(std::move(name)), value_(std::move(value)) {}

    const std::string& name() const { return name_; }
    const std::string& value() const { return value_; }
    void setName(std::string name) { name_ = std::move(name); }
    void setValue(std::string value) { value_ = std::move(value); }

    // "name=value", both percent-escaped.
    std::string URLEncodedParameterString() const;
    // Orders by the encoded name, then the encoded value, byte by byte: the
    // order the signature base string needs (RFC 5849 3.4.1.3.2), so a name
    // such as "c@" ("c%40") sorts before "c2".
    int compare(const MPURLRequestParameter& other) const;
    bool operator<(const MPURLRequestParameter& other) const { return compare(other) < 0; }
    bool operator==(const MPURLRequestParameter& other) const = default;
    std::string description() const;

    // "a=1&b=2" → parameters in order; values are percent-unescaped, names
    // taken as they are; a part without "=" gives an empty value.
    static std::vector<MPURLRequestParameter> parametersFromString(std::string_view query);
    static std::vector<MPURLRequestParameter> parametersFromDictionary(
        const std::map<std::string, std::string>& entries);
    // As parametersFromString, a later name replacing an earlier one.
    static std::map<std::string, std::string> parameterDictionaryFromString(std::string_view query);
    static std::string parameterStringForParameters(const std::vector<MPURLRequestParameter>& parameters);
    static std::string parameterStringForDictionary(const std::map<std::string, std::string>& entries);
    static void sortParameters(std::vector<MPURLRequestParameter>& parameters);

private:
    std::string name_;
    std::string value_;
};
