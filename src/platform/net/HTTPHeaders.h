#pragma once

// Header fields of a request or a response. Names compare without regard to
// case, as HTTP says; the order of first insertion is kept so that what goes
// over the wire is predictable.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace net {

class HTTPHeaders {
public:
    using Field = std::pair<std::string, std::string>;

    // The value of a field; nullopt when absent.
    std::optional<std::string> value(std::string_view name) const;
    bool contains(std::string_view name) const { return value(name).has_value(); }

    // Replaces every field of that name with one; the first one keeps its place.
    // A name or value that holds a line break or NUL would let a caller smuggle
    // extra header lines onto the wire, and so throws std::invalid_argument, as
    // does an empty or non-token name.
    void set(std::string_view name, std::string_view value);
    // Adds one more field of that name (a repeated response header joins with
    // ", " when read through value()).
    void add(std::string_view name, std::string_view value);
    void remove(std::string_view name);

    const std::vector<Field>& fields() const { return fields_; }
    bool empty() const { return fields_.empty(); }
    size_t size() const { return fields_.size(); }

    static bool namesEqual(std::string_view a, std::string_view b);

private:
    std::vector<Field> fields_;
};

}  // namespace net
