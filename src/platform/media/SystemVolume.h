#pragma once

// The device's volume, 0..1, shared by everything that plays. Every change,
// by a volume key or by a program, is posted as the notification below with
// the new value, so a screen that resets the volume hears its own reset too.
//
// Main thread only.

namespace media {

class SystemVolume {
public:
    static constexpr const char* kDidChangeNotification = "AVSystemController_SystemVolumeDidChangeNotification";
    // The new volume (a real, 0..1) in the notification's userInfo.
    static constexpr const char* kVolumeParameterKey = "AVSystemController_AudioVolumeNotificationParameter";
    // One press of a volume key.
    static constexpr float kStep = 1.0f / 16.0f;
    static constexpr float kDefaultVolume = 0.5f;

    static SystemVolume& shared();

    float volume() const { return volume_; }
    // Clamped to 0..1; posts the notification.
    void setVolume(float volume);
    // A volume key: `steps` presses up (positive) or down; posts even at
    // either end, where the volume stays.
    void stepVolume(int steps);

    void resetForTesting() { volume_ = kDefaultVolume; }

private:
    SystemVolume() = default;
    float volume_ = kDefaultVolume;
};

}  // namespace media
