#include "app/painter/PainterSettings.h"

#include "app/core/FileUtil.h"

#include <cmath>

namespace paintersettings {

namespace {

std::optional<int64_t> wholeNumberIn(const foundation::Value& value, int64_t lowest, int64_t highest) {
    if (!value.isInteger() && !value.isReal()) return std::nullopt;
    const double number = value.asDouble();
    if (!std::isfinite(number) || number != std::floor(number) || number < double(lowest) || number > double(highest))
        return std::nullopt;
    return static_cast<int64_t>(number);
}

std::optional<std::vector<int64_t>> wholeNumbersIn(const foundation::Value& value, size_t most, int64_t lowest,
                                                   int64_t highest) {
    if (!value.isArray()) return std::nullopt;
    const foundation::Array list = value.asArray();
    if (list.empty() || list.size() > most) return std::nullopt;
    std::vector<int64_t> numbers;
    for (const foundation::Value& entry : list) {
        auto number = wholeNumberIn(entry, lowest, highest);
        if (!number) return std::nullopt;
        numbers.push_back(*number);
    }
    return numbers;
}

std::optional<graphics::Color> colourFrom(const foundation::Value& value) {
    if (!value.isDictionary()) return std::nullopt;
    const foundation::Dictionary components = value.asDictionary();
    for (const char* key : {"red", "green", "blue", "alpha"}) {
        const foundation::Value& component = components.get(key);
        if (!component.isInteger() && !component.isReal()) return std::nullopt;
        const double number = component.asDouble();
        if (!std::isfinite(number) || number < 0 || number > 1) return std::nullopt;
    }
    return FileUtil::getColorFromDictonary(value);
}

}  // namespace

Stored decode(const foundation::Value& configuration) {
    Stored stored;
    if (!configuration.isDictionary()) return stored;
    const foundation::Dictionary dictionary = configuration.asDictionary();
    stored.tool = wholeNumberIn(dictionary.get(kToolKey), 0, kColourTools);
    stored.toolColors = wholeNumbersIn(dictionary.get(kToolColorsKey), kColourTools, 0, kPaletteSlots - 1);
    // Sizes beyond the four brushes were never written; extra entries are ignored.
    const foundation::Value& sizes = dictionary.get(kToolSizesKey);
    if (sizes.isArray() && sizes.asArray().size() > size_t(kSizedBrushes)) {
        foundation::Array firstFour;
        for (size_t i = 0; i < size_t(kSizedBrushes); ++i) firstFour.push_back(sizes.asArray()[i]);
        stored.sizes = wholeNumbersIn(foundation::Value(firstFour), kSizedBrushes, 1, kLargestSize);
    } else {
        stored.sizes = wholeNumbersIn(sizes, kSizedBrushes, 1, kLargestSize);
    }
    const foundation::Value& colors = dictionary.get(kColorListKey);
    if (colors.isArray() && colors.asArray().size() == size_t(kPaletteSlots)) {
        std::vector<graphics::Color> list;
        for (const foundation::Value& entry : colors.asArray()) {
            auto colour = colourFrom(entry);
            if (!colour) break;
            list.push_back(*colour);
        }
        if (list.size() == size_t(kPaletteSlots)) stored.colors = list;
    }
    return stored;
}

foundation::Dictionary encode(int64_t tool, const std::vector<int64_t>& toolColors,
                              const std::vector<graphics::Color>& colors, const std::vector<int64_t>& sizes) {
    foundation::Array slotList;
    for (int64_t slot : toolColors) slotList.push_back(foundation::Value::integer(slot));
    foundation::Array colourList;
    for (const graphics::Color& colour : colors) colourList.push_back(FileUtil::getDictionaryFromUIColor(colour));
    foundation::Array sizeList;
    for (int64_t size : sizes) sizeList.push_back(foundation::Value::integer(size));
    return foundation::Dictionary{{kToolKey, foundation::Value::integer(tool)},
                                  {kToolColorsKey, slotList},
                                  {kColorListKey, colourList},
                                  {kToolSizesKey, sizeList}};
}

}  // namespace paintersettings
