#pragma once

// The clip editor's waveform pictures, kept as PNG files in the caches
// folder so each file's sound is read only once. Pictures are kept per
// project folder ("audio-1.m4a" of one project is not the same sound as that
// of another) and each remembers the size and modification time of the file
// it was drawn from: a file replaced under the same name is drawn again.
//
// Any thread; writes go through the atomic writer.

#include "platform/foundation/Error.h"
#include "platform/graphics/Image.h"

#include <optional>
#include <string>

namespace waveformcache {

// "<caches>/wavecache/<project folder>-<hash of its path>/<file name>.wavecache".
std::string pathForClip(const std::string& projectPath, const std::string& fileName);
// What identifies the audio file's content: its size and modification
// time; none when it cannot be read.
std::optional<std::string> stampOfFile(const std::string& audioPath);
// The picture when one was stored for exactly this audio file.
std::optional<graphics::Image> load(const std::string& cachePath, const std::string& audioPath);
foundation::Status store(const std::string& cachePath, const std::string& audioPath, const graphics::Image& image);

}  // namespace waveformcache
