#include "app/capture/CaptureSources.h"

#include "app/capture/Capture4KCamera.h"
#include "app/capture/CaptureChromaKeyCamera.h"
#include "app/capture/CaptureLocalCamera.h"
#include "app/capture/CaptureRemoteCameraClient.h"
#include "platform/foundation/NotificationCenter.h"

#include <algorithm>

CaptureSources& CaptureSources::sharedInstance() {
    static CaptureSources* instance = [] {
        auto* sources = new CaptureSources();  // lives to the end of the process
        sources->checkLocalCaptureSources();
        return sources;
    }();
    return *instance;
}

CaptureSources::CaptureSources() = default;

CaptureSources::~CaptureSources() {
    if (remoteCameraBrowser_) remoteCameraBrowser_->setDelegate(nullptr);
}

void CaptureSources::checkLocalCaptureSources() {
    captureSources_ = std::make_shared<SourceList>();
    captureSources_->push_back(std::make_shared<CaptureLocalCamera>());
    captureSources_->push_back(std::make_shared<CaptureChromaKeyCamera>());
    captureSources_->push_back(std::make_shared<Capture4KCamera>());

    if (remoteCameraBrowser_) remoteCameraBrowser_->setDelegate(nullptr);
    remoteCameraBrowser_ = std::make_shared<CaptureRemoteCameraBrowser>();
    remoteCameraBrowser_->setDelegate(this);
    remoteCameraBrowser_->startBonjourBrowser();
}

void CaptureSources::addCaptureSource(const CaptureControllerPtr& source) {
    if (source) captureSources_->push_back(source);
}

void CaptureSources::removeCaptureSource(const CaptureController* source) {
    auto& list = *captureSources_;
    auto found = std::find_if(list.begin(), list.end(), [&](const auto& listed) { return listed.get() == source; });
    if (found != list.end()) list.erase(found);
}

void CaptureSources::addRemoteSource(const CaptureControllerPtr& source) {
    if (!source) return;
    const std::string identifier = source->captureSourceID();
    const auto& list = *captureSources_;
    if (std::any_of(list.begin(), list.end(),
                    [&](const auto& listed) { return listed->captureSourceID() == identifier; })) {
        return;
    }
    captureSources_->push_back(source);
    foundation::NotificationCenter::defaultCenter().post(kUpdateSourcesNotification);
}

void CaptureSources::removeRemoteSource(const CaptureControllerPtr& source) { removeCaptureSource(source.get()); }

void CaptureSources::didDiscoverNewRemoteDevice(CaptureRemoteCameraBrowser&,
                                                const std::shared_ptr<CaptureRemoteCameraClient>& withSource) {
    addRemoteSource(withSource);
}

void CaptureSources::didRemoveRemoteDevice(CaptureRemoteCameraBrowser&, const std::string&,
                                           const std::shared_ptr<CaptureRemoteCameraClient>& source) {
    removeRemoteSource(source);
}
