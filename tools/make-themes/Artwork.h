#pragma once

// Drawing helpers and the style of each theme, shared by the pictures and
// the HTML templates the theme generator makes.

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"

#include <cstdint>
#include <string>
#include <vector>

namespace themes {

inline constexpr graphics::Size kCardSize{1280, 720};
inline constexpr graphics::Size kOverlaySize{1920, 1080};
inline constexpr graphics::Size kThumbnailSize{142, 80};
// The pickers' tiles: twice the size they are shown at in the settings
// sheet (125 × 80 points), and of that shape, so the picker shows them whole
// and the caption along their bottom is never cut off.
inline constexpr graphics::Size kTileSize{250, 160};

// A small deterministic generator, so every build draws the same pictures.
// Each draw is a statement of its own: the arguments of one call are
// evaluated in whatever order the compiler picks (gcc last to first, clang
// first to last). Where the shipped pictures took their numbers last to
// first (y before x, height before width), the draws keep that order.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / double(1u << 24);
    }
    double range(double low, double high) { return low + (high - low) * next(); }

private:
    uint32_t state_;
};

// The look of a title-and-credits theme (1 to 9).
struct ThemeStyle {
    int number;
    const char* name;
    const char* fontFamily;  // CSS font-family
    const char* textColor;   // CSS colour of the texts
    const char* wordColor;   // CSS colour of the small fixed words
};

const std::vector<ThemeStyle>& themeStyles();

// Backgrounds at kCardSize.
void drawThemeBackground(graphics::GraphicsContext& context, int theme);
void drawTextCardBackground(graphics::GraphicsContext& context, int card);  // 20 to 24
void drawPictureCard(graphics::GraphicsContext& context, int card);         // 50 to 64

// The green-screen camera's theme backdrops (20 to 25) and its default
// backdrop, at kOverlaySize.
void drawGreenScreenBackdrop(graphics::GraphicsContext& context, int backdrop);
void drawImportBackdrop(graphics::GraphicsContext& context);

// Picker tiles and foreground overlays.
void drawForegroundOverlay(graphics::GraphicsContext& context, int foreground);  // 21 to 37 at kOverlaySize
const char* foregroundName(int foreground);                                      // 20 to 37

// The HTML templates.
std::string titleTemplate(const ThemeStyle& style);
std::string creditsTemplate(const ThemeStyle& style);
std::string textCardTemplate();

// Shared drawing.
void fillVerticalGradient(graphics::GraphicsContext& context, const graphics::Rect& rect, graphics::Color top,
                          graphics::Color bottom);
void fillStar(graphics::GraphicsContext& context, graphics::Point centre, double outer, double inner, int points);
// One line of text centred on a point, in the context's fill colour.
void drawCentredText(graphics::GraphicsContext& context, const std::string& text, graphics::Point centre,
                     const graphics::Font& font);
// A scene of hills, sun and a house that tiles draw their effect or overlay on.
void drawSampleScene(graphics::GraphicsContext& context, const graphics::Rect& rect);

}  // namespace themes
