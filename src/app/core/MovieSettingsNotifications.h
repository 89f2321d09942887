#pragma once

// Notifications about a project's movie settings that pass between screens
// which do not depend on each other: the movie-settings pickers post, the
// preview pane and the theme settings observe, the theme renderer posts.

// Posted by the foreground picker after a new overlay was chosen.
inline constexpr const char* kForegroundDidChangeNotification = "NotificationDidChangeForeground";
// Posted by the mask picker after a new aspect-ratio mask was chosen.
inline constexpr const char* kMaskDidChangeNotification = "NotificationDidChangeMask";
// Posted when the theme cards were rendered (or could not be).
inline constexpr const char* kThemeRenderingFinishedNotification = "ThemeRenderingFinishedNotification";
