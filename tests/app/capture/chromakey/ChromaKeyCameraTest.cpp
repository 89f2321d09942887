#include "GreenScreenFixture.h"
#include "app/capture/ELCAlbumPickerController.h"
#include "app/capture/chromakey/ChromaKeyBackdrop.h"
#include "app/capture/chromakey/ChromaKeyColorConfigurationViewController.h"
#include "app/capture/chromakey/ChromaKeyConfigurationViewController.h"
#include "app/core/BundleImage.h"
#include "app/core/DataManager.h"
#include "app/core/KWImageProducer.h"
#include "app/widgets/alerts/Hudy.h"
#include "components/gpuimage/GPUImageBrightnessFilter.h"
#include "components/gpuimage/GPUImageChromaKeyBlendFilter.h"
#include "components/gpuimage/GPUImagePicture.h"
#include "components/gpuimage/GPUImageVideoCamera.h"
#include "components/gpuimage/GPUImageView.h"
#include "platform/capture/CaptureSession.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/NotFound.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/library/PhotoLibraryFiles.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/ScopedEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <map>

namespace chromakeytest {
namespace {

const QColor kGreen(0, 255, 0), kRed(255, 0, 0), kBlue(0, 0, 255), kMagenta(255, 0, 255);
const graphics::RGBA kBlueRGBA{0, 0, 255, 255}, kRedRGBA{255, 0, 0, 255};

// Who feeds whom: each target of a source with its texture slot.
template <class Source, class Target>
std::optional<int> slotOf(const Source& source, const std::shared_ptr<Target>& target) {
    const auto targets = source->targets();
    const auto indices = source->targetTextureIndices();
    for (size_t i = 0; i < targets.size(); ++i)
        if (targets[i].get() == static_cast<gpuimage::GPUImageInput*>(target.get())) return indices[i];
    return std::nullopt;
}

// The graph of a running source: camera → blend (0) ← backdrop (1); blend → view.
void expectKeyedGraph(CaptureChromaKeyCamera& camera) {
    ASSERT_TRUE(camera.filter() && camera.videoCamera() && camera.sourcePicture() && camera.viewCamera());
    EXPECT_EQ(camera.videoCamera()->targets().size(), 1u);
    EXPECT_EQ(slotOf(camera.videoCamera(), camera.filter()), 0);
    EXPECT_EQ(slotOf(camera.sourcePicture(), camera.filter()), 1);
    EXPECT_EQ(slotOf(camera.filter(), camera.viewCamera()), 0);
    EXPECT_FALSE(camera.passFilter());
}

std::vector<double> rgba(const graphics::Color& color) {
    const auto c = *color.rgba();
    return {c.red, c.green, c.blue, c.alpha};
}

TEST_F(GreenScreenTest, NoCameraReportsTheErrorAndBuildsNothing) {
    CaptureChromaKeyCamera& camera = start({});
    ASSERT_TRUE(camera.error());
    EXPECT_EQ(camera.error()->domain, "CaptureLocalCamera");
    EXPECT_EQ(camera.error()->code, 63);
    EXPECT_EQ(camera.error()->localizedDescription(), "No capture device found.");
    EXPECT_FALSE(camera.viewCamera() || camera.filter() || camera.videoCamera() || camera.sourcePicture());
    EXPECT_FALSE(camera.isReadyToCapture());
    EXPECT_TRUE(delegate().inits.empty());
    // The other operations find no graph and do nothing.
    camera.showConfiguration(button.get());
    camera.switchCaptureDevice();
    camera.didSelectChangeAutoChromaKeyColor(camera);
    EXPECT_FALSE(camera.popoverController());
    EXPECT_TRUE(delegate().switches.empty());
    camera.captureImage();
    ASSERT_EQ(delegate().pictures.size(), 1u);
    EXPECT_TRUE(delegate().pictures[0].image.isNull());
}

// Run as a child with no GL drivers (see the next test).
TEST_F(GreenScreenTest, WithoutDriversChild) {
    if (!std::getenv("TOLLIVAR_GREENSCREEN_NO_GPU")) GTEST_SKIP() << "runs as a child without GL drivers";
    CaptureChromaKeyCamera& camera = start({smallCamera(splitPicture(640, 480, kGreen, kRed))});
    ASSERT_TRUE(camera.error());
    EXPECT_EQ(camera.error()->localizedDescription(), "The graphics driver offers no OpenGL ES 2.0.");
    EXPECT_FALSE(camera.filter() || camera.videoCamera() || camera.isReadyToCapture());
    EXPECT_TRUE(delegate().inits.empty());
}

TEST_F(GreenScreenTest, WithoutDriversTheStartReportsThePipelinesError) {
    const std::filesystem::path empty = folders.root() + "/no-drivers";
    std::filesystem::create_directories(empty);
    testsupport::ProcessResult child;
    {
        testsupport::ScopedEnvironment environment{{"LIBGL_DRIVERS_PATH", empty.string()},
                                                   {"TOLLIVAR_GREENSCREEN_NO_GPU", std::string("1")}};
        child = testsupport::runProcess({std::filesystem::read_symlink("/proc/self/exe").string(),
                                         "--gtest_filter=GreenScreenTest.WithoutDriversChild"});
    }
    EXPECT_EQ(child.exitCode, 0) << child.output;
    EXPECT_NE(child.output.find("[  PASSED  ] 1 test"), std::string::npos) << child.output;
}

TEST_F(GreenScreenTest, FirstStartKeysGreenAtPointFourOverTheDefaultBackdropAndWritesNothing) {
    CaptureChromaKeyCamera& camera = start({smallCamera(splitPicture(640, 480, kGreen, kRed))});
    ASSERT_FALSE(camera.error()) << camera.error()->description;
    expectKeyedGraph(camera);
    EXPECT_EQ(rgba(camera.chromaColor()), (std::vector<double>{0, 1, 0, 1}));
    EXPECT_FLOAT_EQ(camera.filter()->thresholdSensitivity(), 0.4f);
    EXPECT_EQ(delegate().inits, std::vector<int64_t>{1});
    EXPECT_TRUE(camera.isReadyToCapture());
    EXPECT_TRUE(camera.isAdditionalControlsSuported());
    EXPECT_EQ(camera.captureSourceViewCamera().get(), camera.viewCamera().get());
    EXPECT_EQ(camera.viewCamera()->superview(), camera.view());
    EXPECT_EQ(camera.captureResolution(), (graphics::Size{640, 480}));

    // The default backdrop shows where the camera is green.
    runFrames();
    const graphics::Image fallback = *bundleImageNamed("CaptureSourceImportBg.png");
    EXPECT_TRUE(near(viewPixel(60, 384), fallback.pixelAt(120, 1080 / 2))) << "left edge";
    EXPECT_TRUE(near(viewPixel(900, 384), kRedRGBA));
    EXPECT_TRUE(storedBackdrop().isNull());
    EXPECT_TRUE(DataManager::sharedDataManager().objectForKey("CHROMA_KEY_CAMERA_CONFIGURATION").isNull());
}

TEST_F(GreenScreenTest, ACorruptBackdropFileGivesTheDefaultBackdrop) {
    ASSERT_TRUE(project->updateRegularFileWithContents(foundation::Bytes{0xFF, 0xD8, 0xFF, 0x00}, "backdrop.jpg").ok());
    CaptureChromaKeyCamera& camera = start({smallCamera(splitPicture(640, 480, kGreen, kRed, 1.0))});
    ASSERT_FALSE(camera.error());
    runFrames();
    const graphics::Image fallback = *bundleImageNamed("CaptureSourceImportBg.png");
    EXPECT_TRUE(near(viewPixel(512, 384), fallback.pixelAt(960, 540)));
    EXPECT_TRUE(near(viewPixel(20, 20), fallback.pixelAt(37, 28)));
}

TEST_F(GreenScreenTest, KeyedViewAndAKeyedFullHDCaptureOverABlueBackdrop) {
    auto config = capture::SyntheticCaptureBackend::backCamera();
    config.pictures = {splitPicture(1920, 1080, kGreen, kRed)};
    CaptureChromaKeyCamera& camera = start({config}, splitPicture(64, 64, kBlue, kBlue));
    ASSERT_FALSE(camera.error());
    runFrames();
    EXPECT_TRUE(near(viewPixel(200, 384), kBlueRGBA));
    EXPECT_TRUE(near(viewPixel(820, 384), kRedRGBA));

    camera.captureImage();
    ASSERT_EQ(delegate().pictures.size(), 1u);
    const graphics::Image picture = delegate().pictures[0].image;
    EXPECT_EQ(picture.pixelWidth(), 1920);
    EXPECT_EQ(picture.pixelHeight(), 1080);
    EXPECT_EQ(picture.orientation(), graphics::ImageOrientation::Up);
    EXPECT_EQ(picture.scale(), 1.0);
    EXPECT_TRUE(near(picture.pixelAt(100, 540), kBlueRGBA));
    EXPECT_TRUE(near(picture.pixelAt(1800, 540), kRedRGBA));
    EXPECT_TRUE(near(picture.pixelAt(100, 10), kBlueRGBA)) << "top row first";
}

TEST_F(GreenScreenTest, ASliderMoveSavesTheKeyColourAndTheSensitivityAsFloats) {
    CaptureChromaKeyCamera& camera = start({smallCamera(splitPicture(640, 480, kGreen, kRed))});
    camera.showConfiguration(button.get());
    ASSERT_TRUE(camera.popoverController());
    EXPECT_TRUE(button->isSelected());
    auto root =
        std::dynamic_pointer_cast<ui::NavigationController>(camera.popoverController()->contentViewController());
    ASSERT_TRUE(root);
    auto settings = std::dynamic_pointer_cast<ChromaKeyConfigurationViewController>(root->viewControllers().front());
    ASSERT_TRUE(settings);
    settings->view();
    EXPECT_FLOAT_EQ(settings->currentChromaKeyTreshold(), 0.4f);
    settings->sensitivityController()->actionPlus();
    EXPECT_FLOAT_EQ(camera.filter()->thresholdSensitivity(), float(double(0.4f) + 0.1));
    // The root screen follows, so the row shows the value when it is prepared again.
    EXPECT_FLOAT_EQ(settings->currentChromaKeyTreshold(), camera.filter()->thresholdSensitivity());
    EXPECT_TRUE(camera.popoverController()) << "a sensitivity change leaves the popover open";
    EXPECT_EQ(savedConfiguration(),
              "red=float:0.00 green=float:1.00 blue=float:0.00 alpha=float:1.00 threshold=float:0.50");

    // A later start restores exactly these.
    camera.stopCameraCapture();
    EXPECT_FALSE(button->isSelected());
    camera.initCaptureDevice();
    EXPECT_FLOAT_EQ(camera.filter()->thresholdSensitivity(), float(double(0.4f) + 0.1));
    EXPECT_EQ(rgba(camera.chromaColor()), (std::vector<double>{0, 1, 0, 1}));
}

TEST_F(GreenScreenTest, FixedColoursAreKeyedSavedAndClosePopover) {
    CaptureChromaKeyCamera& camera =
        start({smallCamera(splitPicture(640, 480, kBlue, kRed))}, splitPicture(16, 16, kGreen, kGreen));
    camera.showConfiguration(button.get());
    ChromaKeyColorConfigurationViewController screen;
    camera.didSelectChangeChromaKeyColor(screen, graphics::Color::rgb(0, 0, 1, 1));
    EXPECT_TRUE(camera.popoverController()) << "closed after the current event";
    advance(0.5);
    EXPECT_FALSE(camera.popoverController());
    EXPECT_FALSE(button->isSelected());
    EXPECT_EQ(savedConfiguration(),
              "red=float:0.00 green=float:0.00 blue=float:1.00 alpha=float:1.00 threshold=float:0.40");
    runFrames();
    EXPECT_TRUE(near(viewPixel(200, 384), {0, 255, 0, 255})) << "blue keyed out";
    EXPECT_TRUE(near(viewPixel(820, 384), kRedRGBA));
}

TEST_F(GreenScreenTest, AutodetectOnTheVirtualClock) {
    CaptureChromaKeyCamera& camera =
        start({smallCamera(splitPicture(640, 480, kMagenta, kMagenta))}, splitPicture(16, 16, kBlue, kBlue));
    runFrames();
    camera.showConfiguration(button.get());
    ChromaKeyColorConfigurationViewController screen;
    const double begun = foundation::RunLoop::main().now();
    camera.didSelectChangeAutoChromaKeyColor(screen);
    // At once: the camera feeds the pass-through stage, which feeds the view.
    ASSERT_TRUE(camera.passFilter());
    EXPECT_EQ(camera.videoCamera()->targets().size(), 1u);
    EXPECT_EQ(slotOf(camera.videoCamera(), camera.passFilter()), 0);
    EXPECT_EQ(slotOf(camera.passFilter(), camera.viewCamera()), 0);
    // A second request while one waits changes nothing.
    auto first = camera.passFilter();
    camera.didSelectChangeAutoChromaKeyColor(screen);
    EXPECT_EQ(camera.passFilter(), first);

    advance(0.1);
    EXPECT_FALSE(camera.popoverController());
    ASSERT_TRUE(camera.hudy());
    EXPECT_EQ(camera.hudy()->captionView()->text(), "Point camera to the color you want to remove.");
    EXPECT_EQ(camera.hudy()->view()->superview(), camera.view());
    runFrames(1.0);
    EXPECT_TRUE(near(viewPixel(512, 384), {255, 0, 255, 255})) << "the unkeyed camera picture";
    // A capture now has no keyed picture to give.
    camera.captureImage();
    ASSERT_EQ(delegate().pictures.size(), 1u);
    EXPECT_TRUE(delegate().pictures[0].image.isNull());

    foundation::RunLoop::main().runUntil([&] { return !camera.hudy(); }, 10);
    EXPECT_NEAR(foundation::RunLoop::main().now() - begun, 5.0, 0.11) << "the HUD goes at the 5-second mark";
    foundation::RunLoop::main().runUntil([&] { return !camera.passFilter(); }, 10);
    expectKeyedGraph(camera);
    const auto colour = rgba(camera.chromaColor());
    EXPECT_NEAR(colour[0], 1, 0.01);
    EXPECT_NEAR(colour[1], 0, 0.01);
    EXPECT_NEAR(colour[2], 1, 0.01);
    EXPECT_NEAR(colour[3], 1, 0.01);
    EXPECT_EQ(savedConfiguration(),
              "red=float:1.00 green=float:0.00 blue=float:1.00 alpha=float:1.00 threshold=float:0.40");
    runFrames();
    EXPECT_TRUE(near(viewPixel(512, 384), kBlueRGBA)) << "the magenta aimed at is keyed";
}

TEST_F(GreenScreenTest, StopCancelsAPendingDetectionAndIgnoresALateColour) {
    CaptureChromaKeyCamera& camera = start({smallCamera(splitPicture(640, 480, kMagenta, kMagenta))});
    runFrames();
    camera.showConfiguration(button.get());
    ChromaKeyColorConfigurationViewController screen;
    camera.didSelectChangeAutoChromaKeyColor(screen);
    advance(0.1);
    ASSERT_TRUE(camera.hudy());
    auto hud = camera.hudy();
    camera.stopCameraCapture();
    EXPECT_FALSE(camera.hudy() || camera.popoverController() || camera.passFilter());
    advance(6.0);
    EXPECT_FALSE(hud->view()->superview()) << "the HUD left the view";
    EXPECT_EQ(savedConfiguration(), "none");

    // A colour that arrives after the stop is dropped.
    camera.initCaptureDevice();
    runFrames();
    camera.didSelectChangeAutoChromaKeyColor(screen);
    runFrames(0.5);
    camera.detectMainColorAndChangeChromaKeyFilter();  // averaging is under way on the context queue
    camera.stopCameraCapture();
    foundation::RunLoop::main().runUntilIdle();
    advance(6.0);
    EXPECT_EQ(savedConfiguration(), "none");
    EXPECT_EQ(rgba(camera.chromaColor()), (std::vector<double>{0, 1, 0, 1}));
}

// A project whose list is the given entries: 'S' the capture slot, any other
// letter a stored picture of one colour.
ProjectModelPtr projectOf(const std::string& entries, const std::map<char, QColor>& colours) {
    auto made = ProjectModel::create();
    KWImageProducer producer(made);
    auto list = made->getFrameList();
    list->removeFrameWithFrameType(Frame::kTypeCaptureSlot);
    for (char entry : entries) {
        if (entry == 'S') {
            list->insertFrame(Frame::create(Frame::kTypeCaptureSlot), list->count());
            continue;
        }
        auto frame = Frame::create(Frame::kTypePicture);
        const QColor colour = colours.at(entry);
        EXPECT_TRUE(producer.storeImage(graphics::Image(splitPicture(64, 48, colour, colour)), frame->frameID()));
        list->insertFrame(frame, list->count());
    }
    return made;
}

TEST_F(GreenScreenTest, LastFrameRules) {
    const std::map<char, QColor> colours{{'A', kRed}, {'B', kBlue}, {'C', QColor(255, 255, 0)}};
    struct Case {
        std::string entries;
        std::optional<graphics::RGBA> backdrop;  // none: unchanged
    };
    const Case cases[] = {
        {"ABSC", graphics::RGBA{0, 0, 255, 255}},  // the frame before the slot
        {"SAB", graphics::RGBA{0, 0, 255, 255}},   // slot first: the last entry
        {"AS", graphics::RGBA{255, 0, 0, 255}},    // the smallest list that has one
        {"S", std::nullopt},                       // one entry
        {"AB", std::nullopt},                      // no slot
    };
    CaptureChromaKeyCamera& camera =
        start({smallCamera(splitPicture(640, 480, kGreen, kGreen))}, splitPicture(16, 16, kMagenta, kMagenta));
    ChromaKeyColorConfigurationViewController screen;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        auto other = projectOf(c.entries, colours);
        // The frame is used as stored, without the project's movie effect.
        other->getMetaData()->set(projectkeys::kMovieFilter, foundation::Value(1));
        camera.setProject(other);
        const auto before = camera.sourcePicture();
        camera.showConfiguration(button.get());
        camera.didSelectUseFrameAsBackdrop(screen);
        EXPECT_FALSE(camera.popoverController()) << "the popover closes in every case";
        runFrames();
        if (!c.backdrop) {
            EXPECT_EQ(camera.sourcePicture(), before);
            EXPECT_TRUE(near(viewPixel(512, 384), {255, 0, 255, 255}));
            continue;
        }
        EXPECT_TRUE(near(viewPixel(512, 384), *c.backdrop));
        // Stored for the next start as the frame's own picture.
        auto stored = other->fileDataForFileWithPreferredFilename("backdrop.jpg");
        ASSERT_TRUE(stored);
        // Back to the magenta backdrop for the next case.
        camera.setProject(project);
        camera.initCaptureDevice();
    }
    // A frame whose picture file is gone changes nothing.
    auto missing = projectOf("AS", colours);
    std::filesystem::remove_all(*missing->pathForFile(""));
    camera.setProject(missing);
    const auto before = camera.sourcePicture();
    camera.didSelectUseFrameAsBackdrop(screen);
    EXPECT_EQ(camera.sourcePicture(), before);
}

TEST_F(GreenScreenTest, ThemeCardBecomesTheBackdropAndTheProjectsFile) {
    CaptureChromaKeyCamera& camera = start({smallCamera(splitPicture(640, 480, kGreen, kGreen))});
    camera.showConfiguration(button.get());
    ChromaKeyColorConfigurationViewController screen;
    const graphics::Image card = *bundleImageNamed("background_24_bg.jpg");
    camera.didSelectChangeBackDropWithImage(screen, card);
    EXPECT_TRUE(camera.popoverController()) << "several theme pictures can be tried";
    const graphics::Image stored = storedBackdrop();
    EXPECT_EQ(stored.pixelWidth(), 1920);
    EXPECT_EQ(stored.pixelHeight(), 1080);
    EXPECT_TRUE(near(stored.pixelAt(960, 100), card.pixelAt(960, 100), 6));
    runFrames();
    EXPECT_TRUE(near(viewPixel(512, 30), card.pixelAt(960, 100 - 30), 40));
}

// Puts a photo into the library the picker shows and returns it.
library::PhotoAsset libraryPhoto(const std::string& root, const foundation::Bytes& jpeg) {
    std::filesystem::create_directories(root);
    const std::string path = root + "/IMG_0001.JPG";
    EXPECT_TRUE(foundation::writeFileAtomically(path, jpeg).ok());
    std::optional<library::PhotoAsset> found;
    library::PhotoLibrary(root).assetForURL(
        library::detail::assetURLFor("IMG_0001.JPG"),
        [&](const std::optional<library::PhotoAsset>& asset) { found = asset; }, [](const foundation::Error&) {});
    foundation::RunLoop::main().runUntil([&] { return found.has_value(); }, 5);
    return *found;
}

TEST_F(GreenScreenTest, APhotoComesUprightAsBackdropAndAHugeOneIsRefused) {
    const std::string root = folders.root() + "/photos";
    CaptureChromaKeyCamera& camera = start({smallCamera(splitPicture(640, 480, kGreen, kGreen))});
    camera.setPhotoLibrary(library::PhotoLibrary(root));
    camera.showConfiguration(button.get());
    ChromaKeyColorConfigurationViewController screen;

    auto jpeg = testsupport::halvesImage(4032, 3024).jpegData(0.9);
    ASSERT_TRUE(jpeg.ok());
    const auto photo = libraryPhoto(root, testsupport::jpegWithExifOrientation(*jpeg, 6, false));
    camera.didSelectChangeBackDrop(screen);
    EXPECT_FALSE(camera.popoverController());
    auto picker = camera.albumPicker();
    ASSERT_TRUE(picker);
    EXPECT_FALSE(picker->multiSelection());
    EXPECT_FALSE(camera.videoCamera()->captureSession()->isRunning()) << "the camera waits while the user picks";
    picker->didFinishPickMedia()({photo});
    foundation::RunLoop::main().runUntil([&] { return !storedBackdrop().isNull(); }, 10);
    const graphics::Image stored = storedBackdrop();
    EXPECT_EQ(stored.pixelWidth(), 1440);
    EXPECT_EQ(stored.pixelHeight(), 1920);
    EXPECT_TRUE(near(stored.pixelAt(720, 100), kRedRGBA)) << "upright: the stored left half is on top";
    EXPECT_TRUE(camera.videoCamera()->captureSession()->isRunning());
    advance(1.0);
    EXPECT_FALSE(host->presentedViewController()) << "the picker is dismissed";

    // Over 100 megapixels: refused from the header, the backdrop stays.
    foundation::Bytes huge = testsupport::halvesImage(64, 48).jpegData(0.9).value();
    for (size_t i = 2; i + 9 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = 0x27, huge[i + 6] = 0x10, huge[i + 7] = 0x27, huge[i + 8] = 0x11;  // 10001 x 10000
            break;
        }
    std::filesystem::remove(root + "/IMG_0001.JPG");
    const auto hostile = libraryPhoto(root, huge);
    camera.didSelectChangeBackDrop(screen);
    camera.albumPicker()->didFinishPickMedia()({hostile});
    foundation::RunLoop::main().runUntil([&] { return !ui::AlertView::visibleAlerts().empty(); }, 10);
    ASSERT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
    EXPECT_EQ(ui::AlertView::visibleAlerts()[0]->message(), "The photo is too large to use as a backdrop.");
    EXPECT_EQ(storedBackdrop().pixelWidth(), 1440);
    EXPECT_TRUE(camera.videoCamera()->captureSession()->isRunning());
    advance(1.0);
    EXPECT_FALSE(host->presentedViewController());
}

TEST_F(GreenScreenTest, CamerasPositionsAndTheCentreTap) {
    // Two cameras and a stored position that neither has (a damaged settings
    // file): the first camera, whose position is stored.
    CaptureChromaKeyCamera& camera =
        start({smallCamera(splitPicture(640, 480, kGreen, kRed)),
               smallCamera(splitPicture(640, 480, kGreen, kRed), capture::DevicePosition::Front)});
    DataManager::sharedDataManager().setAvCaptureDevicePosition(0);
    // Cameras that say where they look go by position: a stored camera id changes nothing.
    DataManager::sharedDataManager().setCaptureDeviceID("synthetic-front");
    camera.initCaptureDevice();
    ASSERT_FALSE(camera.error());
    ASSERT_TRUE(camera.videoCamera());
    EXPECT_EQ(camera.videoCamera()->inputCamera()->uniqueID(), "synthetic-back");
    EXPECT_EQ(DataManager::sharedDataManager().avCaptureDevicePosition(), 1);
    EXPECT_EQ(camera.position(), 1);
    EXPECT_TRUE(camera.isMultipleCaptureDeviceAvaliable());

    // The centre of the view is the centre of the picture.
    const graphics::Point centre = camera.convertToPointOfInterestFromViewCoordinates({512, 384});
    EXPECT_NEAR(centre.x, 0.5, 1e-9);
    EXPECT_NEAR(centre.y, 0.5, 1e-9);
    EXPECT_TRUE(camera.focusAtPoint({512, 384}));
    EXPECT_NEAR(camera.videoCamera()->inputCamera()->focusPointOfInterest().x, 0.5, 1e-9);
    EXPECT_EQ(camera.videoCamera()->inputCamera()->focusMode(), capture::CaptureMode::Automatic);
}

TEST_F(GreenScreenTest, SwitchingNeedsASecondCamera) {
    CaptureChromaKeyCamera& single = start({smallCamera(splitPicture(640, 480, kGreen, kRed))});
    single.switchCaptureDevice();
    EXPECT_TRUE(delegate().switches.empty());
    fixture.reset();
    CaptureChromaKeyCamera& camera =
        start({smallCamera(splitPicture(640, 480, kGreen, kRed)),
               smallCamera(splitPicture(640, 480, kGreen, kRed), capture::DevicePosition::Front)});
    camera.switchCaptureDevice();
    EXPECT_EQ(delegate().switches, std::vector<int64_t>{2});
    EXPECT_EQ(DataManager::sharedDataManager().avCaptureDevicePosition(), 2);
    EXPECT_EQ(camera.position(), 2);
    EXPECT_EQ(camera.videoCamera()->captureSessionPreset(), capture::kSessionPreset640x480);
}

}  // namespace
}  // namespace chromakeytest
