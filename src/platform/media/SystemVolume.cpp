#include "platform/media/SystemVolume.h"

#include "platform/foundation/NotificationCenter.h"

#include <algorithm>

namespace media {

SystemVolume& SystemVolume::shared() {
    static SystemVolume volume;
    return volume;
}

void SystemVolume::setVolume(float volume) {
    volume_ = std::clamp(volume, 0.0f, 1.0f);
    foundation::NotificationCenter::defaultCenter().post(kDidChangeNotification, nullptr,
                                                         {{kVolumeParameterKey, foundation::Value(volume_)}});
}

void SystemVolume::stepVolume(int steps) { setVolume(volume_ + static_cast<float>(steps) * kStep); }

}  // namespace media
