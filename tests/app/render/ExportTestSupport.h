#pragma once

// Helpers of the GIF, image-folder and archive renderer tests: pictures that
// carry their frame number in their colour, one export run to its end on
// the virtual clock, and the files of a folder.

#include "RenderTestSupport.h"
#include "app/render/MovieRenderer.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"

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
