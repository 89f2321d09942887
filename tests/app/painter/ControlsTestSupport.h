#pragma once

// A window at the tablet's or the phone's size with a plain dark root
// screen, for the painter's tool bar, palette and popovers, and delegates
// that write down what they are told.

#include "app/painter/ColorPaletteViewController.h"
#include "app/painter/PaintToolViewController.h"
#include "support/WindowFixture.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace paintertest {

class ToolCodes : public PaintToolDelegate {
public:
    void paintToolDidSelectTool(int64_t tool) override { codes.push_back(tool); }
    std::vector<int64_t> codes;
};

class PaletteReports : public ColorPaletteDelegate {
public:
    struct Report {
        graphics::Color color;
        int slot;
    };
    void colorPaleteDidSelectColor(const graphics::Color& color, int atIndex) override {
        reports.push_back({color, atIndex});
    }
    void colorPaleteDidSelectHide() override { ++hides; }
    std::vector<Report> reports;
    int hides = 0;
};

// A colour's components as bytes 0-255 (rounded), alpha included.
graphics::RGBA bytesOf(const graphics::Color& color);

class ControlsTest : public testsupport::WindowFixture {
protected:
    explicit ControlsTest(bool phone = false);
    void SetUp() override;
    void TearDown() override;

    // Shows a controller's view over the root screen at the frame.
    void show(ui::ViewController& controller, const graphics::Rect& frame);
    // A tool bar across the top and a palette across the bottom, with the
    // first-run brushes and colours as the painter sets them up.
    void showControls();
    // A tap on the backdrop of the popover on screen, and the fade after it.
    void tapOutsidePopover(const WEPopoverController& popover);
    // Runs the queued work and the popover animations.
    void settle() { advance(1.0); }

    bool phone_;
    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<PaintToolViewController> toolBar;
    std::shared_ptr<ColorPaletteViewController> palette;
    PainterBrushes brushes;
    ToolCodes codes;
    PaletteReports paletteReports;
};

class PhoneControlsTest : public ControlsTest {
protected:
    PhoneControlsTest() : ControlsTest(true) {}
};

}  // namespace paintertest
