#include "app/painter/PainterLayer.h"

#include "app/core/FileUtil.h"
#include "app/core/PaintFiles.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Localized.h"

#include <algorithm>
#include <cctype>
#include <cmath>

foundation::Error layerFileShapeError(const std::string& why) {
    return foundation::Error(foundation::kCocoaErrorDomain, foundation::kCoderReadCorruptError, why);
}

PainterLayer::PainterLayer() : name(foundation::localized("Layer")), UUID(FileUtil::createUUID()) {}

foundation::Dictionary PainterLayer::encode() const {
    return foundation::Dictionary{{paintfiles::kLayerIDKey, UUID},
                                  {"name", name},
                                  {"enabled", isEnabled},
                                  {"obacity", obacity},
                                  {"type", foundation::Value::integer(type)}};
}

void PainterLayer::setType(int64_t value) {
    type = value;
    const bool editable = value != kTypeFixed;
    canEdit = editable;
    canDeleted = editable;
    canStored = editable;
}

foundation::Result<PainterLayerPtr> PainterLayer::initWithDict(const foundation::Value& value) {
    if (!value.isDictionary()) return layerFileShapeError("A layer is not a dictionary.");
    const foundation::Dictionary dictionary = value.asDictionary();
    auto layer = std::make_shared<PainterLayer>();
    if (const auto& uuid = dictionary.get(paintfiles::kLayerIDKey); !uuid.isNull()) {
        if (!uuid.isString() || !isSafeLayerIdentifier(uuid.asString()))
            return layerFileShapeError("A layer's identifier cannot name a file.");
        layer->UUID = uuid.asString();
    }
    const auto& name = dictionary.get("name");
    if (!name.isNull() && !name.isString()) return layerFileShapeError("A layer's name is not a string.");
    layer->name = name.isString() ? name.asString() : std::string();
    const auto& enabled = dictionary.get("enabled");
    if (!enabled.isNull() && !enabled.isNumber()) return layerFileShapeError("A layer's visibility is not a number.");
    layer->isEnabled = enabled.asBool(false);
    const auto& opacity = dictionary.get("obacity");
    if (!opacity.isNull() && (!opacity.isNumber() || !std::isfinite(opacity.asDouble())))
        return layerFileShapeError("A layer's opacity is not a finite number.");
    layer->obacity = static_cast<float>(std::clamp(opacity.asDouble(0.0), 0.0, 1.0));
    const auto& type = dictionary.get("type");
    if (!type.isNull() && !(type.isInteger() || type.isBool()))
        return layerFileShapeError("A layer's type is not an integer.");
    layer->setType(type.asInt(0));
    return layer;
}

bool isSafeLayerIdentifier(const std::string& identifier) {
    if (identifier.empty() || identifier.size() > 64) return false;
    for (char c : identifier)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-')) return false;
    return true;
}
