#include "components/gpuimage/GPUImagePipelineConfiguration.h"

#include <regex>

namespace gpuimage {

using foundation::Error;
using foundation::Value;

namespace {

// The type word, the first value and the value after the last comma.
const std::regex& attributePattern() {
    static const std::regex pattern(R"((float|CGPoint|NSString)\((.*?)(?:,\s*(.*?))*\))");
    return pattern;
}

// A number read as a string's float value: blanks skipped, stops at the
// first character that does not fit, 0 when nothing does.
double floatValue(const std::string& text) { return static_cast<float>(Value(text).asDouble()); }

Error parsingError() { return Error{kGPUImageFilterPipelineErrorDomain, 1, kGPUImagePipelineParsingErrorText}; }

}  // namespace

std::optional<GPUImageTypedAttribute> parseAttributeString(const std::string& text) {
    std::smatch match;
    if (!std::regex_search(text, match, attributePattern())) return std::nullopt;
    GPUImageTypedAttribute attribute;
    attribute.typeWord = match[1].str();
    const std::string first = match[2].str();
    const std::string last = match[3].matched ? match[3].str() : std::string();
    if (attribute.typeWord == "float")
        attribute.value = floatValue(first);
    else if (attribute.typeWord == "CGPoint")
        attribute.value = graphics::Point{floatValue(first), floatValue(last)};
    else
        attribute.value = first;
    return attribute;
}

foundation::Result<GPUImagePipelineConfiguration> readPipelineConfiguration(const foundation::Dictionary& configuration,
                                                                            const GPUImageFilterRegistry& registry) {
    const Value& filterList = configuration["Filters"];
    if (!filterList.isArray()) return parsingError();
    GPUImagePipelineConfiguration result;
    result.filters.reserve(filterList.asArray().size());
    for (const Value& entryValue : filterList.asArray()) {
        if (!entryValue.isDictionary()) return parsingError();
        const foundation::Dictionary entry = entryValue.asDictionary();
        const std::string className = entry["FilterName"].asString();
        std::shared_ptr<GPUImageOutput> filter = registry.make(className);
        if (!filter) return parsingError();
        const Value& attributes = entry["Attributes"];
        if (!attributes.isNull() && !attributes.isDictionary()) return parsingError();
        for (const auto& [selector, value] : attributes.asDictionary()) {
            const auto operation = registry.operation(className, selector);
            if (!operation) return parsingError();
            if (selector.empty() || selector.back() != ':') {
                // No argument: the value is not read.
                if (operation->kind != GPUImageAttributeKind::None) return parsingError();
                operation->invoke(*filter, std::monostate{});
                continue;
            }
            GPUImageAttributeArgument argument;
            if (value.isString()) {
                auto typed = parseAttributeString(value.asString());
                if (!typed) return parsingError();
                if (typed->typeWord == "NSString") result.stringValue = std::get<std::string>(typed->value);
                argument = std::move(typed->value);
            } else if (value.isArray()) {
                std::vector<GPUImageAttributeElement> elements;
                for (const Value& element : value.asArray()) {
                    auto typed = element.isString() ? parseAttributeString(element.asString()) : std::nullopt;
                    if (!typed) return parsingError();
                    if (auto* number = std::get_if<double>(&typed->value))
                        elements.emplace_back(*number);
                    else if (auto* point = std::get_if<graphics::Point>(&typed->value))
                        elements.emplace_back(*point);
                    else
                        result.stringValue = std::get<std::string>(typed->value);
                }
                argument = std::move(elements);
            } else {
                return parsingError();
            }
            if (attributeKindOf(argument) != operation->kind) return parsingError();
            operation->invoke(*filter, argument);
        }
        result.filters.push_back(std::move(filter));
    }
    return result;
}

}  // namespace gpuimage
