#pragma once

// One entry of the theme card chooser, and the chooser's list.

#include <cstdint>
#include <string>
#include <vector>

struct ThemeCardItem {
    int32_t frameType = 0;  // Frame::kTypePicture or Frame::kTypeThemeTextCard
    int32_t themeID = 0;
    std::string bgImagePath;     // "theme_bg_%.2d.jpg": the new frame's picture
    std::string thumbImagePath;  // "theme_%.2d": shown in the list

    static ThemeCardItem make(int32_t frameType, int32_t themeID);

    // 29 entries: picture cards 50-64, text cards 20-24, text cards 1-9.
    static std::vector<ThemeCardItem> allItems();
};
