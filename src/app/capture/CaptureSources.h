#pragma once

// The process-wide registry of the capture sources the user can choose
// from: the device camera, the green-screen camera and the Ultra HD camera,
// created once at first use in that order (the order of the source picker's
// rows; the first is the capture screen's fallback), followed by every
// remote camera that service discovery finds while the application runs.
//
// The list is read and changed on the main thread only; the remote-camera
// browser reports there. Indices into it hold only until the next discovery
// event. A vanished service removes exactly the source made for it, never a
// built-in source or another camera that happens to carry the same name.

#include "app/capture/CaptureController.h"
#include "app/capture/CaptureRemoteCameraBrowser.h"

#include <memory>
#include <vector>

class CaptureSources : public CaptureRemoteCameraBrowserDelegate {
public:
    // Posted (object null, no userInfo) when a remote camera joined the list.
    static constexpr const char* kUpdateSourcesNotification = "NOTIFICATION_CAPTURESOURCE_UPDATE_SOURCES";

    using SourceList = std::vector<CaptureControllerPtr>;

    // The one registry; the first call builds it (checkLocalCaptureSources).
    static CaptureSources& sharedInstance();

    CaptureSources();
    ~CaptureSources() override;
    CaptureSources(const CaptureSources&) = delete;
    CaptureSources& operator=(const CaptureSources&) = delete;

    // A new list of the three built-in sources, and a new remote-camera
    // browser reporting to this registry.
    void checkLocalCaptureSources();

    // The registry's own list, not a copy: a holder sees later additions and
    // removals.
    const std::shared_ptr<SourceList>& getAvailableCaptureSources() const { return captureSources_; }

    // Append / remove by identity; neither posts anything.
    void addCaptureSource(const CaptureControllerPtr& source);
    void removeCaptureSource(const CaptureController* source);

    // A remote camera appeared: appended and announced unless a listed
    // source has the same captureSourceID.
    void addRemoteSource(const CaptureControllerPtr& source);
    // A remote camera went away: that source leaves the list; nothing is
    // posted, so an open picker keeps its row until it reloads.
    void removeRemoteSource(const CaptureControllerPtr& source);

    void didDiscoverNewRemoteDevice(CaptureRemoteCameraBrowser& browser,
                                    const std::shared_ptr<CaptureRemoteCameraClient>& withSource) override;
    void didRemoveRemoteDevice(CaptureRemoteCameraBrowser& browser, const std::string& withName,
                               const std::shared_ptr<CaptureRemoteCameraClient>& source) override;

    const std::shared_ptr<CaptureRemoteCameraBrowser>& remoteCameraBrowser() const { return remoteCameraBrowser_; }
    // Declared for the browser's use; nothing sets it.
    const CaptureControllerPtr& remoteCamera() const { return remoteCamera_; }

private:
    std::shared_ptr<SourceList> captureSources_ = std::make_shared<SourceList>();
    std::shared_ptr<CaptureRemoteCameraBrowser> remoteCameraBrowser_;
    CaptureControllerPtr remoteCamera_;
};
