#include "ThemeTestSupport.h"

#include "platform/graphics/GuiApplication.h"
#include "support/Process.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace themetest {

namespace {

// Before any test: the build's resources (with the drawn themes) as the
// application's resources, and a GUI application for text.
class ThemeEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("TOLLIVAR_RESOURCES", TOLLIVAR_BUILD_RESOURCES, 1);
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        graphics::ensureGuiApplication();
    }
};

[[maybe_unused]] ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new ThemeEnvironment);

void writeFile(const std::filesystem::path& path, const foundation::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

double meanDifference(const graphics::Image& a, const graphics::Image& b) {
    if (a.isNull() || b.isNull() || a.pixelWidth() != b.pixelWidth() || a.pixelHeight() != b.pixelHeight()) return 1;
    QImage left = a.normalized().bitmap().convertToFormat(QImage::Format_RGBA8888);
    QImage right = b.normalized().bitmap().convertToFormat(QImage::Format_RGBA8888);
    double total = 0;
    for (int y = 0; y < left.height(); ++y) {
        const uchar* l = left.constScanLine(y);
        const uchar* r = right.constScanLine(y);
        for (int x = 0; x < left.width() * 4; ++x) total += std::abs(int(l[x]) - int(r[x]));
    }
    return total / (255.0 * left.width() * left.height() * 4);
}

double compareWithReference(const graphics::Image& picture, const std::string& name) {
    auto png = picture.pngData();
    if (!png.ok()) return 1;
    writeFile(std::filesystem::path(testsupport::artifactsDirectory()) / name, *png);
    std::filesystem::path reference =
        std::filesystem::path(TOLLIVAR_SOURCE_DIR) / "tests/app/render/themes/references" / name;
    const char* update = std::getenv("TOLLIVAR_UPDATE_REFERENCES");
    if (update && std::strcmp(update, "1") == 0) {
        std::filesystem::create_directories(reference.parent_path());
        writeFile(reference, *png);
    }
    auto stored = graphics::Image::load(reference.string());
    return stored.ok() ? meanDifference(picture, *stored) : 1;
}

}  // namespace themetest
