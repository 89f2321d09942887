#include "GreenScreenFixture.h"

#include "app/capture/chromakey/ChromaKeyBackdrop.h"
#include "app/core/DataManager.h"
#include "components/gpuimage/GPUImageView.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/host/Device.h"
#include "support/Process.h"

#include <QPainter>
#include <cstdlib>

namespace chromakeytest {

QImage splitPicture(int width, int height, QColor left, QColor right, double leftShare) {
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    picture.fill(right);
    QPainter painter(&picture);
    painter.fillRect(QRect(0, 0, int(width * leftShare), height), left);
    return picture;
}

capture::SyntheticCameraConfig smallCamera(QImage picture, capture::DevicePosition position) {
    capture::SyntheticCameraConfig config = position == capture::DevicePosition::Front
                                                ? capture::SyntheticCaptureBackend::frontCamera()
                                                : capture::SyntheticCaptureBackend::backCamera();
    config.capabilities.sessionPresets = {capture::kSessionPreset640x480};
    config.pictures = {std::move(picture)};
    return config;
}

bool near(graphics::RGBA actual, graphics::RGBA expected, int tolerance) {
    return std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
           std::abs(actual.b - expected.b) <= tolerance;
}

void GreenScreenTest::SetUp() {
    graphics::ensureGuiApplication();
    ui::Device::current().resetForTesting();
    DataManager::resetForTesting();
    window = std::make_shared<ui::Window>(graphics::Rect{0, 0, 1024, 768});
    window->makeKeyAndVisible();
    host = std::make_shared<ui::ViewController>();
    window->setRootViewController(host);
    button = std::make_shared<ui::Button>(ui::ButtonType::Custom, graphics::Rect{960, 20, 44, 44});
    project = ProjectModel::create();
}

void GreenScreenTest::TearDown() {
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
    fixture.reset();
    window.reset();
    foundation::RunLoop::main().runUntilIdle();
    DataManager::resetForTesting();
}

CaptureChromaKeyCamera& GreenScreenTest::start(std::vector<capture::SyntheticCameraConfig> cameras,
                                               const QImage& backdrop) {
    if (!backdrop.isNull()) {
        const auto stored = chromakeybackdrop::storeBackdrop(*project, graphics::Image(backdrop));
        EXPECT_TRUE(stored.ok());
    }
    fixture = std::make_unique<capturetest::CameraFixture<CaptureChromaKeyCamera>>(
        std::make_shared<capture::SyntheticCaptureBackend>(std::move(cameras)));
    CaptureChromaKeyCamera& camera = *fixture->source;
    host->addChildViewController(fixture->source);
    host->view()->addSubview(camera.viewPtr());
    host->view()->addSubview(button);
    camera.setProject(project);
    camera.setMainViewController(host);
    camera.initCaptureDevice();
    return camera;
}

void GreenScreenTest::advance(double seconds) { foundation::RunLoop::main().advance(seconds); }

void GreenScreenTest::runFrames(double seconds) { advance(seconds); }

graphics::RGBA GreenScreenTest::viewPixel(double x, double y) {
    auto& view = *source().viewCamera();
    const graphics::Image picture = ui::renderView(view);
    return picture.pixelAt(int(x * picture.pixelWidth() / view.bounds().width()),
                           int(y * picture.pixelHeight() / view.bounds().height()));
}

graphics::Image GreenScreenTest::storedBackdrop() {
    auto data = project->fileDataForFileWithPreferredFilename(chromakeybackdrop::kBackdropFile);
    if (!data) return {};
    auto image = graphics::Image::decode(*data);
    return image ? *image : graphics::Image();
}

std::string GreenScreenTest::savedConfiguration() {
    if (!DataManager::saveState().ok()) return "<not saved>";
    const auto result = testsupport::runPython(
        "import plistlib, sys\n"
        "m = plistlib.load(open(sys.argv[1], 'rb'))['METADATA']\n"
        "d = m.get('CHROMA_KEY_CAMERA_CONFIGURATION')\n"
        "if d is None:\n"
        "    print('none', end='')\n"
        "else:\n"
        "    c = d['CHROMA_KEY_CAMERA_COLOR']\n"
        "    t = d['CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY']\n"
        "    print(' '.join('%s=%s:%.2f' % (k, type(c[k]).__name__, c[k]) for k in ('red', 'green', 'blue', "
        "'alpha')), 'threshold=%s:%.2f' % (type(t).__name__, t), end='')\n",
        {folders.documents() + "/.settings.plist"});
    return result.exitCode == 0 ? result.output : "<plistlib: " + result.output + ">";
}

}  // namespace chromakeytest
