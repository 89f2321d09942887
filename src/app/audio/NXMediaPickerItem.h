#pragma once

// One sound file in the application's audio picker: a recording, a shared
// file, a theme tune or a sound effect.

#include "platform/media/Asset.h"

#include <memory>
#include <optional>
#include <string>

class NXMediaPickerItem {
public:
    // None for an empty path. Without a title, the file name without its
    // extension; either way the title is then looked up in the string tables
    // (the resources' file names show translated).
    static std::shared_ptr<NXMediaPickerItem> create(const std::string& URL,
                                                     std::optional<std::string> title = std::nullopt);

    // True for the rows of the recordings list.
    bool isRecord = false;
    // The file's path.
    std::string URL;
    std::string title;
    // The file's headers; none when it cannot be read as media.
    std::optional<media::Asset> asset;

    // "0:59", "1:01", "1:02:05" of the file's length (0:00 without one).
    std::string getDuration() const;
    double durationSeconds() const;
};

using NXMediaPickerItemPtr = std::shared_ptr<NXMediaPickerItem>;
