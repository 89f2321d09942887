#include "app/capture/CaptureScreenTestSupport.h"

#include "app/widgets/alerts/Hudy.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "support/FakeV4l2Device.h"
#include "support/Process.h"

#include <algorithm>

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
    const auto alerts = ui::AlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    const auto& alert = alerts.front();
    for (int index = 0; index < alert->numberOfButtons(); ++index) {
        if (alert->buttonTitleAtIndex(index) != title) continue;
        ui::prepareForRendering(*window, 1.0);
        tap(alert->buttonViewAtIndex(index));
        advance(0.5);  // the alert fades out
        return;
    }
    ADD_FAILURE() << "no button \"" << title << "\"";
}

std::shared_ptr<testsupport::FakeV4l2Device> CaptureScreenTest::otherWebcam(const char* card) {
    auto camera = testsupport::FakeV4l2Device::webcam();
    camera->card = card;
    camera->control(V4L2_CID_WHITE_BALANCE_TEMPERATURE).reached = 4500;
    camera->control(V4L2_CID_FOCUS_ABSOLUTE).reached = 120;
    return camera;
}

void CaptureScreenTest::lockWithTheButtons() {
    tap(screen->buttonOptions());
    advance(0.35);
    tap(screen->buttonWhiteBalance());
    EXPECT_EQ(hudText(), "Automatic White Balance disabled");
    tap(screen->buttonFocus());
    EXPECT_EQ(hudText(), "Autofocus disabled");
}

void CaptureScreenTest::expectLocked(const testsupport::FakeV4l2Device& camera) {
    using testsupport::FakeV4l2Device;
    EXPECT_FALSE(screen->buttonWhiteBalance()->isSelected()) << "the screen shows the lock";
    EXPECT_FALSE(screen->buttonFocus()->isSelected());
    EXPECT_EQ(camera.current(V4L2_CID_AUTO_WHITE_BALANCE), 0) << "the camera holds it";
    EXPECT_EQ(camera.current(V4L2_CID_FOCUS_AUTO), 0);
    EXPECT_EQ(camera.current(V4L2_CID_WHITE_BALANCE_TEMPERATURE), FakeV4l2Device::kTemperatureReached);
    EXPECT_EQ(camera.current(V4L2_CID_FOCUS_ABSOLUTE), FakeV4l2Device::kFocusReached);
}

}  // namespace capturetest
