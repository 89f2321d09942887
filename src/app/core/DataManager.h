#pragma once

// The process-wide settings: the data version of the project store, the
// browser's last selection, the parental pass code and gallery switch, the
// capture screen's camera settings, and a free key/value store in which other
// screens keep their own settings.
//
// Setting a field changes memory only; saveState writes the whole object to
// ".settings.plist" in the documents folder, atomically, so a failed write
// leaves the previous file as it was. Fields are used from the main thread;
// scalars and the capture source are atomic so that a read from another
// thread is at least whole.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

class DataManager {
public:
    static inline const char* kSettingsFile = ".settings.plist";
    // The settings key of the gallery switch; the user defaults use the same
    // key for the choice made in the info center.
    static inline const char* kGalleryEnabledKey = "isYoutubeGalleryEnabled";

    // The single instance, created with the defaults on first use.
    static DataManager& sharedDataManager();
    // Makes sure the instance exists and decodes ".settings.plist" into it
    // when the file exists; an unreadable file changes nothing.
    static void loadState();
    // Encodes the instance and writes ".settings.plist" atomically; a
    // failure leaves the previous file and is reported (and logged).
    static foundation::Status saveState();

    DataManager(const DataManager&) = delete;
    DataManager& operator=(const DataManager&) = delete;

    // The dictionary saveState writes: exactly the stored keys, the optional
    // ones only when set.
    foundation::Dictionary encodeData() const;
    // Replaces each field whose key is present and of a usable type; absent
    // keys leave their field as it is.
    void decodeData(const foundation::Dictionary& data);

    // The free key/value store ("METADATA").
    foundation::Value objectForKey(std::string_view key) const;
    // A null value removes the key.
    void setValue(foundation::Value value, const std::string& forKey);

    std::optional<uint64_t> lastSelection() const { return lastSelection_; }
    void setLastSelection(std::optional<uint64_t> value) { lastSelection_ = value; }
    // Absent counts as 0.0 for the callers that compare it.
    std::optional<double> version() const { return version_; }
    void setVersion(std::optional<double> value) { version_ = value; }
    std::optional<std::string> passCode() const { return passCode_; }
    void setPassCode(std::optional<std::string> value) { passCode_ = std::move(value); }

    bool isYoutubeGalleryEnabled() const { return isYoutubeGalleryEnabled_; }
    void setIsYoutubeGalleryEnabled(bool value) { isYoutubeGalleryEnabled_ = value; }
    bool isGridEnabled() const { return isGridEnabled_; }
    void setIsGridEnabled(bool value) { isGridEnabled_ = value; }
    bool isGUISoundEnabled() const { return isGUISoundEnabled_; }
    void setIsGUISoundEnabled(bool value) { isGUISoundEnabled_ = value; }
    // Whether the low-storage alert was shown during this run; never stored.
    bool isLowSpaceWarningShown() const { return isLowSpaceWarningShown_; }
    void setIsLowSpaceWarningShown(bool value) { isLowSpaceWarningShown_ = value; }
    float overlaySetting() const { return overlaySetting_; }
    void setOverlaySetting(float value) { overlaySetting_ = value; }
    float cameraEffectiveScale() const { return cameraEffectiveScale_; }
    void setCameraEffectiveScale(float value) { cameraEffectiveScale_ = value; }

    std::string currentCaptureSourceID() const;
    void setCurrentCaptureSourceID(std::string value);

    // Capture-device values: position 1 back, 2 front; modes 2 continuous automatic.
    int64_t avCaptureDevicePosition() const { return avCaptureDevicePosition_; }
    void setAvCaptureDevicePosition(int64_t value) { avCaptureDevicePosition_ = value; }
    // The identifier of the camera chosen last, for cameras whose positions
    // do not tell them apart (desktop webcams); empty when none was. Kept in
    // the free store under kCaptureDeviceIDKey.
    static inline const char* kCaptureDeviceIDKey = "CAPTURE_DEVICE_ID";
    std::string captureDeviceID() const;
    void setCaptureDeviceID(const std::string& value);
    int64_t focusMode() const { return focusMode_; }
    void setFocusMode(int64_t value) { focusMode_ = value; }
    int64_t exposureMode() const { return exposureMode_; }
    void setExposureMode(int64_t value) { exposureMode_ = value; }
    int64_t whiteBalanceMode() const { return whiteBalanceMode_; }
    void setWhiteBalanceMode(int64_t value) { whiteBalanceMode_ = value; }

    // Puts the shared instance back to its defaults, as at a launch (tests).
    static void resetForTesting();

private:
    DataManager() = default;
    static std::string settingsPath();

    std::optional<uint64_t> lastSelection_;
    std::optional<double> version_;
    std::atomic<bool> isYoutubeGalleryEnabled_{true};
    std::optional<std::string> passCode_;
    foundation::Dictionary dictMeta_;
    std::atomic<bool> isGridEnabled_{false};
    std::atomic<bool> isGUISoundEnabled_{true};
    std::atomic<bool> isLowSpaceWarningShown_{false};
    std::atomic<float> overlaySetting_{1.0f};
    std::atomic<float> cameraEffectiveScale_{1.0f};
    mutable std::mutex captureSourceLock_;
    std::string currentCaptureSourceID_ = "CaptureLocalCamera";
    std::atomic<int64_t> avCaptureDevicePosition_{1};
    std::atomic<int64_t> focusMode_{2};
    std::atomic<int64_t> exposureMode_{2};
    std::atomic<int64_t> whiteBalanceMode_{2};
};
