#pragma once

// One output a renderer can make: the title shown in the pickers, the export
// preset of its size (none for the preview, GIF, images and archive), the
// frame size in pixels, the type identifier that selects the renderer and the
// file extension (without the dot). A size of (0, 0) keeps each frame at its
// stored size; (−1, −1) matches a movie of any size in the currency test.
// Set once, read from any thread.

#include "platform/graphics/Geometry.h"

#include <optional>
#include <string>
#include <utility>

// The type identifiers the renderers write.
inline constexpr const char* kUTTypeQuickTimeMovie = "com.apple.quicktime-movie";
inline constexpr const char* kUTTypeGIF = "com.compuserve.gif";

class MovieExportType {
public:
    MovieExportType(std::string title, std::optional<std::string> preset, graphics::Size size, std::string UTI,
                    std::string extension)
        : title_(std::move(title)),
          preset_(std::move(preset)),
          size_(size),
          UTI_(std::move(UTI)),
          extension_(std::move(extension)) {}

    const std::string& title() const { return title_; }
    const std::optional<std::string>& preset() const { return preset_; }
    graphics::Size size() const { return size_; }
    const std::string& UTI() const { return UTI_; }
    const std::string& extension() const { return extension_; }

    bool operator==(const MovieExportType&) const = default;

private:
    std::string title_;
    std::optional<std::string> preset_;
    graphics::Size size_;
    std::string UTI_;
    std::string extension_;
};
