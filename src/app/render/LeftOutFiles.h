#pragma once

// What an export could not read and went on without: a frame's picture
// (the movie, GIF or picture folder shows the stand-in picture there), a
// frame's sound (silence where it would play), or a file of the project
// folder that is no regular file (not packed into the archive). The export
// still ends as finished; its finish message names these, so that a
// "Saved" never hides a hole in what was saved.
//
// Filled from the render's threads; read once the export has ended.

#include "app/core/ExpandedFrames.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

class LeftOutFiles {
public:
    // How many are named in the text; the rest are counted.
    static constexpr size_t kMostNamed = 10;

    // Each is kept once, however often it was met.
    void addPicture(const Frame* frame, const std::string& fileName);
    void addSound(const Frame* frame, const std::string& fileName);
    void addFile(const std::string& pathInProject);

    bool empty() const;
    void clear();

    // One sentence for the user, with frames numbered by their place in
    // `frames` (from 1): "These files could not be read and were left out:
    // the picture of frame 3 (“frame-….jpg”), the sound of frame 5
    // (“voice.m4a”) and “notes”." None when nothing was left out.
    std::optional<std::string> text(const ExpandedFrames& frames) const;

private:
    enum class Kind { Picture, Sound, File };
    using Item = std::tuple<Kind, const Frame*, std::string>;
    void add(Item item);

    mutable std::mutex mutex_;
    std::vector<Item> items_;  // in the order they were met
    std::set<Item> seen_;
};
