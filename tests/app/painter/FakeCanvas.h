#pragma once

// A canvas without GL for layer tests: its "strokes" are plain bytes, and its
// picture is a square of one colour taken from the first byte (transparent
// while there are no strokes).

#include "app/painter/PaintingCanvasView.h"

#include <string>

class FakeCanvas : public PaintingCanvasView {
public:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 36;

    foundation::Bytes strokes;
    int erases = 0;

    static foundation::Bytes bytes(const std::string& text) { return foundation::Bytes(text.begin(), text.end()); }
    // The colour a buffer starting with `first` is shown in.
    static graphics::RGBA colourFor(uint8_t first) {
        return graphics::RGBA{first, static_cast<uint8_t>(255 - first), 40, 255};
    }

    void erase() override {
        strokes.clear();
        ++erases;
    }
    std::optional<graphics::Image> createImage() override {
        if (strokes.empty()) return graphics::Image::filled(kWidth, kHeight, graphics::RGBA{0, 0, 0, 0});
        return graphics::Image::filled(kWidth, kHeight, colourFor(strokes.front()));
    }
    std::optional<foundation::Bytes> getBufferData() override {
        if (strokes.empty()) return std::nullopt;
        return strokes;
    }
    foundation::Status loadBufferData(const foundation::Bytes& data) override {
        if (data.size() >= 3 && std::string(data.begin(), data.begin() + 3) == "BAD")
            return foundation::Error(foundation::kCocoaErrorDomain, 4864, "damaged strokes");
        strokes = data;
        return foundation::Status::success();
    }
};
