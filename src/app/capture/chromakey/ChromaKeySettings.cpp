#include "app/capture/chromakey/ChromaKeySettings.h"

#include "app/core/FileUtil.h"

#include <cmath>

namespace chromakeysettings {

Restored restoreConfiguration(const DataManager& settings) {
    Restored restored;
    const foundation::Value stored = settings.objectForKey(kConfigurationKey);
    if (!stored.isDictionary()) return restored;
    const foundation::Dictionary configuration = stored.asDictionary();
    if (const foundation::Value& color = configuration.get(kColorKey); color.isDictionary())
        restored.color = FileUtil::getColorFromDictonary(color);
    if (const foundation::Value& threshold = configuration.get(kThresholdKey);
        threshold.isNumber() && std::isfinite(threshold.asDouble()))
        restored.thresholdSensitivity = static_cast<float>(threshold.asDouble());
    return restored;
}

void saveConfiguration(DataManager& settings, const graphics::Color& color, float thresholdSensitivity) {
    foundation::Dictionary configuration{
        {kColorKey, FileUtil::getDictionaryFromUIColor(color)},
        {kThresholdKey, foundation::Value::real(thresholdSensitivity, foundation::Value::kTypeFloat)},
    };
    settings.setValue(std::move(configuration), kConfigurationKey);
}

}  // namespace chromakeysettings
