#include "platform/net/HTTPHeaders.h"

#include <algorithm>
#include <stdexcept>

namespace net {

namespace {

bool isTokenCharacter(unsigned char c) {
    if (c <= 32 || c >= 127) return false;
    static constexpr std::string_view kSeparators = "()<>@,;:\\\"/[]?={}";
    return kSeparators.find(static_cast<char>(c)) == std::string_view::npos;
}

void validate(std::string_view name, std::string_view value) {
    if (name.empty() ||
        !std::all_of(name.begin(), name.end(), [](char c) { return isTokenCharacter(static_cast<unsigned char>(c)); }))
        throw std::invalid_argument("invalid HTTP header name: '" + std::string(name) + "'");
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        throw std::invalid_argument("HTTP header value of '" + std::string(name) + "' holds a line break");
}

}  // namespace

bool HTTPHeaders::namesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::optional<std::string> HTTPHeaders::value(std::string_view name) const {
    std::optional<std::string> joined;
    for (const auto& [fieldName, fieldValue] : fields_) {
        if (!namesEqual(fieldName, name)) continue;
        if (joined)
            *joined += ", " + fieldValue;
        else
            joined = fieldValue;
    }
    return joined;
}

void HTTPHeaders::set(std::string_view name, std::string_view value) {
    validate(name, value);
    auto first =
        std::find_if(fields_.begin(), fields_.end(), [&](const Field& f) { return namesEqual(f.first, name); });
    if (first == fields_.end()) {
        fields_.emplace_back(std::string(name), std::string(value));
        return;
    }
    first->second = std::string(value);
    fields_.erase(std::remove_if(first + 1, fields_.end(), [&](const Field& f) { return namesEqual(f.first, name); }),
                  fields_.end());
}

void HTTPHeaders::add(std::string_view name, std::string_view value) {
    validate(name, value);
    fields_.emplace_back(std::string(name), std::string(value));
}

void HTTPHeaders::remove(std::string_view name) {
    fields_.erase(
        std::remove_if(fields_.begin(), fields_.end(), [&](const Field& f) { return namesEqual(f.first, name); }),
        fields_.end());
}

}  // namespace net
