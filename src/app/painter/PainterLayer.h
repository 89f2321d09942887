#pragma once

// One layer of the painter's stack: a flat picture while another layer is
// being painted, and its strokes as the keyed-archive bytes of the canvas.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>

namespace ui {
class ImageView;
}

class PainterLayer {
public:
    // Layers of this type may not be edited, deleted or stored.
    static constexpr int64_t kTypeFixed = 2;

    // A new layer named by the localized "Layer" with a fresh identifier.
    PainterLayer();

    bool isEnabled = true;
    bool canDeleted = true;
    bool canEdit = true;
    bool canStored = true;
    float obacity = 1.0f;
    std::optional<foundation::Bytes> bufferData;
    // Its picture or stroke file is there but could not be read or decoded:
    // kept as it is, never written over or removed by a save.
    bool unreadablePicture = false;
    bool unreadableStrokes = false;
    std::shared_ptr<ui::ImageView> viewImage;
    std::string name;
    std::string UUID;
    int64_t type = 0;

    // The dictionary form stored in a layer information file.
    foundation::Dictionary encode() const;
    // Reads the dictionary form. Each key may be absent (NO, 0.0 or 0, and a
    // fresh identifier for "UUID"); a value of the wrong type, an opacity that
    // is not finite, or an identifier that cannot name a file is an error,
    // since the identifier becomes part of file names.
    static foundation::Result<std::shared_ptr<PainterLayer>> initWithDict(const foundation::Value& dictionary);
    void setType(int64_t value);
};

using PainterLayerPtr = std::shared_ptr<PainterLayer>;

// The error of a layer information file of the wrong shape.
foundation::Error layerFileShapeError(const std::string& why);

// Identifiers that may stand in a file name: letters, digits and '-', 1 to 64.
bool isSafeLayerIdentifier(const std::string& identifier);
