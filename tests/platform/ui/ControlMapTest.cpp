// The control map a road test reads: which views it lists and where, the
// pixels it records for each (they must be what the window shows there), and
// the file as python's plistlib reads it.

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/graphics/ImageName.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/SegmentedControl.h"
#include "platform/ui/host/ControlMap.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <numbers>
#include <string>

using graphics::Rect;

namespace {

graphics::Image square(graphics::RGBA colour) { return graphics::Image::filled(16, 16, colour); }

class ControlMapTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { graphics::ensureGuiApplication(); }

    void SetUp() override {
        window->setBackgroundColor(graphics::Color::rgb(0.2, 0.3, 0.4));
        auto titled = std::make_shared<ui::Button>(ui::ButtonType::System, Rect(10, 10, 80, 30));
        titled->setTitle("Done", ui::ControlStateNormal);
        titled->setBackgroundColor(graphics::Color::white());
        window->addSubview(titled);
        auto icon = std::make_shared<ui::Button>(ui::ButtonType::Custom, Rect(100, 10, 40, 40));
        icon->setImage(graphics::withImageName(square({200, 30, 30, 255}), "shutter"), ui::ControlStateNormal);
        window->addSubview(icon);

        // A clipping panel: one label half inside, one wholly outside.
        auto panel = ui::makeView(Rect(10, 60, 100, 40));
        panel->setClipsToBounds(true);
        panel->setBackgroundColor(graphics::Color::black());
        panel->addSubview(label("Half", Rect(60, 5, 80, 20)));
        panel->addSubview(label("Away", Rect(120, 5, 80, 20)));
        window->addSubview(panel);

        auto hidden = label("Hidden", Rect(10, 110, 60, 20));
        hidden->setHidden(true);
        window->addSubview(hidden);
        auto faded = ui::makeView(Rect(10, 140, 100, 30));
        faded->setAlpha(0);
        faded->addSubview(label("Faded", Rect(0, 0, 60, 20)));
        window->addSubview(faded);
        auto turned = label("Turned", Rect(150, 110, 60, 20));
        turned->setTransform(graphics::AffineTransform::makeRotation(std::numbers::pi / 2));
        window->addSubview(turned);

        auto tabs = std::make_shared<ui::SegmentedControl>(std::vector<std::string>{"Theme", "Outline"});
        tabs->setFrame(Rect(10, 180, 160, 29));
        window->addSubview(tabs);
        auto picture = ui::makeView<ui::ImageView>(Rect(200, 180, 16, 16));
        picture->setImage(graphics::withImageName(square({30, 200, 30, 255}), "explorer_icon_new"));
        window->addSubview(picture);
        auto unnamed = ui::makeView<ui::ImageView>(Rect(220, 180, 16, 16));
        unnamed->setImage(square({30, 30, 200, 255}));
        window->addSubview(unnamed);
        auto add = ui::makeView<ui::detail::TextButtonView>();
        add->setFrame(Rect(250, 10, 44, 44));
        add->glyph = ui::BarButtonSystemItem::Add;
        add->setBackgroundColor(graphics::Color::white());
        add->setEnabled(false);
        window->addSubview(add);
        // Between pixels: its edges blend with what lies around it.
        window->addSubview(label("Quarter", Rect(150.25, 60.25, 60, 20)));
    }

    std::shared_ptr<ui::Label> label(const std::string& text, Rect frame) {
        auto view = ui::makeView<ui::Label>(frame);
        view->setText(text);
        view->setTextColor(graphics::Color::white());
        view->setBackgroundColor(graphics::Color::rgb(0.5, 0.1, 0.6));
        return view;
    }

    std::map<std::string, foundation::Dictionary> byLabel(const foundation::Value& map) {
        std::map<std::string, foundation::Dictionary> found;
        const foundation::Array entries = map.asArray();
        for (const foundation::Value& entry : entries.values())
            found[entry.asDictionary().get("label").asString()] = entry.asDictionary();
        return found;
    }

    testsupport::VirtualClockScope clock;
    std::shared_ptr<ui::Window> window = std::make_shared<ui::Window>(Rect(0, 0, 320, 240));
    // Twice the points, the tree centred 10 and 20 pixels into the Qt window.
    ui::WindowPlacement placement{2.0, {10, 20}, 1.0, 660, 520, 4242};
};

TEST_F(ControlMapTest, ListsTheLabelledViewsThatShowWithTheirPlaceInWindowPixels) {
    struct Expected {
        std::string label, kind;
        Rect rect, visible;
        bool upright;
    };
    const std::vector<Expected> expected = {
        {"Done", "Button", {30, 40, 160, 60}, {30, 40, 160, 60}, true},
        {"shutter", "Button", {210, 40, 80, 80}, {210, 40, 80, 80}, true},
        {"Half", "Label", {150, 150, 160, 40}, {150, 150, 80, 40}, true},
        {"Turned", "Label", {350, 200, 40, 120}, {350, 200, 40, 120}, false},
        {"Theme", "Segment", {30, 380, 160, 58}, {30, 380, 160, 58}, true},
        {"Outline", "Segment", {190, 380, 160, 58}, {190, 380, 160, 58}, true},
        {"explorer_icon_new", "ImageView", {410, 380, 32, 32}, {410, 380, 32, 32}, true},
        {"Add", "BarButton", {510, 40, 88, 88}, {510, 40, 88, 88}, true},
        {"Quarter", "Label", {310, 140, 121, 41}, {310, 140, 121, 41}, true},
    };
    std::vector<ui::MappedView> views = ui::mapViews(*window, placement);
    ASSERT_EQ(views.size(), expected.size());
    for (size_t i = 0; i < views.size(); ++i) {
        SCOPED_TRACE(expected[i].label);
        EXPECT_EQ(views[i].label, expected[i].label);
        EXPECT_EQ(views[i].kind, expected[i].kind);
        EXPECT_EQ(views[i].rect.integral(), expected[i].rect);
        EXPECT_EQ(views[i].visible.integral(), expected[i].visible);
        EXPECT_EQ(views[i].upright, expected[i].upright);
    }
}

TEST_F(ControlMapTest, RecordsEachViewAsTheWindowDrawsIt) {
    ui::ControlMap map("unused");
    foundation::Value built = map.build(ui::mapViews(*window, placement), placement);
    ui::Compositor compositor;
    QImage screen = compositor.render(*window, placement.scale).bitmap().convertToFormat(QImage::Format_RGBA8888);
    int checked = 0;
    for (const auto& [label, entry] : byLabel(built.asDictionary().get("controls"))) {
        SCOPED_TRACE(label);
        if (label == "Turned") {
            EXPECT_FALSE(entry.contains("pixels")) << "a turned view cannot be compared pixel by pixel";
            continue;
        }
        const foundation::Bytes& pixels = entry.get("pixels").asData();
        const int width = int(entry.get("pixelWidth").asInt());
        const int height = int(entry.get("pixelHeight").asInt());
        ASSERT_EQ(pixels.size(), size_t(width) * size_t(height) * 4);
        // Every window pixel the view's rectangle touches.
        const double atX = entry.get("x").asDouble(), atY = entry.get("y").asDouble();
        EXPECT_EQ(entry.get("pixelX").asInt(), std::floor(atX));
        EXPECT_EQ(entry.get("pixelY").asInt(), std::floor(atY));
        EXPECT_EQ(width, std::ceil(atX + entry.get("width").asDouble()) - std::floor(atX));
        EXPECT_EQ(height, std::ceil(atY + entry.get("height").asDouble()) - std::floor(atY));
        // Window pixels less the placement's offset are the tree's pixels.
        const int left = int(entry.get("pixelX").asInt() - placement.offset.x);
        const int top = int(entry.get("pixelY").asInt() - placement.offset.y);
        const int visibleWidth = int(std::ceil(entry.get("visibleX").asDouble() + entry.get("visibleWidth").asDouble()) -
                                     entry.get("pixelX").asInt());
        int opaque = 0, same = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < std::min(width, visibleWidth); ++x) {
                const uint8_t* alone = pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
                if (alone[3] != 255) continue;
                ++opaque;
                const uint8_t* shown = screen.constScanLine(top + y) + (left + x) * 4;
                same += std::equal(alone, alone + 3, shown);
            }
        }
        EXPECT_GT(opaque, 100);
        EXPECT_EQ(same, opaque);
        ++checked;
    }
    EXPECT_EQ(checked, 8);
}

TEST_F(ControlMapTest, WritesOnlyWhatChangedAndPythonReadsIt) {
    testsupport::TempAppFolders folders;
    const std::string path = folders.root() + "/controls.plist";
    ui::ControlMap map(path);
    ASSERT_TRUE(map.update(*window, placement));
    ASSERT_TRUE(map.update(*window, placement));
    auto read = [&] {
        auto result = testsupport::runPython(
            "import plistlib, sys\n"
            "m = plistlib.load(open(sys.argv[1], 'rb'))\n"
            "print(m['sequence'], m['windowId'], m['width'], m['height'])\n"
            "for c in m['controls']:\n"
            "    print(c['label'], c['kind'], c['enabled'], c['selected'], len(c.get('pixels', b'')))",
            {path});
        EXPECT_EQ(result.exitCode, 0) << result.output;
        return result.output;
    };
    const std::string unchanged =
        "1 4242 660 520\n"
        "Done Button True False 38400\n"
        "shutter Button True False 25600\n"
        "Half Label True False 25600\n"
        "Turned Label True False 0\n"
        "Theme Segment True False 37120\n"
        "Outline Segment True False 37120\n"
        "explorer_icon_new ImageView True False 4096\n"
        "Add BarButton False False 30976\n"
        "Quarter Label True False 19844\n";
    EXPECT_EQ(read(), unchanged);

    auto* tabs = dynamic_cast<ui::SegmentedControl*>(window->subviews()[6].get());
    ASSERT_NE(tabs, nullptr);
    tabs->setSelectedSegmentIndex(1);
    ASSERT_TRUE(map.update(*window, placement));
    std::string changed = read();
    EXPECT_EQ(changed.substr(0, 2), "2 ");
    EXPECT_NE(changed.find("Outline Segment True True"), std::string::npos) << changed;
}

TEST_F(ControlMapTest, AViewOnItsWayIsListedWithoutItsPixelsUntilItArrives) {
    ui::View* panel = window->subviews()[2].get();
    ui::animate(0.3, 0, 0, [&] { panel->setAlpha(0.5); });
    ui::ControlMap map("unused");
    auto entry = [&](const std::string& label) {
        return byLabel(map.build(ui::mapViews(*window, placement), placement).asDictionary().get("controls"))[label];
    };
    EXPECT_TRUE(entry("Half").get("moving").asBool());
    EXPECT_FALSE(entry("Half").contains("pixels")) << "what it shows now is not where it comes to rest";
    EXPECT_FALSE(entry("Done").get("moving").asBool());
    EXPECT_TRUE(entry("Done").contains("pixels"));
    foundation::RunLoop::main().advance(0.5);
    EXPECT_FALSE(entry("Half").get("moving").asBool());
    EXPECT_TRUE(entry("Half").contains("pixels"));
    EXPECT_DOUBLE_EQ(entry("Half").get("opacity").asDouble(), 0.5);
}

TEST(ImageNameTest, ANameFollowsEveryCopyAndLeavesThePictureAsItWas) {
    graphics::Image plain = graphics::Image::filled(4, 2, {1, 2, 3, 255}, 2.0)
                                .withRenderingMode(graphics::ImageRenderingMode::AlwaysTemplate);
    graphics::Image named = graphics::withImageName(plain, "captureview_shutter");
    graphics::Image copy = named.withScale(3.0);
    EXPECT_EQ(graphics::imageName(named), "captureview_shutter");
    EXPECT_EQ(graphics::imageName(copy), "captureview_shutter");
    EXPECT_EQ(graphics::imageName(plain), "");
    EXPECT_EQ(graphics::imageName(graphics::Image()), "");
    EXPECT_EQ(named.scale(), 2.0);
    EXPECT_EQ(named.renderingMode(), graphics::ImageRenderingMode::AlwaysTemplate);
    EXPECT_EQ(named.pixelAt(3, 1), (graphics::RGBA{1, 2, 3, 255}));
}

}  // namespace
