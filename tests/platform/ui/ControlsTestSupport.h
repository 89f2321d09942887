#pragma once

// A window with fingers and a clock for the control tests, and helpers to
// look at rendered pixels.

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/graphics/Image.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/gestures/GestureArena.h"
#include "support/Process.h"
#include "support/WindowFixture.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace controltest {

class ControlsTest : public testsupport::WindowFixture {
protected:
    ControlsTest() : WindowFixture(graphics::Rect(0, 0, 480, 320), 100) {}
};

// Writes a picture into the artifacts folder and checks that an outside
// reader takes it for a PNG of the expected pixel size.
inline void savePicture(const graphics::Image& picture, const std::string& name) {
    auto data = picture.pngData();
    ASSERT_TRUE(data.ok());
    std::string path = testsupport::artifactsDirectory() + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.value().data()), static_cast<std::streamsize>(data.value().size()));
    auto check = testsupport::runPython(
        "import struct,sys\n"
        "d=open(sys.argv[1],'rb').read()\n"
        "assert d[:8]==b'\\x89PNG\\r\\n\\x1a\\n'\n"
        "print('%dx%d' % struct.unpack('>II', d[16:24]))\n",
        {path});
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_NE(check.output.find(std::to_string(picture.pixelWidth()) + "x" + std::to_string(picture.pixelHeight())),
              std::string::npos)
        << check.output;
}

// How many pixels of a rectangle (in pixels) satisfy a test.
inline int countPixels(const graphics::Image& image, const graphics::Rect& area,
                       const std::function<bool(graphics::RGBA)>& test) {
    int count = 0;
    for (int y = int(area.minY()); y < int(area.maxY()); ++y) {
        for (int x = int(area.minX()); x < int(area.maxX()); ++x) {
            if (test(image.pixelAt(x, y))) ++count;
        }
    }
    return count;
}

inline bool isDark(graphics::RGBA p) { return p.a > 128 && p.r < 100 && p.g < 100 && p.b < 100; }

// Close to a colour, each channel within a tolerance, opaque enough.
inline std::function<bool(graphics::RGBA)> near(int r, int g, int b, int tolerance = 40) {
    return [=](graphics::RGBA p) {
        return p.a > 128 && std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance &&
               std::abs(p.b - b) <= tolerance;
    };
}

}  // namespace controltest
