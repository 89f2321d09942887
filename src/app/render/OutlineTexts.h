#pragma once

// The texts of a movie's title and credits cards: the outline form's rows
// (section headers, row labels, metadata keys, placeholders) and the default
// outline of a project that has none yet. The outline editor shows the form;
// the card renderer fills templates with a stored or the default outline.

#include "app/core/ProjectModel.h"
#include "platform/foundation/Value.h"

#include <string>
#include <vector>

namespace outlinekeys {
// The outline dictionary in the project's metadata, and its eight keys.
inline constexpr const char* kOutlineData = "META_RECORD_OUTLINE_DATA";
inline constexpr const char* kMovieName = "META_RECORD_OUTLINE_MOVIE_NAME";
inline constexpr const char* kStar = "META_RECORD_OUTLINE_STAR";
inline constexpr const char* kStudio = "META_RECORD_OUTLINE_STUDIO";
inline constexpr const char* kMusicBy = "META_RECORD_OUTLINE_MUSIC_BY";
inline constexpr const char* kEditedBy = "META_RECORD_OUTLINE_EDITED_BY";
inline constexpr const char* kWrittenBy = "META_RECORD_OUTLINE_WRITTEN_BY";
inline constexpr const char* kProducedBy = "META_RECORD_OUTLINE_PRODUCED_BY";
inline constexpr const char* kDirectedBy = "META_RECORD_OUTLINE_DIRECTED_BY";
// The project's theme number (0 no theme).
inline constexpr const char* kTheme = "META_RECORD_THEME";
}  // namespace outlinekeys

struct OutlineRow {
    const char* label;        // English, shown localized
    const char* key;          // in the outline dictionary
    const char* placeholder;  // English
    bool localizedPlaceholder;
};

struct OutlineSection {
    const char* header;  // English, shown localized
    std::vector<OutlineRow> rows;
};

// The form's four sections in order.
const std::vector<OutlineSection>& outlineSections();

// A row's placeholder as shown: localized where the form says so.
std::string outlinePlaceholder(const OutlineRow& row);

// The movie name when the project has none (localized).
inline constexpr const char* kDefaultMovieName = "My Stop Ziruru Movie";

// Every key mapped to its placeholder, except the movie name, which is the
// project's "RecordName", or the default movie name when that is missing or
// empty. A new dictionary.
foundation::Dictionary placeholderOutline(ProjectModel& project);
