#pragma once

// Helpers of the GIF, image-folder and archive renderer tests: pictures that
// carry their frame number in their colour, one export run to its end on
// the virtual clock, and the files of a folder.

#include "RenderTestSupport.h"
#include "app/render/MovieRenderer.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPainter>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>

namespace rendertest {

// A solid picture whose colour names `number` (0 to 143): red counts in
// steps of 20, green in steps of 25, far apart enough to survive JPEG and a
// GIF palette.
inline graphics::Image numberedPicture(int number, int width = 320, int height = 180) {
    graphics::GraphicsContext context({double(width), double(height)}, 1.0, true);
    context.setFillColor(graphics::Color::rgb8(uint8_t((number % 12) * 20), uint8_t((number / 12) * 20), 60));
    context.fillRect({0, 0, double(width), double(height)});
    return context.makeImage();
}

// A picture of random pixels, whose JPEG is about as large as JPEGs get.
inline graphics::Image noisePicture(int width, int height, unsigned seed) {
    QImage noise(width, height, QImage::Format_RGB32);
    std::mt19937 random(seed);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, random() & 0xffffff);
    return graphics::Image(noise);
}

// A photograph of a tabletop scene: a lit backdrop, a table, props, and a
// figure `step` two-hundredths of the width along its way, so consecutive
// steps are nearly the same picture; under sensor grain of up to
// `grain` levels that differs with `seed`. Scenes differ in colours and
// props; a coarse grain with fine stripes makes a picture of high detail.
inline graphics::Image scenePicture(int width, int height, int scene, int step, unsigned seed, int grain = 3,
                                    bool stripes = false) {
    QImage image(width, height, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient backdrop(0, 0, 0, height);
        backdrop.setColorAt(0, QColor::fromHsv((scene * 47) % 360, 60, 230));
        backdrop.setColorAt(1, QColor::fromHsv((scene * 47 + 30) % 360, 90, 120));
        painter.fillRect(image.rect(), backdrop);
        painter.fillRect(QRectF(0, height * 0.7, width, height * 0.3), QColor::fromHsv((scene * 89) % 360, 120, 140));
        for (int prop = 0; prop < 4; ++prop) {
            const double x = width * (0.15 + 0.22 * prop + 0.03 * (scene % 3));
            QRadialGradient shade(QPointF(x, height * 0.5), height * 0.2);
            shade.setColorAt(0, QColor::fromHsv((scene * 31 + prop * 70) % 360, 180, 250));
            shade.setColorAt(1, QColor::fromHsv((scene * 31 + prop * 70) % 360, 200, 90));
            painter.setBrush(shade);
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(QPointF(x, height * (0.5 + 0.05 * (prop % 2))), width * 0.07, height * 0.18);
        }
        painter.setBrush(QColor::fromHsv((scene * 113) % 360, 220, 200));
        painter.drawRoundedRect(QRectF(width * (0.1 + step / 200.0), height * 0.35, width * 0.06, height * 0.34), 12,
                                12);
        if (stripes) {
            painter.setPen(QPen(QColor(20, 20, 20), 1));
            for (int x = 0; x < width; x += 3)
                painter.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5 + height * 0.3, height));
        }
    }
    uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state ^= state << 13, state ^= state >> 17, state ^= state << 5;
            const int noise = int(state % uint32_t(2 * grain + 1)) - grain;
            const QRgb pixel = line[x];
            line[x] = qRgb(std::clamp(qRed(pixel) + noise, 0, 255), std::clamp(qGreen(pixel) + noise, 0, 255),
                           std::clamp(qBlue(pixel) + noise, 0, 255));
        }
    }
    return graphics::Image(std::move(image));
}

// The number a numbered picture's colour names; -1 when it names none.
inline int numberOfColour(int red, int green, int blue) {
    if (std::abs(blue - 60) > 12) return -1;
    int r = (red + 10) / 20, g = (green + 10) / 20;
    if (std::abs(red - r * 20) > 8 || std::abs(green - g * 20) > 8 || r > 11) return -1;
    return g * 12 + r;
}

struct ExportOutcome {
    int completions = 0;
    int completionsInsideCall = 0;  // run before the export call returned
    int64_t status = -1;
    std::optional<foundation::Error> error;
    std::optional<std::string> exportURL;
};

// Exports with `type` and runs the main loop until the loop is idle, so a
// second completion would show too. `whileRendering` runs on the main
// thread once the render has made progress, for a cancel in the middle.
inline ExportOutcome runExport(const MovieRendererPtr& renderer, std::optional<MovieExportType> type,
                               std::function<void()> whileRendering = {}) {
    ExportOutcome outcome;
    bool inCall = true;
    renderer->exportProjectWithExportType(std::move(type), [&] {
        ++outcome.completions;
        if (inCall) ++outcome.completionsInsideCall;
        EXPECT_TRUE(foundation::RunLoop::isMainThread());
    });
    inCall = false;
    if (whileRendering) {
        // The render runs on its own queues in real time; it has many pictures
        // left when its first progress shows.
        while (renderer->progress() <= 0 && renderer->status() == MovieRenderer::kStatusRendering)
            std::this_thread::yield();
        whileRendering();
    }
    // Idle means the render queue's work and the completion it posted are done.
    foundation::RunLoop::main().runUntilIdle();
    outcome.status = renderer->status();
    outcome.error = renderer->error();
    outcome.exportURL = renderer->exportURL();
    return outcome;
}

// The same with the renderer's first type.
inline ExportOutcome runExport(const MovieRendererPtr& renderer, std::function<void()> whileRendering = {}) {
    return runExport(renderer, renderer->getSupportedExportTypes().front(), std::move(whileRendering));
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Every regular file below `folder` by relative path, with its bytes.
inline std::map<std::string, std::string> filesBelow(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ignored);
         it != std::filesystem::recursive_directory_iterator(); ++it)
        if (it->is_regular_file())
            files[std::filesystem::relative(it->path(), folder).string()] = readFile(it->path().string());
    return files;
}

// The names in a folder, hidden ones included; none for a missing folder.
inline std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace rendertest
