#include "app/capture/CaptureScreenTestSupport.h"

#include "app/widgets/alerts/Hudy.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "support/Pictures.h"
#include "support/Process.h"

#include <algorithm>
#include <cerrno>
#include <gmock/gmock.h>

namespace capturetest {

namespace {

const graphics::RGBA kColumns[8] = {{230, 25, 25, 255},  {25, 200, 25, 255},  {25, 25, 230, 255},   {230, 230, 25, 255},
                                    {25, 230, 230, 255}, {230, 25, 230, 255}, {250, 250, 250, 255}, {120, 60, 20, 255}};

}  // namespace

graphics::RGBA syntheticColourAt(int x, int y, int width, int height) {
    const int column = std::clamp(x * 8 / width, 0, 7);
    const graphics::RGBA colour = kColumns[column];
    if (y < height / 2) return colour;
    // The lower half is darker, so rows tell apart too.
    return {uint8_t(colour.r / 3), uint8_t(colour.g / 3), uint8_t(colour.b / 3), 255};
}

graphics::Image syntheticPicture(int width, int height) {
    QImage bitmap(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const graphics::RGBA c = syntheticColourAt(x, y, width, height);
            line[x] = qRgba(c.r, c.g, c.b, c.a);
        }
    }
    return graphics::Image(bitmap);
}

// ---- FakeSource ------------------------------------------------------------------------

FakeSource::FakeSource(std::string identifier, std::string name) : name_(std::move(name)) {
    setCaptureSourceID(std::move(identifier));
}

FakeSource::~FakeSource() {
    cameraQueue.sync([] {});
}

void FakeSource::loadView() {
    // The live picture: what the camera would deliver.
    auto root = ui::makeView<ui::ImageView>(picture);
    root->setFrame({0, 0, 640, 360});
    root->setContentMode(ui::ContentMode::ScaleAspectFill);
    root->setClipsToBounds(true);
    root->setUserInteractionEnabled(true);
    setView(root);
}

void FakeSource::initCaptureDevice() {
    if (failure) {
        isReadyToCapture_.store(false);
        setError(failure);
        return;
    }
    setError(std::nullopt);
    CaptureController::initCaptureDevice();
    isReadyToCapture_.store(ready);
    minExposureTargetBias_.store(biasMin);
    maxExposureTargetBias_.store(biasMax);
    setCaptureSourceViewCamera(viewPtr());
}

void FakeSource::stopCameraCapture() {
    ++stops;
    // A real camera drains its queue before it lets the session go.
    cameraQueue.sync([] {});
}

void FakeSource::captureImage() {
    ++captures;
    captureTimes.push_back(foundation::RunLoop::main().now());
    if (holdsPictures) {
        isReadyToCapture_.store(false);
        return;
    }
    if (!onCameraQueue) {
        deliver();
        return;
    }
    cameraQueue.async([this] {
        deliveryQueue = foundation::DispatchQueue::currentLabel();
        deliver();
    });
}

void FakeSource::deliver() {
    if (holdsPictures) isReadyToCapture_.store(ready);
    if (auto* receiver = delegate()) receiver->captureControllerDidTakeImage(*this, picture);
    auto open = project();
    auto list = open ? open->getFrameList() : nullptr;
    countAfterDelivery.store(list ? list->count() : -1);
}

void FakeSource::setMode(std::atomic<int64_t>& field, int64_t mode) {
    if (std::find(runnableModes.begin(), runnableModes.end(), mode) != runnableModes.end()) field.store(mode);
}

void FakeSource::setFocusMode(int64_t mode) { setMode(focusMode_, mode); }
void FakeSource::setExposureMode(int64_t mode) { setMode(exposureMode_, mode); }
void FakeSource::setWhiteBalanceMode(int64_t mode) { setMode(whiteBalanceMode_, mode); }
bool FakeSource::focusAtPoint(graphics::Point) { return focusAnswer; }

graphics::Image FakeSource::getCaptureSourceMenuIcon() const { return CaptureController::getCaptureSourceMenuIcon(); }

// ---- fixture --------------------------------------------------------------------------------

void CaptureScreenTest::SetUp() {
    graphics::ensureGuiApplication();
    ui::Device::current().resetForTesting();
    DataManager::resetForTesting();
    KWProjects::getInstance().resetForTesting();
    FileUtil::setFreeDiskspaceOverride(uint64_t{1} << 34);
    media::AudioOutput::setShared(output);
    media::SystemVolume::shared().resetForTesting();
    auto& watch = KWWatchKitLocalStorage::sharedWatchKitLocalStorage();
    watch.setIsReady(false);
    watch.setIsReadyToCapture(false);
    window = std::make_shared<ui::Window>(ui::Device::current().screenBounds());
    window->makeKeyAndVisible();
    fingers = std::make_unique<testsupport::TouchDriver>(*window);
    camera = std::make_shared<FakeSource>();
    sources = {camera, std::make_shared<FakeSource>("CaptureLocalUHDTVCamera", "Ultra HD")};
}

void CaptureScreenTest::TearDown() {
    if (screen && !screen->isClosing()) screen->finishUpAndExit();
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
    foundation::RunLoop::main().runUntilIdle();
    screen.reset();
    window.reset();
    media::AudioOutput::setShared(nullptr);
    FileUtil::setFreeDiskspaceOverride(std::nullopt);
    KWProjects::getInstance().resetForTesting();
    DataManager::resetForTesting();
}

void CaptureScreenTest::usePhone() {
    ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
    ui::Device::current().setScreenBounds({0, 0, 568, 320});
    window = std::make_shared<ui::Window>(graphics::Rect{0, 0, 568, 320});
    window->makeKeyAndVisible();
    fingers = std::make_unique<testsupport::TouchDriver>(*window);
}

ProjectModelPtr CaptureScreenTest::storedProject(bool slot) {
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    auto picture = Frame::create(Frame::kTypePicture);
    EXPECT_TRUE(producer.storeImage(syntheticPicture(), picture->frameID()));
    auto list = project->getFrameList();
    list->insertFrame(picture, 0);
    if (!slot) list->removeFrameWithFrameType(Frame::kTypeCaptureSlot);
    EXPECT_TRUE(project->saveAllDataToDisk());
    return project;
}

std::shared_ptr<CaptureViewController> CaptureScreenTest::openScreen(const ProjectModelPtr& project) {
    auto list = [this]() -> const std::vector<CaptureControllerPtr>& { return sources; };
    screen = CaptureViewController::create(project, list);
    if (ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad) {
        // The editor's arrangement: a child screen with the editor's pane.
        auto pane = std::make_shared<KWPreviewViewController>(project);
        pane->view();
        screen->setPreviewViewController(pane);
    }
    window->setRootViewController(screen);
    screen->viewDidAppear(false);
    foundation::RunLoop::main().runUntilIdle();
    return screen;
}

void CaptureScreenTest::tap(const ui::View* view) {
    ASSERT_NE(view, nullptr);
    ui::prepareForRendering(*window, 1.0);
    auto bounds = view->bounds();
    fingers->tap(view->convertPointToView({bounds.midX(), bounds.midY()}, nullptr));
}

std::vector<std::string> CaptureScreenTest::alertMessages() {
    std::vector<std::string> messages;
    for (auto& alert : ui::AlertView::visibleAlerts()) messages.push_back(alert->message());
    return messages;
}

std::string CaptureScreenTest::hudText() const {
    return screen->hud() && screen->hud()->caption ? *screen->hud()->caption : "";
}

void CaptureScreenTest::savePicture(const std::string& name) {
    auto png = ui::renderView(*window).pngData();
    ASSERT_TRUE(png.ok());
    ASSERT_TRUE(foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/" + name, *png).ok());
}

void CaptureScreenTest::dismissAlerts() {
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);
}

void CaptureScreenTest::tapAlertButton(const std::string& title) {
    ASSERT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
    const auto alert = ui::AlertView::visibleAlerts().front();
    for (int index = 0; index < alert->numberOfButtons(); ++index) {
        if (alert->buttonTitleAtIndex(index) != title) continue;
        tap(alert->buttonViewAtIndex(index));
        advance(0.5);  // the alert fades out
        return;
    }
    ADD_FAILURE() << "no button \"" << title << "\"";
}

// ---- webcams ----------------------------------------------------------------------------------

namespace {

capture::SyntheticCameraConfig listed(const Webcam& webcam, bool toldLater = false) {
    auto config = webcam.table->asListed(webcam.path);
    config.pictures = {QImage(64, 36, QImage::Format_RGB32)};
    config.pictures[0].fill(QColor(webcam.colour.r, webcam.colour.g, webcam.colour.b));
    config.reportsFailuresLater = toldLater;
    return config;
}

// What keeps a webcam from filming, and what its message says.
struct Fault {
    const char* told;
    bool toldLater, permission;
    void set(testsupport::FakeV4l2Device& camera, bool on) const {
        camera.openError = permission && on ? EACCES : 0;  // the node's group is "video", and the user is not in it
        camera.streamedElsewhere = !permission && on;
    }
};
const Fault kFaults[] = {{"in use by another program", false, false},
                         {"in use by another program", true, false},
                         {"\"video\" group", false, true}};

}  // namespace

Webcam WebcamScreenTest::deskWebcam(const char* card, std::string path, graphics::RGBA colour, bool reachedOthers) {
    auto table = testsupport::FakeV4l2Device::webcam();
    table->card = card;
    if (reachedOthers) {
        table->control(V4L2_CID_WHITE_BALANCE_TEMPERATURE).reached = 4500;
        table->control(V4L2_CID_FOCUS_ABSOLUTE).reached = 120;
    }
    return {table, std::move(path), colour};
}

void WebcamScreenTest::openOnWebcams(const std::vector<Webcam>& webcams, bool toldLater, const std::string& byId) {
    if (screen && !screen->isClosing()) screen->finishUpAndExit();
    dismissAlerts();
    std::vector<capture::SyntheticCameraConfig> configs;
    for (const Webcam& webcam : webcams) configs.push_back(listed(webcam, toldLater));
    backend = std::make_shared<capture::SyntheticCaptureBackend>(configs, byId);
    capture::setCaptureBackend(backend);
    openSource(true);
}

void WebcamScreenTest::reopen() {
    screen->finishUpAndExit();
    foundation::RunLoop::main().runUntilIdle();
    dismissAlerts();
    openSource(false);
}

void WebcamScreenTest::expectFilmingWith(const Webcam& webcam) {
    EXPECT_EQ(source().currentCameraName(), webcam.table->card);
    EXPECT_EQ(DataManager::sharedDataManager().captureDeviceID(), backend->device(webcam.path)->persistentID());
    for (const auto& device : backend->videoDevices())
        EXPECT_EQ(backend->driver(device->uniqueID())->isStreaming(), device->uniqueID() == webcam.path);
    advance(0.3);  // its frames reach the source
    auto list = screen->project()->getFrameList();
    const int64_t before = list->count();
    tap(screen->recordBtn());
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return list->count() == before + 1; }, 10));
    auto stored = KWImageProducer(screen->project()).getOriginialImageForFrameAtIndex(list->getCaptureIndex() - 1);
    EXPECT_TRUE(stored && testsupport::pixelNear(stored->pixelAt(100, 100), webcam.colour, 16)) << "another camera";
}

void WebcamScreenTest::lockWithTheButtons() {
    tap(screen->buttonOptions());
    advance(0.35);
    tap(screen->buttonWhiteBalance());
    EXPECT_EQ(hudText(), "Automatic White Balance disabled");
    tap(screen->buttonFocus());
    EXPECT_EQ(hudText(), "Autofocus disabled");
}

void WebcamScreenTest::switchFromTheOpenedPanel() {
    tap(screen->buttonOptions());
    advance(0.35);
    tap(screen->capturedeviseBtn());
    advance(0.3);
}

void WebcamScreenTest::expectLocked(const testsupport::FakeV4l2Device& camera) {
    using testsupport::FakeV4l2Device;
    EXPECT_FALSE(screen->buttonWhiteBalance()->isSelected()) << "the screen shows the lock";
    EXPECT_FALSE(screen->buttonFocus()->isSelected());
    EXPECT_EQ(camera.current(V4L2_CID_AUTO_WHITE_BALANCE), 0) << "the camera holds it";
    EXPECT_EQ(camera.current(V4L2_CID_FOCUS_AUTO), 0);
    EXPECT_EQ(camera.current(V4L2_CID_WHITE_BALANCE_TEMPERATURE), FakeV4l2Device::kTemperatureReached);
    EXPECT_EQ(camera.current(V4L2_CID_FOCUS_ABSOLUTE), FakeV4l2Device::kFocusReached);
}

void WebcamScreenTest::switchesByIdentityAndTellsACameraInUseOrRefused() {
    for (const Fault& fault : kFaults) {
        SCOPED_TRACE(testing::Message() << fault.told << (fault.toldLater ? ", told on a later turn (GStreamer)" : ""));
        DataManager::resetForTesting();
        const Webcam integrated = deskWebcam("Integrated Camera", "/dev/video0", kOrange);
        const Webcam usb = deskWebcam("USB Camera", "/dev/video2", kPurple, true);
        fault.set(*usb.table, true);
        const auto expectTold = [&] {
            EXPECT_THAT(alertMessages(), testing::ElementsAre(testing::HasSubstr(fault.told)));
        };
        openOnWebcams({usb, integrated}, fault.toldLater);  // Qt lists them in an order of its own
        expectFilmingWith(integrated);                      // none stored: the first
        lockWithTheButtons();
        // A switch to the camera says so, and the first films on, locked.
        tap(screen->capturedeviseBtn());
        advance(0.3);
        expectTold();
        EXPECT_FALSE(screen->buttonWhiteBalance()->isHidden());
        expectLocked(*integrated.table);
        dismissAlerts();
        expectFilmingWith(integrated);
        // Once it may, the switch goes through, locked at the values the first camera's automatics reached.
        fault.set(*usb.table, false);
        tap(screen->capturedeviseBtn());
        advance(0.3);
        EXPECT_TRUE(alertMessages().empty());
        EXPECT_EQ(hudText(), "USB Camera");
        expectLocked(*usb.table);
        expectFilmingWith(usb);
        if (fault.permission) {
            tap(screen->capturedeviseBtn());  // round to the first
        } else {
            // The next visit starts on the camera chosen: in use, it offers the other one.
            fault.set(*usb.table, true);
            reopen();
            expectTold();
            tapAlertButton("Use Other Camera");
            EXPECT_TRUE(alertMessages().empty());
        }
        EXPECT_EQ(hudText(), "Integrated Camera");
        expectLocked(*integrated.table);
        expectFilmingWith(integrated);
        // A stored camera since unplugged gives way to the first.
        DataManager::sharedDataManager().setCaptureDeviceID("/dev/video6");
        reopen();
        expectFilmingWith(integrated);
        // The only camera: the message, not a black preview.
        fault.set(*usb.table, true);
        openOnWebcams({usb}, fault.toldLater);
        expectTold();
        EXPECT_EQ(ui::AlertView::visibleAlerts().at(0)->numberOfButtons(), 1) << "no other camera to offer";
    }
}

void WebcamScreenTest::bringsBackLockedACameraPluggedIn() {
    for (const bool unpluggedWhileOpen : {true, false}) {
        SCOPED_TRACE(unpluggedWhileOpen ? "unplugged and plugged back in" : "none at first");
        DataManager::resetForTesting();
        if (unpluggedWhileOpen) {
            const Webcam first = deskWebcam("HD Webcam C525", "/dev/video0", kOrange);
            openOnWebcams({first});
            lockWithTheButtons();
            expectLocked(*first.table);
            backend->unplug(first.path);
        } else {
            DataManager::sharedDataManager().setWhiteBalanceMode(kCaptureModeLocked);
            DataManager::sharedDataManager().setFocusMode(kCaptureModeLocked);
            openOnWebcams({});
        }
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_EQ(alertMessages(), (std::vector<std::string>{"No capture device found."}));
        EXPECT_TRUE(screen->isWatchingForCamera());
        advance(3.0);
        EXPECT_EQ(alertMessages().size(), 1u) << "told once";
        // Back with its automatics on (it lost power), at other values since: the same camera, holding what it held.
        const Webcam again = deskWebcam("HD Webcam C525", "/dev/video0", kPurple, unpluggedWhileOpen);
        backend->plugIn(listed(again));
        advance(CaptureViewController::kCameraWatchInterval);
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_TRUE(alertMessages().empty()) << "the message is no longer true";
        advance(0.5);  // it fades out
        EXPECT_FALSE(screen->isWatchingForCamera());
        EXPECT_FALSE(screen->buttonWhiteBalance()->isHidden());
        expectLocked(*again.table);
        expectFilmingWith(again);
    }
}

void WebcamScreenTest::switchAfterAFailureFilmsWithTheOtherCameraLocked() {
    // What keeps the first camera (the USB one, none stored) from filming, told on a later turn (GStreamer) or not,
    // and what the switch then says: nothing where the other camera films, with the screen's locks.
    enum Failure { InUseAtStart, FailsWhileRunning, InUseAndTheOtherRefused, BothTakenOnTheSwitch };
    const char* const whyNot[] = {nullptr, nullptr, "\"video\" group", "in use by another program"};
    for (const Failure failure : {InUseAtStart, FailsWhileRunning, InUseAndTheOtherRefused, BothTakenOnTheSwitch})
        for (const bool toldLater : {false, true}) {
            SCOPED_TRACE(testing::Message() << "failure " << failure << (toldLater ? ", told later" : ""));
            DataManager::resetForTesting();
            DataManager::sharedDataManager().setWhiteBalanceMode(kCaptureModeLocked);
            DataManager::sharedDataManager().setFocusMode(kCaptureModeLocked);
            const Webcam usb = deskWebcam("USB Camera", "/dev/video0", kPurple);
            const Webcam integrated = deskWebcam("Integrated Camera", "/dev/video2", kOrange);
            usb.table->streamedElsewhere = failure == InUseAtStart || failure == InUseAndTheOtherRefused;
            integrated.table->openError = failure == InUseAndTheOtherRefused ? EACCES : 0;
            openOnWebcams({usb, integrated}, toldLater);
            if (failure == FailsWhileRunning || failure == BothTakenOnTheSwitch) expectFilmingWith(usb);
            if (failure == FailsWhileRunning) backend->driver(usb.path)->failStream("Could not read from resource.");
            foundation::RunLoop::main().runUntilIdle();
            EXPECT_EQ(alertMessages().size(), failure == BothTakenOnTheSwitch ? 0u : 1u) << "a failure is told";
            dismissAlerts();
            advance(0.5);  // it fades out
            if (failure == BothTakenOnTheSwitch)
                usb.table->streamedElsewhere = integrated.table->streamedElsewhere = true;
            switchFromTheOpenedPanel();
            if (whyNot[failure]) {
                EXPECT_THAT(alertMessages(), testing::ElementsAre(testing::HasSubstr(whyNot[failure])));
                EXPECT_FALSE(source().isReadyToCapture()) << "nothing films";
                for (const auto& device : backend->videoDevices())
                    EXPECT_FALSE(backend->driver(device->uniqueID())->isStreaming()) << device->uniqueID();
                continue;
            }
            EXPECT_TRUE(alertMessages().empty());
            EXPECT_EQ(hudText(), "Integrated Camera");
            EXPECT_FALSE(screen->buttonWhiteBalance()->isHidden());
            expectLocked(*integrated.table);
            expectFilmingWith(integrated);
        }
}

void WebcamScreenTest::opensTheStoredCameraWhateverNodeTheKernelGaveIt() {
    testsupport::FakeDevFolder dev;
    Webcam integrated, usb;
    // The screen over the webcams at these nodes, each named stably after its serial.
    const auto plug = [&](int integratedNode, int usbNode) {
        integrated = deskWebcam("Integrated Camera", dev.node(integratedNode), kOrange);
        usb = deskWebcam("USB Camera", dev.node(usbNode), kPurple);
        dev.link("usb-Chicony_Integrated_Camera_0001-video-index0", integratedNode);
        dev.link("usb-Logitech_HD_Webcam_C525_5A3B1F20-video-index0", usbNode);
        openOnWebcams({usb, integrated}, false, dev.byIdFolder);
    };
    plug(2, 10);
    switchFromTheOpenedPanel();  // from the first by node number (video2 before video10) to the USB camera
    // After a reboot the kernel numbers them the other way round: the camera chosen films.
    plug(10, 2);
    expectFilmingWith(usb);
    // A node path, as earlier versions kept, names the camera at that node.
    DataManager::sharedDataManager().setCaptureDeviceID(dev.node(10));
    reopen();
    expectFilmingWith(integrated);
}

}  // namespace capturetest
