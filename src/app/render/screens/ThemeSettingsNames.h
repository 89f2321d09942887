#pragma once

// The notifications of the movie-settings sheet, its pickers and the outline
// editor, and the metadata keys the pickers write that no other part of the
// application names (the theme, the movie effect, the outline: see
// OutlineTexts.h and ProjectDataWrapper.h).

#include "app/core/MovieSettingsNotifications.h"

namespace themesettings {

// Posted with the sheet or the outline editor as object: close the sheet.
inline constexpr const char* kThemeDoneNotification = "ThemeDoneNotification";
// Posted by the outline editor when it shows: scroll to the credits card.
inline constexpr const char* kThemeShowCreditsNotification = "ThemeShowCreditsNotification";
// Posted after an outline save, with the card edited last (0 title, 1 credits).
inline constexpr const char* kOutlineHasChangedNotification = "OutlineHasChangedNotification";
inline constexpr const char* kOutlineLastCardUsedKey = "OUTLINE_LAST_CARD_USED";
// Posted by the theme picker with a std::shared_ptr<KWThemeItem> under kThemeKey.
inline constexpr const char* kThemeDidChangeNotification = "ThemeDidChangeNotification";
inline constexpr const char* kThemeKey = "THEME";
// Shared with the preview pane and the theme renderer, which do not depend
// on these screens: defined in MovieSettingsNotifications.h.
inline constexpr const char* kThemeRenderingFinishedNotification = ::kThemeRenderingFinishedNotification;
inline constexpr const char* kFadeInOutDidChangeNotification = "FadeInOutDidChangeNotification";
inline constexpr const char* kForegroundDidChangeNotification = ::kForegroundDidChangeNotification;
inline constexpr const char* kMovieEffectDidChangeNotification = "MovieEffectDidChangeNotification";
inline constexpr const char* kMaskDidChangeNotification = ::kMaskDidChangeNotification;

inline constexpr const char* kFadeInKey = "META_RECORD_THEME_FADE_IN";
inline constexpr const char* kFadeOutKey = "META_RECORD_THEME_FADE_OUT";
inline constexpr const char* kForegroundKey = "META_RECORD_FOREGROUND";
inline constexpr const char* kMaskKey = "META_RECORD_ASPECT_RATIO_MASK";
inline constexpr const char* kMaskFormatKey = "META_RECORD_ASPECT_RATIO_MASK_FORMAT";
// The project file of the chosen foreground overlay.
inline constexpr const char* kForegroundFile = "foreground.png";

}  // namespace themesettings
