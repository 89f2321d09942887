#pragma once

// Decoding a project's stored pictures for a view of a given pixel size, off
// the main thread: the JPEG decoder itself scales down to the smallest of
// 1/1, 1/2, 1/4 or 1/8 that still covers the size, so a 4K frame shown in a
// small pane or a strip item never exists at full size in memory.

#include "app/core/ProjectModel.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <optional>
#include <string>

// The project's movie effect number ("RecordMovieFilter"), read on the main
// thread and handed to the decoding thread with the request.
int32_t movieEffectOfProject(ProjectModel& project);

// The picture at `path` decoded for pixelWidth × pixelHeight with the movie
// effect applied; the placeholder picture (with the effect) when the path is
// none or the file is missing or unreadable; a null picture when not even
// the placeholder can be read. Safe on any thread: it touches no project.
graphics::Image decodeScaledPicture(const std::optional<std::string>& path, int pixelWidth, int pixelHeight,
                                    int32_t effect);
