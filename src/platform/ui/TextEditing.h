#pragma once

// What text fields and text views share: ranges of their UTF-8 text and
// caret movement by whole user-perceived characters, so a caret never
// stops inside an accented letter or an emoji.

#include <cstddef>
#include <string>

namespace ui {

// A range of a text in bytes of its UTF-8 form, so a delegate can apply an
// edit with std::string::replace(location, length, replacement).
struct TextRange {
    size_t location = 0;
    size_t length = 0;
    bool operator==(const TextRange&) const = default;
};

// The character boundary before (after) an offset; 0 (the size) at the ends.
size_t previousCharacterBoundary(const std::string& text, size_t offset);
size_t nextCharacterBoundary(const std::string& text, size_t offset);

// Drops the line breaks that a single-line field cannot hold.
std::string withoutLineBreaks(const std::string& text);

}  // namespace ui
