#pragma once

// The green-screen camera on synthetic cameras under a virtual clock: a
// window whose root screen holds the source's view (the popover and the
// photo picker show over it), fresh folders and settings, and a project.

#include "app/capture/CameraFixture.h"
#include "app/capture/CaptureChromaKeyCamera.h"
#include "app/core/ProjectModel.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/Button.h"
#include "support/TempAppFolders.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace chromakeytest {

// A camera picture: the left part `left`, the rest `right`.
QImage splitPicture(int width, int height, QColor left, QColor right, double leftShare = 0.5);
// A camera of 640 × 480 (the smallest preset) showing `picture`.
capture::SyntheticCameraConfig smallCamera(QImage picture,
                                           capture::DevicePosition position = capture::DevicePosition::Back);

class GreenScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the source over these cameras; `backdrop` is stored as the
    // project's "backdrop.jpg" first unless it is null.
    CaptureChromaKeyCamera& start(std::vector<capture::SyntheticCameraConfig> cameras,
                                  const QImage& backdrop = QImage());
    CaptureChromaKeyCamera& source() { return *fixture->source; }
    capturetest::RecordingDelegate& delegate() { return fixture->delegate; }
    // Moves the clock so that frames flow through the graph.
    void runFrames(double seconds = 0.5);
    // The on-screen view's pixel at a point of the view.
    graphics::RGBA viewPixel(double x, double y);
    // "backdrop.jpg" as stored, or a null image.
    graphics::Image storedBackdrop();
    // The saved configuration as python3 plistlib reads the settings file.
    std::string savedConfiguration();
    void advance(double seconds);

    testsupport::TempAppFolders folders;
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::ViewController> host;
    std::shared_ptr<ui::Button> button;
    ProjectModelPtr project;
    std::unique_ptr<capturetest::CameraFixture<CaptureChromaKeyCamera>> fixture;
};

bool near(graphics::RGBA actual, graphics::RGBA expected, int tolerance = 12);

}  // namespace chromakeytest
