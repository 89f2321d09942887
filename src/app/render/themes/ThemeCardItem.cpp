#include "app/render/themes/ThemeCardItem.h"

#include "app/core/Frame.h"
#include "platform/foundation/Localized.h"

ThemeCardItem ThemeCardItem::make(int32_t frameType, int32_t themeID) {
    ThemeCardItem item;
    item.frameType = frameType;
    item.themeID = themeID;
    item.bgImagePath = foundation::format("theme_bg_%.2d.jpg", {int64_t(themeID)});
    item.thumbImagePath = foundation::format("theme_%.2d", {int64_t(themeID)});
    return item;
}

std::vector<ThemeCardItem> ThemeCardItem::allItems() {
    std::vector<ThemeCardItem> items;
    for (int32_t theme = 50; theme <= 64; ++theme) items.push_back(make(Frame::kTypePicture, theme));
    for (int32_t theme = 20; theme <= 24; ++theme) items.push_back(make(Frame::kTypeThemeTextCard, theme));
    for (int32_t theme = 1; theme <= 9; ++theme) items.push_back(make(Frame::kTypeThemeTextCard, theme));
    return items;
}
