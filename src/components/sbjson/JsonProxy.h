#pragma once

#include "platform/foundation/Value.h"

#include <memory>

namespace sbjson {

using foundation::Value;

// Something that is not itself a JSON value but can stand in for one: the
// writer asks it for a substitute and writes that in its place.
//
// The writer finds a proxy only when the Value holds exactly a
// std::shared_ptr<JsonProxy>; wrap() makes such a Value from any subclass.
class JsonProxy {
public:
    virtual ~JsonProxy() = default;
    virtual Value proxyForJson() const = 0;

    static Value wrap(std::shared_ptr<JsonProxy> proxy) { return Value::object(std::move(proxy)); }
};

}  // namespace sbjson
