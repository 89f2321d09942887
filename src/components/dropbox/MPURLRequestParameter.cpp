#include "components/dropbox/MPURLRequestParameter.h"

#include "components/dropbox/MPURLEscapingAdditions.h"

#include <algorithm>
#include <cstdio>

using MPURLEscapingAdditions::stringByAddingURIPercentEscapes;

std::string MPURLRequestParameter::URLEncodedParameterString() const {
    return stringByAddingURIPercentEscapes(name_) + "=" + stringByAddingURIPercentEscapes(value_);
}

int MPURLRequestParameter::compare(const MPURLRequestParameter& other) const {
    if (int byName = stringByAddingURIPercentEscapes(name_).compare(stringByAddingURIPercentEscapes(other.name_)))
        return byName < 0 ? -1 : 1;
    int byValue = stringByAddingURIPercentEscapes(value_).compare(stringByAddingURIPercentEscapes(other.value_));
    return byValue < 0 ? -1 : byValue > 0 ? 1 : 0;
}

std::string MPURLRequestParameter::description() const {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return "<MPURLRequestParameter: " + std::string(address) + " " + URLEncodedParameterString() + ">";
}

std::vector<MPURLRequestParameter> MPURLRequestParameter::parametersFromString(std::string_view query) {
    std::vector<MPURLRequestParameter> parameters;
    size_t at = 0;
    while (at < query.size()) {
        size_t end = query.find('&', at);
        if (end == std::string_view::npos) end = query.size();
        std::string_view part = query.substr(at, end - at);
        size_t equals = part.find('=');
        std::string name(part.substr(0, equals));
        std::string value = equals == std::string_view::npos
                                ? std::string()
                                : MPURLEscapingAdditions::stringByRemovingPercentEscapes(part.substr(equals + 1));
        if (!part.empty()) parameters.emplace_back(std::move(name), std::move(value));
        at = end + 1;
    }
    return parameters;
}

std::vector<MPURLRequestParameter> MPURLRequestParameter::parametersFromDictionary(
    const std::map<std::string, std::string>& entries) {
    std::vector<MPURLRequestParameter> parameters;
    for (const auto& [name, value] : entries) parameters.emplace_back(name, value);
    return parameters;
}

std::map<std::string, std::string> MPURLRequestParameter::parameterDictionaryFromString(std::string_view query) {
    std::map<std::string, std::string> entries;
    for (auto& parameter : parametersFromString(query)) entries[parameter.name()] = parameter.value();
    return entries;
}

std::string MPURLRequestParameter::parameterStringForParameters(const std::vector<MPURLRequestParameter>& parameters) {
    std::string text;
    for (const auto& parameter : parameters) {
        if (!text.empty()) text += '&';
        text += parameter.URLEncodedParameterString();
    }
    return text;
}

std::string MPURLRequestParameter::parameterStringForDictionary(const std::map<std::string, std::string>& entries) {
    return parameterStringForParameters(parametersFromDictionary(entries));
}

void MPURLRequestParameter::sortParameters(std::vector<MPURLRequestParameter>& parameters) {
    // Each parameter is escaped once, not at every comparison.
    struct Keyed {
        std::string name, value;
        MPURLRequestParameter parameter;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(parameters.size());
    for (auto& parameter : parameters)
        keyed.push_back({stringByAddingURIPercentEscapes(parameter.name()),
                         stringByAddingURIPercentEscapes(parameter.value()), std::move(parameter)});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        int byName = a.name.compare(b.name);
        return byName != 0 ? byName < 0 : a.value < b.value;
    });
    for (size_t i = 0; i < keyed.size(); ++i) parameters[i] = std::move(keyed[i].parameter);
}
