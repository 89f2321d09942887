// Build-time generator of the theme resources:
//
//   make-themes <folder>
//
// writes into <folder> the card backgrounds ("theme_bg_NN.jpg", 1280x720)
// and thumbnails ("theme_NN.png") of themes 1-9, text cards 20-24 and
// picture cards 50-64, the no-theme tile "theme_00.png", the title and
// credits templates of themes 1-9 and the shared text-card template, the
// picker tiles (fades, effects, masks, foregrounds), the foreground
// overlays at 1920x1080 ("foreground_NN_bg.png"), the chooser's backdrop,
// and the green-screen backdrops at 1920x1080 ("background_NN_bg.jpg", cards
// "background_NN.png", 20-25) with the default "CaptureSourceImportBg.png".
// Exits with 1 and a message when anything cannot be written.

#include "Artwork.h"
#include "Tiles.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/GuiApplication.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;
using graphics::Image;

namespace {

std::string numbered(const char* pattern, int number) { return foundation::format(pattern, {int64_t(number)}); }

void writeBytes(const fs::path& path, const std::string& bytes) {
    fs::path temporary = path;
    temporary += ".partial";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) throw std::runtime_error("cannot write " + temporary.string());
    }
    fs::rename(temporary, path);
}

void writeImage(const fs::path& path, const Image& image) {
    auto data = path.extension() == ".jpg" ? image.jpegData(0.9) : image.pngData();
    if (!data.ok()) throw std::runtime_error("cannot encode " + path.string() + ": " + data.error().description);
    writeBytes(path, std::string(data->begin(), data->end()));
}

template <class Draw>
Image drawn(graphics::Size size, bool opaque, Draw draw) {
    graphics::GraphicsContext context(size, 1.0, opaque);
    draw(context);
    return context.makeImage();
}

void makeAll(const fs::path& folder) {
    fs::create_directories(folder);
    for (const themes::ThemeStyle& style : themes::themeStyles()) {
        Image background =
            drawn(themes::kCardSize, true, [&](auto& c) { themes::drawThemeBackground(c, style.number); });
        writeImage(folder / numbered("theme_bg_%.2d.jpg", style.number), background);
        writeImage(folder / numbered("theme_%.2d.png", style.number), themes::themeThumbnail(background, style.name));
        writeBytes(folder / numbered("theme_title_%.2d.html", style.number), themes::titleTemplate(style));
        writeBytes(folder / numbered("theme_credits_%.2d.html", style.number), themes::creditsTemplate(style));
    }
    writeImage(folder / "theme_00.png", themes::noThemeTile());
    writeBytes(folder / "theme_card_20.html", themes::textCardTemplate());
    for (int card = 20; card <= 24; ++card) {
        Image background = drawn(themes::kCardSize, true, [&](auto& c) { themes::drawTextCardBackground(c, card); });
        writeImage(folder / numbered("theme_bg_%.2d.jpg", card), background);
        writeImage(folder / numbered("theme_%.2d.png", card), themes::themeThumbnail(background, ""));
    }
    for (int card = 50; card <= 64; ++card) {
        Image background = drawn(themes::kCardSize, true, [&](auto& c) { themes::drawPictureCard(c, card); });
        writeImage(folder / numbered("theme_bg_%.2d.jpg", card), background);
        writeImage(folder / numbered("theme_%.2d.png", card), themes::themeThumbnail(background, ""));
    }
    for (int fade = 0; fade <= 3; ++fade) writeImage(folder / numbered("fade_%d.png", fade), themes::fadeTile(fade));
    for (int effect = 0; effect <= 7; ++effect)
        writeImage(folder / numbered("edit_effect_%d.png", effect), themes::effectTile(effect));
    for (int mask = 0; mask <= 2; ++mask) writeImage(folder / numbered("mask_%d.png", mask), themes::maskTile(mask));
    for (int foreground = 20; foreground <= 37; ++foreground) {
        Image overlay;
        if (foreground > 20) {
            overlay =
                drawn(themes::kOverlaySize, false, [&](auto& c) { themes::drawForegroundOverlay(c, foreground); });
            writeImage(folder / numbered("foreground_%.2d_bg.png", foreground), overlay);
        }
        writeImage(folder / numbered("foreground_%.2d.png", foreground), themes::foregroundTile(foreground, overlay));
    }
    writeImage(folder / "gallery_bg.jpg", themes::galleryBackground());
    for (int backdrop = 20; backdrop <= 25; ++backdrop) {
        Image picture =
            drawn(themes::kOverlaySize, true, [&](auto& c) { themes::drawGreenScreenBackdrop(c, backdrop); });
        writeImage(folder / numbered("background_%.2d_bg.jpg", backdrop), picture);
        writeImage(folder / numbered("background_%.2d.png", backdrop), themes::themeThumbnail(picture, ""));
    }
    writeImage(folder / "CaptureSourceImportBg.png",
               drawn(themes::kOverlaySize, true, [](auto& c) { themes::drawImportBackdrop(c); }));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-themes <folder>\n");
        return 2;
    }
    graphics::ensureGuiApplication();
    try {
        makeAll(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-themes: %s\n", error.what());
        return 1;
    }
    return 0;
}
