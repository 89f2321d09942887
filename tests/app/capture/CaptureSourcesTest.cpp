#include "app/capture/CaptureChromaKeyCamera.h"
#include "app/capture/CaptureSources.h"
#include "app/capture/RecordingDelegate.h"
#include "platform/capture/SyntheticCamera.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/FakeServiceBrowser.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace {

using foundation::RunLoop;

// A source that stands in for a remote camera: an identifier (the URL's
// host) and a display name.
class FakeRemoteSource : public CaptureController {
public:
    FakeRemoteSource(std::string host, std::string name) : name_(std::move(name)) {
        setCaptureSourceID(std::move(host));
    }
    std::string getCaptureSourceName() const override { return name_; }

private:
    std::string name_;
};

struct RegistryFixture {
    RegistryFixture() {
        capture::setCaptureBackend(capture::SyntheticCaptureBackend::withCameras(1));
        registry.checkLocalCaptureSources();
    }
    ~RegistryFixture() { capture::setCaptureBackend(nullptr); }

    std::vector<std::string> identifiers() const {
        std::vector<std::string> result;
        for (const auto& source : *registry.getAvailableCaptureSources()) result.push_back(source->captureSourceID());
        return result;
    }

    testsupport::VirtualClockScope clock;
    net::FakeServiceBrowser::Installation fakes;
    CaptureSources registry;
    int updates = 0;
    foundation::ObserverToken token = foundation::NotificationCenter::defaultCenter().addObserver(
        CaptureSources::kUpdateSourcesNotification, nullptr, [this](const foundation::Notification&) { ++updates; });
};

const std::vector<std::string> kBuiltIn = {"CaptureLocalCamera", "CaptureChromaKeyCamera", "CaptureLocalUHDTVCamera"};

TEST(CaptureSources, BuiltInSourcesInPickerOrderWithTheGreenScreenSecond) {
    RegistryFixture fixture;
    EXPECT_EQ(fixture.identifiers(), kBuiltIn);
    const auto& list = *fixture.registry.getAvailableCaptureSources();
    const std::vector<std::string> names = {list[0]->captureSourceName(), list[1]->captureSourceName(),
                                            list[2]->captureSourceName()};
    EXPECT_EQ(names, (std::vector<std::string>{"Camera", "Green Screen", "UHDTV"}));
    EXPECT_TRUE(list[0]->isZoomSupported());
    EXPECT_TRUE(list[2]->hasShutterSound());
    EXPECT_FALSE(list[0]->hasShutterSound());
    for (const auto& source : list)
        EXPECT_EQ(source->captureSourceMenuIcon().pixelWidth(), 28) << source->captureSourceName();

    // The green-screen camera is a real source: without a camera it reports
    // the device camera's error and stays unready.
    EXPECT_NE(dynamic_cast<CaptureChromaKeyCamera*>(list[1].get()), nullptr);
    capture::setCaptureBackend(capture::SyntheticCaptureBackend::withCameras(0));
    capturetest::RecordingDelegate delegate;
    list[1]->setDelegate(&delegate);
    list[1]->initCaptureDevice();
    ASSERT_TRUE(list[1]->error());
    EXPECT_EQ(list[1]->error()->code, 63);
    EXPECT_EQ(list[1]->error()->localizedDescription(), "No capture device found.");
    EXPECT_FALSE(list[1]->isReadyToCapture());
    EXPECT_TRUE(delegate.inits.empty());

    // The registry starts looking for remote cameras of the remote service type.
    ASSERT_TRUE(fixture.fakes.last());
    EXPECT_TRUE(fixture.fakes.last()->search().has_value());
    EXPECT_EQ(fixture.registry.remoteCameraBrowser()->delegate(), &fixture.registry);
    EXPECT_FALSE(fixture.registry.remoteCamera());
}

TEST(CaptureSources, RemoteSourcesJoinOnceByIdentifierAndLeaveAlone) {
    RegistryFixture fixture;
    auto list = fixture.registry.getAvailableCaptureSources();
    auto kitchen = std::make_shared<FakeRemoteSource>("10.0.0.5", "Kitchen");
    auto again = std::make_shared<FakeRemoteSource>("10.0.0.5", "Kitchen (2)");
    auto namedLikeBuiltIn = std::make_shared<FakeRemoteSource>("10.0.0.6", "Camera");

    fixture.registry.addRemoteSource(kitchen);
    fixture.registry.addRemoteSource(again);  // same host: dropped, nothing posted
    fixture.registry.addRemoteSource(namedLikeBuiltIn);
    EXPECT_EQ(fixture.updates, 2);
    EXPECT_EQ(list, fixture.registry.getAvailableCaptureSources()) << "the same list object throughout";
    EXPECT_EQ(list->size(), 5u);
    EXPECT_EQ(list->back(), namedLikeBuiltIn);

    // The camera named "Camera" goes: only it leaves, the built-in camera of
    // that name stays. Removals post nothing; unknown sources change nothing.
    fixture.registry.removeRemoteSource(namedLikeBuiltIn);
    fixture.registry.removeRemoteSource(again);
    EXPECT_EQ(fixture.identifiers(), (std::vector<std::string>{kBuiltIn[0], kBuiltIn[1], kBuiltIn[2], "10.0.0.5"}));
    fixture.registry.removeRemoteSource(kitchen);
    EXPECT_EQ(fixture.identifiers(), kBuiltIn);
    EXPECT_EQ(fixture.updates, 2);
}

TEST(CaptureSources, ServicesFoundByTheBrowserBecomeSources) {
    RegistryFixture fixture;
    auto browser = fixture.fakes.last();
    ASSERT_TRUE(browser);
    const auto search = *browser->search();
    browser->setAddress("Camera", "127.0.0.1", 8080);
    browser->setAddress("Camera on the same host", "127.0.0.1", 8081);
    browser->announce({"Camera", search.type, search.domain});
    browser->announce({"Camera on the same host", search.type, search.domain});
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(fixture.identifiers(), (std::vector<std::string>{kBuiltIn[0], kBuiltIn[1], kBuiltIn[2], "127.0.0.1"}));
    EXPECT_EQ(fixture.updates, 1);

    browser->withdraw({"Camera", search.type, search.domain});
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(fixture.identifiers(), kBuiltIn) << "the remote camera leaves, the built-in \"Camera\" stays";
    EXPECT_EQ(fixture.registry.getAvailableCaptureSources()->front()->captureSourceName(), "Camera");
}

TEST(CaptureSources, SharedInstanceIsOneRegistryStartingWithTheBuiltInSources) {
    testsupport::VirtualClockScope clock;
    net::FakeServiceBrowser::Installation fakes;  // in case this is the first use in the process
    CaptureSources& shared = CaptureSources::sharedInstance();
    EXPECT_EQ(&shared, &CaptureSources::sharedInstance());
    const auto& list = *shared.getAvailableCaptureSources();
    ASSERT_GE(list.size(), 3u);
    for (size_t i = 0; i < kBuiltIn.size(); ++i) EXPECT_EQ(list[i]->captureSourceID(), kBuiltIn[i]);
    ASSERT_TRUE(shared.remoteCameraBrowser());
    EXPECT_EQ(shared.remoteCameraBrowser()->delegate(), &shared);
}

}  // namespace
