#pragma once

// The notifications of the movie-settings sheet, its pickers and the outline
// editor, and the names the pickers use for the metadata keys they write (the
// theme and the outline keys are in OutlineTexts.h, the others in
// ProjectDataWrapper.h).

#include "app/core/MovieSettingsNotifications.h"
#include "app/core/ProjectDataWrapper.h"

namespace themesettings {

// Posted with the sheet or the outline editor as object: close the sheet.
inline constexpr const char* kThemeDoneNotification = "ThemeDoneNotification";
// Posted by the outline editor when it shows and when a credits field starts
// being edited: scroll to the credits card.
inline constexpr const char* kThemeShowCreditsNotification = "ThemeShowCreditsNotification";
// Posted by the outline editor when the movie name starts being edited:
// scroll to the title card, which shows it.
inline constexpr const char* kThemeShowTitleNotification = "ThemeShowTitleNotification";
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

// Metadata the pickers write; the preview pane and the picture producers
// read it too, so the keys are defined with the project's other keys.
inline constexpr const char* kFadeInKey = projectkeys::kThemeFadeIn;
inline constexpr const char* kFadeOutKey = projectkeys::kThemeFadeOut;
inline constexpr const char* kForegroundKey = projectkeys::kForeground;
inline constexpr const char* kMaskKey = projectkeys::kAspectRatioMask;
inline constexpr const char* kMaskFormatKey = projectkeys::kAspectRatioMaskFormat;
// The project file of the chosen foreground overlay.
inline constexpr const char* kForegroundFile = projectkeys::kForegroundFile;

}  // namespace themesettings
